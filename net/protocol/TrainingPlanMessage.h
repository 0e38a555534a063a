// Message 2/9, the training plan of one floor area: encoder and decoder as a
// pure codec (bytes in, values out), used by TovkaProtocol.
#pragma once

#include "net/protocol/TrainingsData.h"

#include <QtGlobal>

class TrainingPlanMessage
{
public:
    static constexpr quint8 group = 2;
    static constexpr quint8 subType = 9;
    static constexpr int headerSize = 28;      // frame, times, area
    static constexpr int minimumLength = 4;    // the frame: what a shorter message lacks reads as 0
    static constexpr int entrySize = 64;
    static constexpr int maxEntries = 15;
    static constexpr int nameFieldSize = 60;   // the last byte always travels as NUL
    static constexpr int maxLength = headerSize + maxEntries * entrySize;

    // Byte offsets within the payload.
    static constexpr int startOffset = 4;
    static constexpr int endOffset = 8;
    static constexpr int slotOffset = 12;
    static constexpr int senderTimeOffset = 16;
    static constexpr int areaOffset = 24;
    static constexpr int entryTimeOffset = 0;  // within an entry
    static constexpr int entryNameOffset = 4;

    // Writes the message for `area` into `buffer` (at least maxLength bytes),
    // zeroing every byte it covers first. `now` is the sender's clock. Returns
    // the payload length; *leftOut (when given) gets the number of starters
    // beyond the fifteen that fit.
    static int encode(unsigned char* buffer, int area, const TrainingsData& data, time_t now, int* leftOut = nullptr);

    // Decodes a received payload; `delayMs` is the time the packet spent in the
    // sender's queue, added to the sender's time in whole seconds. Fields
    // beyond the payload's end read as 0, so a payload shorter than one whole
    // entry gives a plan without starters. Returns false for a payload shorter
    // than minimumLength.
    static bool decode(const unsigned char* payload, int length, quint32 delayMs, TrainingPlanMessage* out);

    // Whole seconds that a queue delay in milliseconds adds to a received time.
    static quint32 delaySeconds(quint32 delayMs) { return (delayMs + 500u) / 1000u; }

    time_t senderTime = 0;   // corrected by the queue delay
    int area = 0;
    TrainingsData data;
};
