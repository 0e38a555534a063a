// The data packets waiting to go out, first in first out: the sequence
// numbers, the packet in flight with the peers that still have to acknowledge
// it, the repeat rule (every 200 ms, at most 11 writes) and the give-up.
// Plain logic: the transport writes what it is handed, runs the repeat timer
// and reports the outcomes.
#pragma once

#include "net/transport/QueuePacket.h"
#include "net/transport/TransportClock.h"
#include "net/wire/TovkaAddress.h"

#include <QList>
#include <QString>

class PeerTable;

class SendQueue
{
public:
    static constexpr int resendIntervalMs = 200;
    static constexpr int maxResends = 10; // so at most 11 writes of one packet

    // What became of the packet in flight once it left the queue.
    struct Outcome
    {
        int sequence = 0;
        TovkaAddress destination;
        QString reason;              // given up: why
        bool tooManyResends = false; // given up after the last repeat
        quint16 roundTripMs = 0;     // acknowledged: since it was queued
    };
    // The packet to write now.
    struct Transmission
    {
        QueuePacket* packet = nullptr; // null: nothing to write
        bool repeat = false;
    };
    enum AckResult { NotInFlight, Waiting, Complete };

    explicit SendQueue(const TransportClock& clock, quint32 lastSequence = 0) : clock(clock), last(lastSequence) {}
    ~SendQueue();
    SendQueue(const SendQueue&) = delete;
    SendQueue& operator=(const SendQueue&) = delete;

    // The sequence number of the next data packet: 1 follows 0x7ffffffe.
    quint32 takeSequence();
    // Takes the packet, as its sender stamped it, to the end of the queue.
    void append(QueuePacket* packet) { packets.append(packet); }

    // The head of the queue with its delay field set: taken into flight, with
    // the peers that must acknowledge it, when it is new; repeated otherwise.
    Transmission next(const PeerTable& peers);
    // After a write of the packet in flight: true when it waits for
    // acknowledgements; otherwise it was given up, *outcome says which and why.
    bool afterWrite(Outcome* outcome);
    // An acknowledgement from a peer for a sequence number. Complete: the
    // last one came in, the packet left the queue, *outcome has its round trip.
    AckResult acknowledge(quint32 sequence, const TovkaAddress& from, Outcome* outcome);
    // Gives up every queued packet, the one in flight first.
    QList<Outcome> giveUpAll(const QString& reason);

    int size() const { return packets.size(); }
    const QueuePacket* inFlight() const { return flying; }

    // Milliseconds as a 16-bit header field: 0 below, 0xffff above.
    static quint16 clampMs(qint64 ms);
    // Where a data packet for the target goes: in Jury mode a packet for a
    // chief judge goes to the trainer (kind 6, sub-kind 0), and the office
    // has one address whatever the sub-kind and instance.
    static TovkaAddress destinationFor(const TovkaAddress& target, bool juryMode);

private:
    Outcome removeHead();

    const TransportClock& clock;
    quint32 last;
    QList<QueuePacket*> packets;
    QueuePacket* flying = nullptr;
    QList<TovkaAddress> acks;
    int triesLeft = 0;
};
