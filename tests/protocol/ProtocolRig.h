// A transport whose datagrams go into a list instead of onto the wire, with
// a protocol on it, and a builder for the data packets other programs send.
#pragma once

#include "net/DatagramSink.h"
#include "net/PacketHeader.h"
#include "net/PongPayload.h"
#include "net/TovkaNetIo.h"
#include "net/TovkaProtocol.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMutex>
#include <QMutexLocker>

class RecordingSink : public DatagramSink
{
public:
    bool writeDatagram(const char* data, int size) override
    {
        QMutexLocker lock(&mutex);
        datagrams.append(QByteArray(data, size));
        return true;
    }

    // The payloads of the data packets written so far, with their headers.
    QList<QPair<PacketHeader, QByteArray>> dataPackets() const
    {
        QMutexLocker lock(&mutex);
        QList<QPair<PacketHeader, QByteArray>> result;
        for (const QByteArray& datagram : datagrams) {
            PacketHeader header;
            const auto* bytes = reinterpret_cast<const uint8_t*>(datagram.constData());
            if (PacketHeader::read(bytes, datagram.size(), &header) && header.type == PacketType::DATA)
                result.append({header, datagram.mid(PacketHeader::Size, header.length)});
        }
        return result;
    }

    // The type and source address byte of every packet written so far.
    QList<QPair<quint8, quint8>> packetKinds() const
    {
        QMutexLocker lock(&mutex);
        QList<QPair<quint8, quint8>> result;
        for (const QByteArray& datagram : datagrams) {
            PacketHeader header;
            const auto* bytes = reinterpret_cast<const uint8_t*>(datagram.constData());
            if (PacketHeader::read(bytes, datagram.size(), &header))
                result.append({header.type, header.sourceAddress});
        }
        return result;
    }

    void clear()
    {
        QMutexLocker lock(&mutex);
        datagrams.clear();
    }

private:
    mutable QMutex mutex;
    QList<QByteArray> datagrams;
};

// A packet from another program, as it arrives.
inline QByteArray packet(quint8 type, const QByteArray& payload, const TovkaAddress& from, const TovkaAddress& to,
                         quint32 sequence = 0, quint16 delay = 0, const char* host = "halle-b")
{
    PacketHeader header = PacketHeader::make(type, from.addressByte(), from.instance);
    header.sequence = sequence;
    header.length = quint16(payload.size());
    header.destinationAddress = to.addressByte();
    header.destinationInstance = to.instance;
    header.delay = delay;
    PacketHeader::setHostName(&header.hostName, host);
    uint8_t buffer[PacketHeader::MaxPacket];
    const int size = PacketHeader::build(header, reinterpret_cast<const uint8_t*>(payload.constData()), buffer,
                                         int(sizeof(buffer)));
    return QByteArray(reinterpret_cast<const char*>(buffer), size);
}

inline QByteArray dataPacket(const QByteArray& payload, const TovkaAddress& from, const TovkaAddress& to,
                             quint32 sequence, quint16 delay = 0)
{
    return packet(PacketType::DATA, payload, from, to, sequence, delay);
}

// The heartbeat of another program: a pong carrying its own time and host name.
inline QByteArray heartbeat(const TovkaAddress& from, const char* host)
{
    PongPayload pong;
    pong.ping.seconds = 1;
    PacketHeader::setHostName(&pong.ping.hostName, host);
    uint8_t bytes[PongPayload::Size];
    pong.write(bytes);
    return packet(PacketType::PONG, QByteArray(reinterpret_cast<const char*>(bytes), PongPayload::Size), from,
                  TovkaAddress(), 0, 0, host);
}

inline QByteArray shutdown(const TovkaAddress& from, const char* host)
{
    return packet(PacketType::SHUTDOWN, QByteArray(), from, TovkaAddress(), 0, 0, host);
}

struct ProtocolRig
{
    explicit ProtocolRig(const TovkaAddress& own = TovkaAddress(KindBelegungsPlaner, 0, 0))
        : net(own.kind, own.subKind, own.instance), protocol(&net)
    {
        net.setDatagramSink(&sink);
    }
    ~ProtocolRig() { net.setDatagramSink(nullptr); }

    void receive(const QByteArray& packet)
    {
        net.receiveDatagram(reinterpret_cast<const uint8_t*>(packet.constData()), packet.size(),
                            QHostAddress(QStringLiteral("10.77.0.9")));
    }

    RecordingSink sink;
    TovkaNetIo net;
    TovkaProtocol protocol;
};
