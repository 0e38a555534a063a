// The number-list messages.
#include "net/protocol/NumberListMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

namespace {

constexpr quint8 GroupAnzeige = 2;
constexpr quint8 GroupObmann = 3;
constexpr quint8 StarterRequestSub = 6;
constexpr quint8 FactorListSub = 10;
constexpr quint8 QualiListSub = 4;
constexpr double FactorScale = 1000.0;

// Entries of `size` bytes that fit, and those left out.
int fitting(int count, int size, int* leftOut)
{
    const int room = (NumberListMessage::bufferSize - MessageFrame::size) / size;
    *leftOut = qMax(0, count - room);
    return qMin(count, room);
}

} // namespace

int NumberListMessage::encodeStarterRequest(unsigned char* buffer, const StarterRequestList& list, int* leftOut)
{
    const int count = fitting(list.size(), 2, leftOut);
    const int length = MessageFrame::size + 2 * count;
    unsigned char* body = MessageFrame::start(buffer, GroupAnzeige, StarterRequestSub, length);
    for (int i = 0; i < count; ++i)
        ByteOrder::putBig16(body + 2 * i, quint16(list.at(i)));
    return length;
}

int NumberListMessage::encodeFactorList(unsigned char* buffer, const FactorList& list, int* leftOut)
{
    const int count = fitting(list.size(), 4, leftOut);
    const int length = MessageFrame::size + 4 * count;
    unsigned char* body = MessageFrame::start(buffer, GroupAnzeige, FactorListSub, length);
    for (int i = 0; i < count; ++i) {
        ByteOrder::putBig16(body + 4 * i, quint16(list.at(i).first));
        ByteOrder::putBig16(body + 4 * i + 2, quint16(int(list.at(i).second * FactorScale)));
    }
    return length;
}

int NumberListMessage::encodeQualiList(unsigned char* buffer, const QualiList& list, int* leftOut)
{
    const int count = fitting(list.size(), 4, leftOut);
    const int length = MessageFrame::size + 4 * count;
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
