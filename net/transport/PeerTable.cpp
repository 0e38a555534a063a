// The transport's peer table.
#include "net/transport/PeerTable.h"

#include <cstring>

PeerTable::~PeerTable()
{
    qDeleteAll(peers);
}

AppLocation PeerTable::recordOf(const PacketHeader& header) const
{
    AppLocation record;
    record.address = header.source();
    record.setHostName(header.hostName.data(), PacketHeader::HostNameMaxText);
    record.lastHeard = 0;
    record.lastUpdate = clock.seconds();
    record.transmissionCounter = header.transmissionCounter;
    record.lastSequence = header.sequence;
    return record;
}

AppLocation* PeerTable::find(const AppLocation& record) const
{
    for (AppLocation* app : peers) {
        if (app->isSameApp(record))
            return app;
    }
    return nullptr;
}

AppLocation* PeerTable::insert(const AppLocation& record, bool* inserted)
{
    if (inserted)
        *inserted = false;
    if (AppLocation* app = find(record)) {
        if (record.lastSequence != 0) {
            std::memcpy(app->hostName, record.hostName, sizeof(app->hostName));
            app->lastHeard = record.lastHeard;
            app->lastUpdate = record.lastUpdate;
            app->transmissionCounter = record.transmissionCounter;
            app->lastSequence = record.lastSequence;
        }
        return app;
    }
    peers.append(new AppLocation(record));
    if (inserted)
        *inserted = true;
    return peers.last();
}

bool PeerTable::remove(const AppLocation& record, AppLocation* removed)
{
    AppLocation* app = find(record);
    if (!app)
        return false;
    *removed = *app;
    peers.removeOne(app);
    delete app;
    return true;
}

bool PeerTable::hear(const AppLocation& record, bool insertMissing)
{
    if (AppLocation* app = find(record)) {
        app->lastHeard = clock.seconds();
        return false;
    }
    bool inserted = false;
    if (insertMissing)
        insert(record, &inserted);
    return inserted;
}

const AppLocation* PeerTable::atAddress(const TovkaAddress& address) const
{
    for (const AppLocation* app : peers) {
        if (app->address == address)
            return app;
    }
    return nullptr;
}

bool PeerTable::hasKindAndSubKind(const TovkaAddress& address) const
{
    for (const AppLocation* app : peers) {
        if (app->address.kind == address.kind && app->address.subKind == address.subKind)
            return true;
    }
    return false;
}

QList<TovkaAddress> PeerTable::acknowledgersOf(const TovkaAddress& destination) const
{
    QList<TovkaAddress> result;
    for (const AppLocation* app : peers) {
        const TovkaAddress& peer = app->address;
        const bool matches = peer.kind == destination.kind && peer.subKind == destination.subKind
                             && (destination.instance == 0 || destination.instance == peer.instance);
        const bool terminalForDisplay = destination.kind == KindAnzeige && peer.kind == KindInfoTerm;
        if (matches || terminalForDisplay)
            result.append(peer);
    }
    return result;
}

QList<AppLocation> PeerTable::expire()
{
    const qint64 now = clock.seconds();
    QList<AppLocation> lost;
    for (int i = 0; i < peers.size();) {
        const AppLocation* app = peers.at(i);
        if (now - app->lastUpdate > timeoutSeconds && now - app->lastHeard > timeoutSeconds) {
            lost.append(*app);
            delete peers.takeAt(i);
        } else {
            ++i;
        }
    }
    return lost;
}

QList<AppLocation> PeerTable::all() const
{
    QList<AppLocation> copy;
    for (const AppLocation* app : peers)
        copy.append(*app);
    return copy;
}
