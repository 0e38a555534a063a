// Wire form of one statistic entry.
#include "net/wire/NetStatistic.h"

#include "net/wire/ByteOrder.h"

namespace {

constexpr int KeyAt = 0;
constexpr int RttSumAt = 4;
constexpr int HandlingSumAt = 8;
constexpr int RttMaxAt = 12;
constexpr int HandlingMaxAt = 14;
constexpr int SentAt = 16;
constexpr int RepeatsAt = 18;
constexpr int DroppedAt = 20;
constexpr int ReservedAt = 22;
constexpr int ReceivedAt = 24;
constexpr int RepeatsReceivedAt = 26;
constexpr int PongsAt = 28;
constexpr int TrailingReservedAt = 30;

static_assert(TrailingReservedAt + 2 == NetStatistic::WireSize, "a statistic entry is 32 bytes");

} // namespace

void NetStatistic::write(uint8_t* out) const
{
    ByteOrder::putBig32(out + KeyAt, key);
    ByteOrder::putBig32(out + RttSumAt, rttSum);
    ByteOrder::putBig32(out + HandlingSumAt, handlingSum);
    ByteOrder::putBig16(out + RttMaxAt, rttMax);
    ByteOrder::putBig16(out + HandlingMaxAt, handlingMax);
    ByteOrder::putBig16(out + SentAt, sent);
    ByteOrder::putBig16(out + RepeatsAt, repeats);
    ByteOrder::putBig16(out + DroppedAt, dropped);
    ByteOrder::putBig16(out + ReservedAt, reserved);
    ByteOrder::putBig16(out + ReceivedAt, received);
    ByteOrder::putBig16(out + RepeatsReceivedAt, repeatsReceived);
    ByteOrder::putBig16(out + PongsAt, pongs);
    // Peers ignore these two bytes; zeros keep stale buffer contents off the wire.
    ByteOrder::putBig16(out + TrailingReservedAt, 0);
}

bool NetStatistic::read(const uint8_t* data, int size, NetStatistic* out)
{
    if (!data || size < WireSize)
        return false;
    out->key = ByteOrder::big32(data + KeyAt);
    out->rttSum = ByteOrder::big32(data + RttSumAt);
    out->handlingSum = ByteOrder::big32(data + HandlingSumAt);
    out->rttMax = ByteOrder::big16(data + RttMaxAt);
    out->handlingMax = ByteOrder::big16(data + HandlingMaxAt);
    out->sent = ByteOrder::big16(data + SentAt);
    out->repeats = ByteOrder::big16(data + RepeatsAt);
    out->dropped = ByteOrder::big16(data + DroppedAt);
    out->reserved = ByteOrder::big16(data + ReservedAt);
    out->received = ByteOrder::big16(data + ReceivedAt);
    out->repeatsReceived = ByteOrder::big16(data + RepeatsReceivedAt);
    out->pongs = ByteOrder::big16(data + PongsAt);
    return true;
}
