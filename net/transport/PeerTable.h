// The programs the transport hears, in order of insertion: lookup by address
// and host name, insertion and update from received packets, and the expiry
// of peers that have gone silent. Plain logic: no sockets, no threads, no
// signals; the caller reports what changed.
#pragma once

#include "net/transport/AppLocation.h"
#include "net/transport/TransportClock.h"
#include "net/wire/PacketHeader.h"

#include <QList>

class PeerTable
{
public:
    static constexpr int timeoutSeconds = 25;

    explicit PeerTable(const TransportClock& clock) : clock(clock) {}
    ~PeerTable();
    PeerTable(const PeerTable&) = delete;
    PeerTable& operator=(const PeerTable&) = delete;

    // The record of a received packet's sender: its address, host name and
    // counters, last update now, last heard 0.
    AppLocation recordOf(const PacketHeader& header) const;
    // The peer with the record's address and host name, or null.
    AppLocation* find(const AppLocation& record) const;
    // Appends a copy when the peer is new (*inserted true); a known peer takes
    // the record's fields only when the record carries a data sequence.
    AppLocation* insert(const AppLocation& record, bool* inserted = nullptr);
    // Takes the peer out; false when it is not in the table.
    bool remove(const AppLocation& record, AppLocation* removed);
    // Sets a known peer's last heard to now, or inserts a new one when asked.
    // True when a peer was inserted.
    bool hear(const AppLocation& record, bool insertMissing);

    // A peer at exactly this address, on any host.
    const AppLocation* atAddress(const TovkaAddress& address) const;
    // A peer of the address's kind and sub-kind, whatever its instance.
    bool hasKindAndSubKind(const TovkaAddress& address) const;
    // The peers that must acknowledge a data packet to the destination:
    // matching kind and sub-kind (instance 0 matches any), and every
    // information terminal for a display.
    QList<TovkaAddress> acknowledgersOf(const TovkaAddress& destination) const;

    // Removes the peers not heard for more than timeoutSeconds, both by
    // their last packet and their last update; returns them in table order.
    QList<AppLocation> expire();

    QList<AppLocation> all() const;

private:
    const TransportClock& clock;
    QList<AppLocation*> peers;
};
