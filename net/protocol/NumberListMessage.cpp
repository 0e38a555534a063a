// The number-list messages.
#include "net/protocol/NumberListMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

#include <cmath>

namespace {

constexpr quint8 GroupAnzeige = 2;
constexpr quint8 GroupObmann = 3;
constexpr quint8 StarterRequestSub = 6;
constexpr quint8 FactorListSub = 10;
constexpr quint8 QualiListSub = 4;
constexpr double FactorScale = 1000.0;

// The message length of `count` entries of `size` bytes.
int lengthOf(int count, int size)
{
    return MessageFrame::size + count * size;
}

bool fits(int length)
{
    return length <= NumberListMessage::bufferSize;
}

// The factor in thousandths, the rest cut off. A factor that is a whole number
// of thousandths (as every received one is) keeps it, though the binary
// product may fall a hair below it.
int thousandths(double factor)
{
    const double scaled = factor * FactorScale;
    const double nearest = std::round(scaled);
    return int(std::fabs(scaled - nearest) < 1e-6 ? nearest : std::trunc(scaled));
}

} // namespace

int NumberListMessage::encodeStarterRequest(unsigned char* buffer, const StarterRequestList& list)
{
    const int count = list.size();
    const int length = lengthOf(count, 2);
    if (!fits(length))
        return length;
    unsigned char* body = MessageFrame::start(buffer, GroupAnzeige, StarterRequestSub, length);
    for (int i = 0; i < count; ++i)
        ByteOrder::putBig16(body + 2 * i, quint16(list.at(i)));
    return length;
}

int NumberListMessage::encodeFactorList(unsigned char* buffer, const FactorList& list)
{
    const int count = list.size();
    const int length = lengthOf(count, 4);
    if (!fits(length))
        return length;
    unsigned char* body = MessageFrame::start(buffer, GroupAnzeige, FactorListSub, length);
    for (int i = 0; i < count; ++i) {
        ByteOrder::putBig16(body + 4 * i, quint16(list.at(i).first));
        ByteOrder::putBig16(body + 4 * i + 2, quint16(thousandths(list.at(i).second)));
    }
    return length;
}

int NumberListMessage::encodeQualiList(unsigned char* buffer, const QualiList& list)
{
    const int count = list.size();
    const int length = lengthOf(count, 4);
    if (!fits(length))
        return length;
    unsigned char* body = MessageFrame::start(buffer, GroupObmann, QualiListSub, length);
    for (int i = 0; i < count; ++i) {
        ByteOrder::putBig16(body + 4 * i, quint16(list.at(i).first));
        ByteOrder::putBig16(body + 4 * i + 2, quint16(list.at(i).second));
    }
    return length;
}

StarterRequestList NumberListMessage::decodeStarterRequest(const unsigned char* payload, int length)
{
    StarterRequestList list;
    for (int at = MessageFrame::size; at + 2 <= length; at += 2)
        list.append(ByteOrder::big16(payload + at));
    return list;
}

FactorList NumberListMessage::decodeFactorList(const unsigned char* payload, int length)
{
    FactorList list;
    for (int at = MessageFrame::size; at + 4 <= length; at += 4)
        list.append({ByteOrder::big16(payload + at), ByteOrder::big16(payload + at + 2) / FactorScale});
    return list;
}

QualiList NumberListMessage::decodeQualiList(const unsigned char* payload, int length)
{
    QualiList list;
    for (int at = MessageFrame::size; at + 4 <= length; at += 4)
        list.append({ByteOrder::big16(payload + at), ByteOrder::big16(payload + at + 2)});
    return list;
}
