// The transport's send queue of data packets.
#include "net/transport/SendQueue.h"

#include "net/transport/PeerTable.h"

#include <QtDebug>

namespace {

constexpr qint64 MaxDelayField = 0xffff;

} // namespace

SendQueue::~SendQueue()
{
    qDeleteAll(packets);
}

quint16 SendQueue::clampMs(qint64 ms)
{
    return quint16(qBound<qint64>(0, ms, MaxDelayField));
}

TovkaAddress SendQueue::destinationFor(const TovkaAddress& target, bool juryMode)
{
    if (juryMode && target.kind == KindChief)
        return TovkaAddress(KindAusbilder, 0, 0);
    if (target.kind == KindBuero)
        return TovkaAddress(KindBuero, 0, 0);
    return target;
}

quint32 SendQueue::takeSequence()
{
    last = PacketHeader::nextSequence(last);
    return last;
}

SendQueue::Transmission SendQueue::next(const PeerTable& peers)
{
    Transmission transmission;
    if (packets.isEmpty()) {
        flying = nullptr;
        return transmission;
    }
    QueuePacket* head = packets.first();
    transmission.packet = head;
    transmission.repeat = head == flying;
    if (transmission.repeat) {
        qDebug("resending Packet %d", int(head->header.sequence));
    } else {
        flying = head;
        qDebug("sending packet %d from queue", int(head->header.sequence));
        triesLeft = maxResends;
        acks = peers.acknowledgersOf(head->header.destination());
    }
    head->header.delay = clampMs(clock.monotonicMs() - head->queuedMs);
    return transmission;
}

bool SendQueue::afterWrite(Outcome* outcome)
{
    const int tries = triesLeft--;
    if (tries > 0 && !acks.isEmpty())
        return true;
    const TovkaAddress destination = flying->header.destination();
    *outcome = removeHead();
    if (tries > 0) {
        outcome->reason = QString::asprintf("no such app: %d fl: %d sub:%d ", int(destination.kind),
                                            int(destination.subKind), int(destination.instance));
    } else {
        outcome->reason = QStringLiteral("too many resends");
        outcome->tooManyResends = true;
        qDebug("too many resends, packet dropped");
    }
    qDebug("%s", qPrintable(outcome->reason));
    qDebug("removing packet %d from queue", outcome->sequence);
    return false;
}

SendQueue::AckResult SendQueue::acknowledge(quint32 sequence, const TovkaAddress& from, Outcome* outcome)
{
    if (!flying || sequence != flying->header.sequence)
        return NotInFlight;
    const int index = acks.indexOf(from);
    if (index >= 0)
        acks.removeAt(index);
    qDebug("got Ack for packet #%d %x/%d => ACK=%d", int(sequence), unsigned(from.addressByte()),
           int(from.instance), acks.size());
    if (!acks.isEmpty())
        return Waiting;
    const qint64 queuedMs = flying->queuedMs;
    *outcome = removeHead();
    outcome->roundTripMs = clampMs(clock.monotonicMs() - queuedMs);
    return Complete;
}

QList<SendQueue::Outcome> SendQueue::giveUpAll(const QString& reason)
{
    QList<Outcome> given;
    flying = packets.isEmpty() ? nullptr : packets.first();
    while (flying) {
        Outcome outcome = removeHead();
        outcome.reason = reason;
        qDebug("%s: removing packet %d from queue", qPrintable(reason), outcome.sequence);
        given.append(outcome);
        flying = packets.isEmpty() ? nullptr : packets.first();
    }
    return given;
}

SendQueue::Outcome SendQueue::removeHead()
{
    Outcome outcome;
    outcome.sequence = int(flying->header.sequence);
    outcome.destination = flying->header.destination();
    packets.removeOne(flying);
    delete flying;
    flying = nullptr;
    acks.clear();
    return outcome;
}
