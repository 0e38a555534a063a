// Fuzz target for the datagram validator, the header reader and the ping, pong
// and statistic payload decoders: no input may read past its bytes, and a
// datagram judged valid must seal to the checksum it carries.
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/PongPayload.h"
#include "net/wire/StatisticPayload.h"
#include "net/transport/TovkaNetStatistic.h"

#include <climits>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

void decodePayload(const PacketHeader& header, const uint8_t* payload, int size)
{
    PingPayload ping;
    PingPayload::read(payload, size, &ping);
    PacketHeader::hostNameText(ping.hostName);
    PongPayload pong;
    PongPayload::read(payload, size, &pong);
    if (header.type != PacketType::STATISTIC)
        return;
    for (const NetStatistic& entry : StatisticPayload::read(payload, size)) {
        TovkaNetStatistic::statisticLine(entry);
        TovkaNetStatistic::addressText(entry.key);
    }
}

void headerRoundTrip(const uint8_t* data, const PacketHeader& header)
{
    uint8_t written[PacketHeader::Size];
    header.write(written);
    if (std::memcmp(written, data, PacketHeader::Size) != 0)
        std::abort();
}

void sealAgrees(const uint8_t* data, int size, const PacketCheck& check)
{
    std::vector<uint8_t> copy(data, data + size);
    if (PacketHeader::seal(copy.data(), size) < 0)
        std::abort();
    if (std::memcmp(copy.data(), data, 4) != 0 || check.computed != check.received)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t length)
{
    const int size = length > size_t(INT_MAX) ? INT_MAX : int(length);
    const PacketCheck check = PacketHeader::check(data, size);
    PacketHeader header;
    if (!PacketHeader::read(data, size, &header))
        return 0;
    headerRoundTrip(data, header);
    appName(header.source());
    appName(header.destination());
    PacketHeader::hostNameText(header.hostName);
    if (check.valid())
        sealAgrees(data, size, check);
    // Decoders see what a reader would hand them: the claimed payload when the
    // datagram holds it, else whatever follows the header.
    const int rest = size - PacketHeader::Size;
    const int payloadSize = header.length <= rest ? header.length : rest;
    decodePayload(header, data + PacketHeader::Size, payloadSize);
    return 0;
}
