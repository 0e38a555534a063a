// The 244-byte score record, big-endian; the mark records travel as bytes.
#include "net/protocol/FullWertung.h"

#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int deduction1Offset = 0;
constexpr int deduction2Offset = 4;
constexpr int startNumberOffset = 8;
constexpr int statusOffset = 10;
constexpr int tacticalOffset = 12;
constexpr int tacticalSize = 8;
constexpr int exercisesOffset = tacticalOffset + Wertung_t::tacticalCount * tacticalSize;
constexpr int extra1Offset = exercisesOffset + Wertung_t::exerciseCount * Wertung_t::markCount;
constexpr int extra2Offset = extra1Offset + Wertung_t::markCount;
static_assert(exercisesOffset == 84, "exercise marks follow the tactical entries");
static_assert(extra2Offset + Wertung_t::markCount == FullWertung::Size, "FullWertung is 244 bytes");
}

void FullWertung::write(const Wertung_t& score, uint8_t* out)
{
    std::memset(out, 0, Size);
    ByteOrder::putBig32(out + deduction1Offset, score.deduction1);
    ByteOrder::putBig32(out + deduction2Offset, score.deduction2);
    ByteOrder::putBig16(out + startNumberOffset, quint16(score.startNumber));
    out[statusOffset] = quint8(score.status);
    for (int i = 0; i < Wertung_t::tacticalCount; ++i) {
        uint8_t* at = out + tacticalOffset + i * tacticalSize;
        ByteOrder::putBig32(at, score.tactical[i].value);
        at[4] = score.tactical[i].exercise;
        at[5] = score.tactical[i].further;
    }
    std::memcpy(out + exercisesOffset, score.exercises, sizeof score.exercises);
    std::memcpy(out + extra1Offset, score.extra1, sizeof score.extra1);
    std::memcpy(out + extra2Offset, score.extra2, sizeof score.extra2);
}

Wertung_t FullWertung::read(const uint8_t* in)
{
    Wertung_t score;
    score.deduction1 = ByteOrder::big32(in + deduction1Offset);
    score.deduction2 = ByteOrder::big32(in + deduction2Offset);
    score.startNumber = ByteOrder::big16(in + startNumberOffset);
    score.status = in[statusOffset];
    for (int i = 0; i < Wertung_t::tacticalCount; ++i) {
        const uint8_t* at = in + tacticalOffset + i * tacticalSize;
        score.tactical[i].value = ByteOrder::big32(at);
        score.tactical[i].exercise = at[4];
        score.tactical[i].further = at[5];
    }
    std::memcpy(score.exercises, in + exercisesOffset, sizeof score.exercises);
    std::memcpy(score.extra1, in + extra1Offset, sizeof score.extra1);
    std::memcpy(score.extra2, in + extra2Offset, sizeof score.extra2);
    return score;
}
