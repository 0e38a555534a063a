// The record message.
#include "net/protocol/RecordMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

int RecordMessage::encode(unsigned char* buffer, int number, const QString& text)
{
    unsigned char* body = MessageFrame::start(buffer, group, subType, length);
    ByteOrder::putBig16(body, quint16(number));
    MessageFrame::putText(body + 2, text, textSize);
    return length;
}

bool RecordMessage::decode(const unsigned char* payload, int size, int* number, QString* text)
{
    if (size != length)
        return false;
    *number = ByteOrder::big16(payload + MessageFrame::size);
    *text = MessageFrame::text(payload, size, MessageFrame::size + 2, textSize);
    return true;
}
