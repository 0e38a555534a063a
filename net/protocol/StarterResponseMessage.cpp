// The start-entry answer.
#include "net/protocol/StarterResponseMessage.h"

#include "net/protocol/MessageFrame.h"
#include "net/wire/ByteOrder.h"

#include <cstring>

bool StarterResponseMessage::decode(const unsigned char* payload, int size, StarterResponseMessage* out)
{
    if (size < length)
        return false;
    const unsigned char* body = payload + MessageFrame::size;
    out->checksum = ByteOrder::big32(body);
    out->id = ByteOrder::big16(body + 4);
    std::memcpy(out->text, body + 8, textSize);
    out->text[textSize - 1] = '\0';
    return true;
}
