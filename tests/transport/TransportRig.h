// A transport under test with a recording sink and a clock of the test's. The
// heartbeat, written on the transport's own thread whenever its timer fires,
// is kept out of what the sink shows, so tests may count datagrams exactly.
#pragma once

#include "FakeClock.h"

#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"

#include "net/TovkaNetIo.h"

#include <QThread>
#include <QTimer>

struct TransportRig
{
    explicit TransportRig(quint32 kind = 0, quint32 subKind = 0, quint32 instance = 0) : net(kind, subKind, instance)
    {
        sink.leaveOutOtherThreads(true);
        net.setClock(&clock);
        net.setDatagramSink(&sink);
        net.setDialogHook([](const QString&, const QString&) { return true; });
        if (QTimer* alive = net.findChild<QTimer*>(QStringLiteral("aliveTimer")))
            alive->stop(); // the test runs the checks itself
    }

    void feed(const Datagram& datagram, const QString& from = QStringLiteral("10.77.0.9"))
    {
        receive(net, datagram, from);
    }

    // A peer known from its heartbeat.
    void addPeer(const TovkaAddress& address, const char* host = "halle-b") { feed(heartbeat(address, host)); }

    QList<PacketHeader> written(quint8 type) const
    {
        QList<PacketHeader> result;
        for (const PacketHeader& header : sink.headers()) {
            if (header.type == type)
                result.append(header);
        }
        return result;
    }

    // The thread the heartbeat runs on.
    QThread* worker() const { return net.findChild<QThread*>(); }

    FakeClock clock;
    RecordingSink sink;
    TovkaNetIo net;
};
