// The rules a received data packet passes before it is delivered: the
// sequence check against the sender's last packet (old packets are dropped,
// wrap-around included), the destination check (own address, any instance,
// Jury mode, information terminals hearing displays) and the repetition
// check. Plain logic: the caller acknowledges, updates the peer table and
// delivers as the verdict says.
#pragma once

#include "net/transport/AppLocation.h"
#include "net/wire/PacketHeader.h"

class ReceiveFilter
{
public:
    enum Verdict {
        Old,              // an earlier packet of a known sender: dropped unacknowledged
        NotForMe,         // for another program: only the sender's record is kept
        SameTransmission, // the transmission already heard on another socket: ignored
        Repeated,         // a repetition: acknowledged again, not delivered again
        New,              // acknowledged and delivered
    };

    static constexpr quint32 maxOldPackets = 9;

    ReceiveFilter(quint8 ownAddressByte, quint8 ownInstance, bool juryMode)
        : ownAddressByte(ownAddressByte), ownInstance(ownInstance), jury(juryMode) {}

    // `known` is the sender's record in the peer table, or null.
    Verdict judge(const PacketHeader& header, const AppLocation* known) const;
    bool isForMe(const PacketHeader& header) const;
    // True when `current` lies at most nine sequence numbers before `last`,
    // counted the short way round the wrap from 0x7ffffffe to 1.
    static bool isOld(quint32 current, quint32 last);

private:
    quint8 ownAddressByte;
    quint8 ownInstance;
    bool jury;
};
