// Packets per second through the header codec: encode, checksum and validate,
// beside a plain 80-byte copy as the floor of any header handling.
#include "net/wire/PacketHeader.h"

#include <benchmark/benchmark.h>

#include <cstring>
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

} // namespace

BENCHMARK_MAIN();
