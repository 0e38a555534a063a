// Message 5/3 on the wire: hour, minute, second, type, then the UTF-8 text.
#include "net/protocol/NetTextMessage.h"

#include "db/Conversions.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int hourOffset = 4;
constexpr int minuteOffset = 5;
constexpr int secondOffset = 6;
constexpr int typeOffset = 7;
}

int NetTextMessage::encode(unsigned char* buffer, const NetTextMessage& message, const QTime& now)
{
    std::memset(buffer, 0, size_t(maxLength));
    const QTime at = message.time.isValid() ? message.time : now;
    buffer[0] = group;
    buffer[1] = subType;
    buffer[hourOffset] = quint8(at.hour());
    buffer[minuteOffset] = quint8(at.minute());
    buffer[secondOffset] = quint8(at.second());
    buffer[typeOffset] = quint8(message.type);
    char* text = reinterpret_cast<char*>(buffer + textOffset);
    if (!message.text.isEmpty())
        toCString(text, message.text, textFieldSize);
    return textOffset + int(strnlen(text, textFieldSize - 1)) + 1;
}

bool NetTextMessage::decode(const unsigned char* payload, int length, NetTextMessage* out)
{
    if (!payload || length < minimumLength)
        return false;
    const int textLength = std::min(length - textOffset, textFieldSize);
    NetTextMessage message;
    message.time = QTime(payload[hourOffset], payload[minuteOffset], payload[secondOffset], 0);
    message.type = payload[typeOffset];
    if (textLength > 0)
        fromCString(message.text, reinterpret_cast<const char*>(payload + textOffset), textLength);
    *out = message;
    return true;
}
