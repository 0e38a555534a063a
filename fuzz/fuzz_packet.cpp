// Fuzz target for the datagram validator, the header reader and the ping, pong
// and statistic payload decoders: no input may read past its bytes, and a
// datagram judged valid must seal to the checksum it carries. The payload
// decoders see only what the reader hands on: the claimed payload, at most
// 1024 bytes, of a datagram that holds it.
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/PongPayload.h"
#include "net/wire/StatisticPayload.h"
#include "net/transport/TovkaNetStatistic.h"

#include <QtGlobal>

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

void quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(quiet);
    return 0;
}

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
    const int rest = size - PacketHeader::Size;
    if (header.length > PacketHeader::MaxPayload || header.length > rest)
        return 0;
    // Exactly the payload's bytes, so any read past them is caught.
    const std::vector<uint8_t> payload(data + PacketHeader::Size, data + PacketHeader::Size + header.length);
    decodePayload(header, payload.data(), int(payload.size()));
    return 0;
}
