// The start-entry answer.
#include "net/protocol/StarterResponseMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"
#include "records/Starter_t.h"

#include <cstring>

namespace {
constexpr int checksumOffset = 0;
constexpr int idOffset = 4;
constexpr int disciOffset = 6;
constexpr int ageClassOffset = 7;
constexpr int textOffset = 8;
static_assert(MessageFrame::size + textOffset + StarterResponseMessage::textSize == StarterResponseMessage::length,
              "the answer is 268 bytes");
} // namespace

int StarterResponseMessage::encode(unsigned char* buffer, const Starter_t& starter, const QString& text)
{
    unsigned char* body = MessageFrame::start(buffer, group, subType, length);
    ByteOrder::putBig32(body + checksumOffset, starter.checksum);
    ByteOrder::putBig16(body + idOffset, quint16(starter.id));
    body[disciOffset] = quint8(starter.disci);
    body[ageClassOffset] = quint8(starter.ageClass);
    MessageFrame::putText(body + textOffset, text, textSize);
    return length;
}

bool StarterResponseMessage::decode(const unsigned char* payload, int size, StarterResponseMessage* out)
{
    if (size < length)
        return false;
    const unsigned char* body = payload + MessageFrame::size;
    out->checksum = ByteOrder::big32(body + checksumOffset);
    out->id = ByteOrder::big16(body + idOffset);
    out->disci = body[disciOffset];
    out->ageClass = body[ageClassOffset];
    std::memcpy(out->text, body + textOffset, textSize);
    out->text[textSize - 1] = '\0';
    return true;
}
