// The competition message.
#include "net/protocol/WettkampfMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int dayOffset = 0;
constexpr int monthOffset = 1;
constexpr int yearOffset = 2;
constexpr int ortOffset = 4;
constexpr int veranstalterOffset = 36;
constexpr int nameOffset = 68;
constexpr int markOffset = 100;   // always 1, then a 0
static_assert(MessageFrame::size + markOffset + 2 == WettkampfMessage::length, "the competition is 106 bytes");

// The texts of this message are UTF-8, whatever they hold.
QString utf8Field(const unsigned char* at)
{
    const char* text = reinterpret_cast<const char*>(at);
    return QString::fromUtf8(text, int(strnlen(text, WettkampfMessage::textSize)));
}
} // namespace

int WettkampfMessage::encode(unsigned char* buffer, const Competition& competition)
{
    unsigned char* body = MessageFrame::start(buffer, group, subType, length);
    const QDate& date = competition.Datum;
    body[dayOffset] = quint8(date.day());
    body[monthOffset] = quint8(date.month());
    ByteOrder::putBig16(body + yearOffset, quint16(date.year()));
    MessageFrame::putText(body + ortOffset, competition.Ort, textSize);
    MessageFrame::putText(body + veranstalterOffset, competition.Veranstalter, textSize);
    MessageFrame::putText(body + nameOffset, competition.Name, textSize);
    body[markOffset] = 1;
    return length;
}

bool WettkampfMessage::decode(const unsigned char* payload, int size, Competition* competition)
{
    if (size < length)
        return false;
    const unsigned char* body = payload + MessageFrame::size;
    competition->Datum = QDate(ByteOrder::big16(body + yearOffset), body[monthOffset], body[dayOffset]);
    competition->Ort = utf8Field(body + ortOffset);
    competition->Veranstalter = utf8Field(body + veranstalterOffset);
    competition->Name = utf8Field(body + nameOffset);
    return true;
}
