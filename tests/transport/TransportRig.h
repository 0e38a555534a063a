// A transport under test with a recording sink and a clock of the test's,
// and builders for the datagrams other programs would send it.
#pragma once

#include "FakeClock.h"
#include "LossySink.h"

#include "net/PingPayload.h"
#include "net/PongPayload.h"
#include "net/TovkaNetIo.h"

#include <QByteArray>
#include <QHostAddress>
#include <QTimer>

struct Datagram
{
    quint8 type = PacketType::PING;
    TovkaAddress from;
    TovkaAddress to;
    QByteArray host = "halle-b";
    QByteArray payload;
    quint32 sequence = 0;
    quint16 counter = 0;
    quint16 delay = 0;
    quint8 version = PacketHeader::ProtocolVersion;

    QByteArray bytes() const
    {
        PacketHeader header = PacketHeader::make(type, from.addressByte(), from.instance);
        header.sequence = sequence;
        header.length = quint16(payload.size());
        header.destinationAddress = to.addressByte();
        header.destinationInstance = to.instance;
        header.version = version;
        header.delay = delay;
        header.transmissionCounter = counter;
        PacketHeader::setHostName(&header.hostName, host.constData());
        uint8_t buffer[PacketHeader::MaxPacket];
        const int size = PacketHeader::build(header, reinterpret_cast<const uint8_t*>(payload.constData()), buffer,
                                             int(sizeof(buffer)));
        return QByteArray(reinterpret_cast<const char*>(buffer), size);
    }
};

inline QByteArray pingPayload(quint32 seconds, quint32 ms, const char* host)
{
    PingPayload ping;
    ping.seconds = seconds;
    ping.milliseconds = ms;
    PacketHeader::setHostName(&ping.hostName, host);
    uint8_t bytes[PingPayload::Size];
    ping.write(bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes), PingPayload::Size);
}

inline QByteArray pongPayload(quint32 seconds, quint32 ms, const char* host, quint32 fromIPv4 = 0)
{
    PongPayload pong;
    pong.ping.seconds = seconds;
    pong.ping.milliseconds = ms;
    PacketHeader::setHostName(&pong.ping.hostName, host);
    pong.fromIPv4 = fromIPv4;
    uint8_t bytes[PongPayload::Size];
    pong.write(bytes);
    return QByteArray(reinterpret_cast<const char*>(bytes), PongPayload::Size);
}

struct TransportRig
{
    explicit TransportRig(quint32 kind = 0, quint32 subKind = 0, quint32 instance = 0) : net(kind, subKind, instance)
    {
        net.setClock(&clock);
        net.setDatagramSink(&sink);
        net.setDialogHook([](const QString&, const QString&) { return true; });
        if (QTimer* alive = net.findChild<QTimer*>(QStringLiteral("aliveTimer")))
            alive->stop(); // the test runs the checks itself
    }

    void feed(const Datagram& datagram, const QString& from = QStringLiteral("10.77.0.9"))
    {
        const QByteArray bytes = datagram.bytes();
        net.receiveDatagram(reinterpret_cast<const uint8_t*>(bytes.constData()), bytes.size(), QHostAddress(from));
    }

    // A peer known from its pong.
    void addPeer(const TovkaAddress& address, const char* host = "halle-b")
    {
        Datagram pong;
        pong.type = PacketType::PONG;
        pong.from = address;
        pong.host = host;
        pong.payload = pongPayload(1, 2, host);
        feed(pong);
    }

    QList<PacketHeader> written(quint8 type) const
    {
        QList<PacketHeader> result;
        for (const PacketHeader& header : sink.headers()) {
            if (header.type == type)
                result.append(header);
        }
        return result;
    }

    FakeClock clock;
    LossySink sink;
    TovkaNetIo net;
};
