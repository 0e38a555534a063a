// The award-ceremony message.
#include "net/protocol/SiegerehrungMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

int SiegerehrungMessage::encode(unsigned char* buffer, int first, int second)
{
    unsigned char* body = MessageFrame::start(buffer, group, subType, length);
    ByteOrder::putBig16(body, quint16(first));
    ByteOrder::putBig16(body + 2, quint16(second));
    return length;
}

bool SiegerehrungMessage::decode(const unsigned char* payload, int size, int* first, int* second)
{
    if (size < minimumLength)
        return false;
    *first = ByteOrder::big16(payload + MessageFrame::size);
    *second = size >= length ? ByteOrder::big16(payload + MessageFrame::size + 2) : 0;
    return true;
}
