// Datagrams as other programs of the suite send them, built field by field,
// and their delivery to a transport as if read off a socket.
#pragma once

#include "tests/support/Bytes.h"

#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/PongPayload.h"
#include "net/transport/TovkaNetIo.h"

#include <QByteArray>
#include <QHostAddress>
#include <QString>

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
        QByteArray out(PacketHeader::MaxPacket, '\0');
        out.resize(qMax(PacketHeader::build(header, ::bytes(payload), ::bytes(out), out.size()), 0));
        return out;
    }
};

inline QByteArray pingPayload(quint32 seconds, quint32 ms, const char* host)
{
    PingPayload ping;
    ping.seconds = seconds;
    ping.milliseconds = ms;
    PacketHeader::setHostName(&ping.hostName, host);
    QByteArray out(PingPayload::Size, '\0');
    ping.write(bytes(out));
    return out;
}

// The heartbeat of another program: a pong carrying its own time and host name.
inline Datagram heartbeat(const TovkaAddress& from, const char* host, quint8 version = PacketHeader::ProtocolVersion)
{
    Datagram pong;
    pong.type = PacketType::PONG;
    pong.from = from;
    pong.host = host;
    pong.version = version;
    pong.payload = pingPayload(1, 2, host) + QByteArray(PongPayload::Size - PingPayload::Size, '\0');
    return pong;
}

inline Datagram shutdownNotice(const TovkaAddress& from, const char* host)
{
    Datagram notice;
    notice.type = PacketType::SHUTDOWN;
    notice.from = from;
    notice.host = host;
    return notice;
}

inline void receive(TovkaNetIo& net, const QByteArray& datagram, const QString& from = QStringLiteral("10.77.0.9"))
{
    net.receiveDatagram(bytes(datagram), datagram.size(), QHostAddress(from));
}

inline void receive(TovkaNetIo& net, const Datagram& datagram, const QString& from = QStringLiteral("10.77.0.9"))
{
    receive(net, datagram.bytes(), from);
}
