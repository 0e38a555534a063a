// The program's own address as its packets carry it, the heartbeat interval
// that goes with it and the local host name: the headers and the ping payload
// of the own packets, and the tests a received pong is put to. Plain logic;
// the heartbeat thread reads the address while the GUI thread may change it.
#pragma once

#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/TovkaAddress.h"

#include <QString>

#include <atomic>

class OwnAddress
{
public:
    static constexpr quint32 baseHeartbeatMs = 5000;

    OwnAddress(quint8 addressByte, quint8 instance, const QString& hostName);

    // 5000 ms + 500 ms per kind + 100 ms per sub-kind.
    static quint32 heartbeatIntervalFor(quint8 addressByte);
    static quint8 addressByteOf(quint32 kind, quint8 subKind);

    quint8 addressByte() const { return quint8(wire.load() >> 8); }
    quint8 instance() const { return quint8(wire.load() & 0xff); }
    quint32 kind() const;
    TovkaAddress address() const;
    bool is(quint8 addressByte, quint8 instance) const;
    quint32 heartbeatMs() const { return heartbeat.load(); }
    const HostNameField& hostName() const { return host; }

    // Takes a new address and its heartbeat interval; the writer's lock is
    // held, so every packet carries one address or the other in full.
    void take(quint8 addressByte, quint8 instance);

    // A header of the type under the own address.
    PacketHeader header(quint8 type) const;
    // The own time of day (wall clock, ms since 1970) and host name.
    PingPayload ping(qint64 wallMs) const;
    // True when the host-name field names this computer.
    bool isOwnHost(const HostNameField& field) const;
    // A pong under the own address from another computer: a second copy of
    // this program. The monitor and the information terminals may run twice.
    bool isDuplicate(const PacketHeader& pong) const;

private:
    static quint16 wireOf(quint8 addressByte, quint8 instance);

    std::atomic<quint16> wire;      // address byte << 8 | instance
    std::atomic<quint32> heartbeat;
    HostNameField host{};
};
