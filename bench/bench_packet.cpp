// Packets per second through the header codec: encode, checksum and validate,
// beside a plain 80-byte copy as the floor of any header handling. And the
// send queue's checked lock, taken as the transport takes it for every
// packet, beside a plain mutex taken the same way.
#include "net/transport/CheckedMutex.h"
#include "net/wire/PacketHeader.h"

#include <benchmark/benchmark.h>

#include <chrono>
#include <cstring>
#include <mutex>
#include <vector>

namespace {

void BM_HeaderEncodeChecksumValidate(benchmark::State& state)
{
    const int payloadLength = int(state.range(0));
    std::vector<uint8_t> payload(payloadLength, 0xff);
    std::vector<uint8_t> packet(PacketHeader::MaxPacket);
    PacketHeader header = PacketHeader::make(PacketType::DATA, 0x70, 1);
    PacketHeader::setHostName(&header.hostName, "turnhalle-pc");
    header.length = quint16(payloadLength);
    for (auto _ : state) {
        ++header.transmissionCounter;
        const int size = PacketHeader::build(header, payload.data(), packet.data(), int(packet.size()));
        const PacketCheck check = PacketHeader::check(packet.data(), size);
        benchmark::DoNotOptimize(check);
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * (PacketHeader::Size + payloadLength));
}
BENCHMARK(BM_HeaderEncodeChecksumValidate)->Arg(0)->Arg(68)->Arg(1024);

void BM_PlainHeaderCopy(benchmark::State& state)
{
    uint8_t source[PacketHeader::Size] = {};
    uint8_t target[PacketHeader::Size];
    for (auto _ : state) {
        ++source[78];
        std::memcpy(target, source, sizeof target);
        benchmark::DoNotOptimize(target);
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(state.iterations() * PacketHeader::Size);
}
BENCHMARK(BM_PlainHeaderCopy);

// Nanoseconds per call of take, over rounds calls.
template<class Take>
double nsPerLock(int rounds, Take take)
{
    const auto start = std::chrono::steady_clock::now();
    for (int i = 0; i < rounds; ++i)
        take();
    return std::chrono::duration<double, std::nano>(std::chrono::steady_clock::now() - start).count() / rounds;
}

void BM_QueueLock(benchmark::State& state)
{
    constexpr int rounds = 10000;
    CheckedMutex checked;
    std::mutex plain;
    int guarded = 0;
    double checkedNs = 0, plainNs = 0;
    for (auto _ : state) {
        checkedNs += nsPerLock(rounds, [&] {
            CheckedMutex::Guard lock(checked);
            benchmark::DoNotOptimize(++guarded);
        });
        plainNs += nsPerLock(rounds, [&] {
            std::lock_guard<std::mutex> lock(plain);
            benchmark::DoNotOptimize(++guarded);
        });
    }
    state.counters["checked_ns"] = checkedNs / double(state.iterations());
    state.counters["plain_ns"] = plainNs / double(state.iterations());
    state.counters["ratio"] = plainNs > 0 ? checkedNs / plainNs : 0.0;
}
BENCHMARK(BM_QueueLock);

} // namespace

BENCHMARK_MAIN();
