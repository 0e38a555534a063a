// Single-value message bodies.
#include "net/protocol/ValueMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

int ValueMessage::encodeByte(unsigned char* buffer, quint8 group, quint8 sub, quint8 value)
{
    *MessageFrame::start(buffer, group, sub, byteLength) = value;
    return byteLength;
}

int ValueMessage::encodeNumber(unsigned char* buffer, quint8 group, quint8 sub, quint16 value)
{
    ByteOrder::putBig16(MessageFrame::start(buffer, group, sub, numberLength), value);
    return numberLength;
}

bool ValueMessage::decodeByte(const unsigned char* payload, int length, quint8* value)
{
    if (length < byteLength)
        return false;
    *value = payload[MessageFrame::size];
    return true;
}

bool ValueMessage::decodeNumber(const unsigned char* payload, int length, quint16* value)
{
    if (length < numberLength)
        return false;
    *value = ByteOrder::big16(payload + MessageFrame::size);
    return true;
}
