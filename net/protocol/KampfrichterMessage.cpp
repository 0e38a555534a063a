// The judges' messages.
#include "net/protocol/KampfrichterMessage.h"

#include "net/protocol/MessageFrame.h"

namespace {

constexpr quint8 GroupGericht = 4;
constexpr quint8 GroupBuero = 5;
constexpr quint8 KampfrichterSub = 2;
constexpr quint8 AllKampfrichterSub = 2;
constexpr int EntrySize = 3 * KampfrichterMessage::nameSize;

} // namespace

int KampfrichterMessage::encode(unsigned char* buffer, const Names& names)
{
    unsigned char* body = MessageFrame::start(buffer, GroupGericht, KampfrichterSub, length);
    for (int i = 0; i < 3; ++i)
        MessageFrame::putText(body + i * nameSize, names[i], nameSize);
    return length;
}

int KampfrichterMessage::encodeAll(unsigned char* buffer, const QString& chief, const QString (&juries)[entries][2])
{
    unsigned char* body = MessageFrame::start(buffer, GroupBuero, AllKampfrichterSub, allLength);
    for (int entry = 0; entry < entries; ++entry) {
        unsigned char* at = body + entry * EntrySize;
        MessageFrame::putText(at, juries[entry][0], nameSize);
        MessageFrame::putText(at + nameSize, juries[entry][1], nameSize);
        MessageFrame::putText(at + 2 * nameSize, chief, nameSize);
    }
    return allLength;
}

bool KampfrichterMessage::decode(const unsigned char* payload, int size, Names& names)
{
    if (size < length)
        return false;
    for (int i = 0; i < 3; ++i)
        names[i] = MessageFrame::text(payload, size, MessageFrame::size + i * nameSize, nameSize);
    return true;
}

bool KampfrichterMessage::decodeAll(const unsigned char* payload, int size, QString (&names)[entries][3])
{
    if (size < allLength)
        return false;
    for (int entry = 0; entry < entries; ++entry) {
        for (int i = 0; i < 3; ++i)
            names[entry][i] =
                MessageFrame::text(payload, size, MessageFrame::size + entry * EntrySize + i * nameSize, nameSize);
    }
    return true;
}
