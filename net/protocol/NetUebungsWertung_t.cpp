// One exercise's score on the wire, big-endian.
#include "net/protocol/NetUebungsWertung_t.h"

#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int deduction1Offset = 0;
constexpr int deduction2Offset = 4;
constexpr int tacticalOffset = 8;
constexpr int startNumberOffset = 12;
constexpr int exerciseOffset = 14;
constexpr int statusOffset = 15;
constexpr int furtherOffset = 16;
constexpr int marksOffset = 20;
static_assert(marksOffset + Wertung_t::markCount + 3 == NetUebungsWertung_t::Size, "NetUebungsWertung_t is 28 bytes");
}

NetUebungsWertung_t NetUebungsWertung_t::fromScore(const Wertung_t& score, int e)
{
    NetUebungsWertung_t result;
    result.deduction1 = score.deduction1;
    result.deduction2 = score.deduction2;
    result.startNumber = quint16(score.startNumber);
    result.exercise = quint8(e);
    result.status = quint8(score.status);
    for (const TaktischWertung& entry : score.tactical) {
        if (entry.exercise == e) {
            result.tacticalValue = entry.value;
            result.further = entry.further;
            break;
        }
    }
    const quint8* marks = e <= 0 ? score.extra1 : e > Wertung_t::exerciseCount ? score.extra2 : score.exercises[e - 1];
    std::memcpy(result.marks, marks, sizeof result.marks);
    return result;
}

void NetUebungsWertung_t::write(uint8_t* out) const
{
    std::memset(out, 0, Size);
    ByteOrder::putBig32(out + deduction1Offset, deduction1);
    ByteOrder::putBig32(out + deduction2Offset, deduction2);
    ByteOrder::putBig32(out + tacticalOffset, tacticalValue);
    ByteOrder::putBig16(out + startNumberOffset, startNumber);
    out[exerciseOffset] = exercise;
    out[statusOffset] = status;
    out[furtherOffset] = further;
    std::memcpy(out + marksOffset, marks, sizeof marks);
}

NetUebungsWertung_t NetUebungsWertung_t::read(const uint8_t* in)
{
    NetUebungsWertung_t result;
    result.deduction1 = ByteOrder::big32(in + deduction1Offset);
    result.deduction2 = ByteOrder::big32(in + deduction2Offset);
    result.tacticalValue = ByteOrder::big32(in + tacticalOffset);
    result.startNumber = ByteOrder::big16(in + startNumberOffset);
    result.exercise = in[exerciseOffset];
    result.status = in[statusOffset];
    result.further = in[furtherOffset];
    std::memcpy(result.marks, in + marksOffset, sizeof result.marks);
    return result;
}
