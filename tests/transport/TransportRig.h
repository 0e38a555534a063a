// Shared scaffolding of the transport tests: the addresses they use, a wait
// long enough for a busy machine, and a transport with a recording sink and a
// clock of the test's. The heartbeat, written on the transport's own thread
// whenever its timer fires, is kept out of what the sink shows, so tests may
// count datagrams exactly.
#pragma once

#include "FakeClock.h"

#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"

#include <QStringList>
#include <QTimer>

const TovkaAddress Monitor(0, 0, 0);
const TovkaAddress Planner(7, 0, 0);
const TovkaAddress Office(3, 0, 0);
const int Patience = 60000; // generous: CI runs many tests side by side

inline bool knows(const TovkaNetIo& net, const TovkaAddress& address, const char* host)
{
    for (const AppLocation& app : net.peers()) {
        if (app.address == address && QByteArray(app.hostName) == host)
            return true;
    }
    return false;
}

struct TransportRig
{
    explicit TransportRig(quint32 kind = 0, quint32 subKind = 0, quint32 instance = 0) : net(kind, subKind, instance)
    {
        sink.homeThreadOnly = true;
        net.setClock(&clock);
        net.setDatagramSink(&sink);
        net.findChild<QTimer*>(QStringLiteral("aliveTimer"))->stop(); // the test runs the checks itself
        QObject::connect(&net, qOverload<const void*, int, TovkaAddress&>(&TovkaNetIo::dataReceived),
                         [this](const void* data, int length, TovkaAddress& from) {
                             delivered.append(QByteArray(static_cast<const char*>(data), length));
                             senders.append(from);
                         });
    }

    void feed(const Datagram& datagram, const QString& from = QStringLiteral("10.77.0.9"))
    {
        receive(net, datagram, from);
    }

    void check(int times = 1)
    {
        for (int i = 0; i < times; ++i)
            net.checkAlive();
    }

    // A peer known from its heartbeat.
    void addPeer(const TovkaAddress& address, const char* host = "halle-b") { feed(heartbeat(address, host)); }

    // What was written, as "type source-address-byte", e.g. "ping 70".
    QStringList sent() const
    {
        static const char* const names[] = {"ping", "pong", "shutdown", "ack", "data", "statistic"};
        QStringList result;
        for (const PacketHeader& header : sink.headers())
            result << QStringLiteral("%1 %2").arg(names[header.type]).arg(header.sourceAddress, 2, 16, QChar('0'));
        return result;
    }

    FakeClock clock;
    RecordingSink sink;
    TovkaNetIo net;
    QList<QByteArray> delivered;
    QList<TovkaAddress> senders;
};
