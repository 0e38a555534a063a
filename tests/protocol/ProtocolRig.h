// A transport whose datagrams go into a list instead of onto the wire, with
// a protocol on it.
#pragma once

#include "tests/support/Datagram.h"
#include "tests/support/RecordingSink.h"

#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"

struct ProtocolRig
{
    explicit ProtocolRig(const TovkaAddress& own = TovkaAddress(KindBelegungsPlaner, 0, 0))
        : net(own.kind, own.subKind, own.instance), protocol(&net)
    {
        net.setDatagramSink(&sink);
    }
    ~ProtocolRig() { net.setDatagramSink(nullptr); }

    void receive(const Datagram& datagram) { ::receive(net, datagram); }
    void deliver(const QByteArray& payload, TovkaAddress from)
    {
        protocol.dataReceived(payload.constData(), payload.size(), from);
    }

    RecordingSink sink;
    TovkaNetIo net;
    TovkaProtocol protocol;
};
