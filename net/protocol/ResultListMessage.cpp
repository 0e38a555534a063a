// The result-list message.
#include "net/protocol/ResultListMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

int ResultListMessage::encode(unsigned char* buffer, StartErgebnisList& list)
{
    unsigned char* body = MessageFrame::start(buffer, group, subType, MessageFrame::size + bodyLimit + entrySize);
    int size = 0;
    for (; list.cursor < list.size(); ++list.cursor) {
        const StartErgebnisList_t* entry = list.at(list.cursor);
        if (!entry || entry->number <= 0)
            continue;
        if (size > bodyLimit)
            break;
        unsigned char* at = body + size;
        ByteOrder::putBig16(at, quint16(entry->number));
        ByteOrder::putBig16(at + 2, entry->notPlaced ? notPlacedMark : quint16(entry->place));
        ByteOrder::putBig32(at + 4, quint32(entry->result));
        size += entrySize;
    }
    return MessageFrame::size + size;
}

void ResultListMessage::decode(const unsigned char* payload, int length, StartErgebnisList* out)
{
    out->owning = true;
    for (int at = MessageFrame::size; at + entrySize <= length; at += entrySize) {
        auto* entry = new StartErgebnisList_t;
        entry->number = ByteOrder::big16(payload + at);
        const quint16 place = ByteOrder::big16(payload + at + 2);
        entry->notPlaced = (place & 0xFF) == 0xFF;
        entry->place = entry->notPlaced ? notPlacedPlace : place;
        entry->result = int(ByteOrder::big32(payload + at + 4));
        out->append(entry);
    }
}
