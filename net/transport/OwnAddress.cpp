// The own address, its heartbeat interval and the own host name.
#include "net/transport/OwnAddress.h"

#include "db/text/CString.h"

namespace {

constexpr int NibbleBits = 4;
constexpr quint8 NibbleMask = 0x0f;
constexpr quint32 HeartbeatPerKindMs = 500;
constexpr quint32 HeartbeatPerSubKindMs = 100;

} // namespace

OwnAddress::OwnAddress(quint8 addressByte, quint8 instance, const QString& hostName)
    : wire(wireOf(addressByte, instance)), heartbeat(heartbeatIntervalFor(addressByte))
{
    char name[PacketHeader::HostNameSize];
    toCString(name, hostName, int(sizeof(name)));
    PacketHeader::setHostName(&host, name);
}

quint32 OwnAddress::heartbeatIntervalFor(quint8 addressByte)
{
    return baseHeartbeatMs + HeartbeatPerKindMs * quint32(addressByte >> NibbleBits)
           + HeartbeatPerSubKindMs * quint32(addressByte & NibbleMask);
}

quint8 OwnAddress::addressByteOf(quint32 kind, quint8 subKind)
{
    return quint8((kind << NibbleBits) + subKind);
}

quint16 OwnAddress::wireOf(quint8 addressByte, quint8 instance)
{
    return quint16((quint16(addressByte) << 8) | instance);
}

quint32 OwnAddress::kind() const
{
    return quint32(addressByte() >> NibbleBits);
}

TovkaAddress OwnAddress::address() const
{
    const quint16 now = wire.load();
    return TovkaAddress::fromWire(quint8(now >> 8), quint8(now & 0xff));
}

bool OwnAddress::is(quint8 otherByte, quint8 otherInstance) const
{
    return wire.load() == wireOf(otherByte, otherInstance);
}

void OwnAddress::take(quint8 addressByte, quint8 instance)
{
    wire = wireOf(addressByte, instance);
    heartbeat = heartbeatIntervalFor(addressByte);
}

PacketHeader OwnAddress::header(quint8 type) const
{
    const quint16 now = wire.load();
    return PacketHeader::make(type, quint8(now >> 8), quint8(now & 0xff));
}

PingPayload OwnAddress::ping(qint64 wallMs) const
{
    PingPayload payload;
    payload.seconds = quint32(wallMs / 1000);
    payload.milliseconds = quint32(wallMs % 1000);
    payload.hostName = host;
    return payload;
}

bool OwnAddress::isOwnHost(const HostNameField& field) const
{
    return PacketHeader::hostNameText(field) == PacketHeader::hostNameText(host);
}

bool OwnAddress::isDuplicate(const PacketHeader& pong) const
{
    const quint32 ownKind = kind();
    return ownKind != KindNetMon && ownKind != KindInfoTerm && is(pong.sourceAddress, pong.sourceInstance)
           && !isOwnHost(pong.hostName);
}
