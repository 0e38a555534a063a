// Message 2/9: the training plan of one floor area on the wire, big-endian.
#include "net/protocol/TrainingPlanMessage.h"

#include "net/wire/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {

using ByteOrder::big32;
using ByteOrder::putBig32;

// How many of the name's bytes fit into `room` bytes without splitting a UTF-8
// character; text that is not UTF-8 is cut at the byte boundary.
// Half a character would make the receiver read the whole name as Latin-1, garbled.
int fittingNameLength(const char* name, int room)
{
    const int length = int(strnlen(name, TrainingsStarterEntry::nameSize));
    if (length <= room)
        return length;
    int cut = room;
    while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80)
        --cut;
    if (cut == room)
        return room;
    // Only back off when the bytes before the cut really form UTF-8.
    const QByteArray prefix(name, length);
    const QString decoded = QString::fromUtf8(prefix);
    return decoded.toUtf8() == prefix ? cut : room;
}

} // namespace

int TrainingPlanMessage::encode(unsigned char* buffer, int area, const TrainingsData& data, time_t now, int* leftOut)
{
    const int count = std::min(data.starters.size(), maxEntries);
    const int length = headerSize + count * entrySize;
    std::memset(buffer, 0, size_t(length));

    buffer[0] = group;
    buffer[1] = subType;
    putBig32(buffer + startOffset, quint32(data.start));
    putBig32(buffer + endOffset, quint32(data.end));
    putBig32(buffer + slotOffset, quint32(data.slot));
    putBig32(buffer + senderTimeOffset, quint32(now));
    putBig32(buffer + areaOffset, quint32(area));

    for (int k = 0; k < count; ++k) {
        const TrainingsStarterEntry& entry = data.starters.at(k);
        unsigned char* at = buffer + headerSize + k * entrySize;
        putBig32(at + entryTimeOffset, quint32(entry.time));
        std::memcpy(at + entryNameOffset, entry.name, size_t(fittingNameLength(entry.name, nameFieldSize - 1)));
    }
    if (leftOut)
        *leftOut = data.starters.size() - count;
    return length;
}

bool TrainingPlanMessage::decode(const unsigned char* payload, int length, quint32 delayMs, TrainingPlanMessage* out)
{
    if (!payload || length < minimumLength)
        return false;

    // Work on a zeroed copy of what arrived; the sender's buffer stays untouched.
    unsigned char copy[maxLength] = {};
    const int usable = std::min(length, maxLength);
    std::memcpy(copy, payload, size_t(usable));

    TrainingPlanMessage message;
    message.data.start = time_t(big32(copy + startOffset));
    message.data.end = time_t(big32(copy + endOffset));
    message.data.slot = time_t(big32(copy + slotOffset));
    message.senderTime = time_t(big32(copy + senderTimeOffset)) + time_t(delaySeconds(delayMs));
    message.area = qint32(big32(copy + areaOffset));

    const int count = usable < headerSize ? 0 : (usable - headerSize) / entrySize;
    for (int k = 0; k < count; ++k) {
        const unsigned char* at = copy + headerSize + k * entrySize;
        TrainingsStarterEntry entry;
        entry.time = time_t(big32(at + entryTimeOffset));
        const char* name = reinterpret_cast<const char*>(at + entryNameOffset);
        std::memcpy(entry.name, name, strnlen(name, nameFieldSize));
        message.data.starters.append(entry);
    }
    *out = message;
    return true;
}
