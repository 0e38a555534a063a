// The receive filter of data packets.
#include "net/transport/ReceiveFilter.h"

#include <QtDebug>

namespace {

constexpr quint32 SequenceSpan = 0x7fffffff;

quint8 kindOf(quint8 addressByte)
{
    return quint8(addressByte >> 4);
}

} // namespace

ReceiveFilter::Verdict ReceiveFilter::judge(const PacketHeader& header, const AppLocation* known) const
{
    if (known && isOld(header.sequence, known->lastSequence))
        return Old;
    if (!isForMe(header))
        return NotForMe;
    if (known && header.sequence == known->lastSequence)
        return header.transmissionCounter == known->transmissionCounter ? SameTransmission : Repeated;
    return New;
}

bool ReceiveFilter::isForMe(const PacketHeader& header) const
{
    // In Jury mode the chief judge is reached as kind 6, and only kind 6 is heard.
    const bool fromAusbilder = kindOf(header.sourceAddress) == KindAusbilder;
    if (header.destinationAddress == ownAddressByte
        && (header.destinationInstance == 0 || header.destinationInstance == ownInstance) && fromAusbilder == jury)
        return true;
    return kindOf(ownAddressByte) == KindInfoTerm && kindOf(header.destinationAddress) == KindAnzeige;
}

bool ReceiveFilter::isOld(quint32 current, quint32 last)
{
    if (current == last || current == PacketHeader::nextSequence(last))
        return false;
    quint32 old;
    quint32 wrap;
    if (last > current) {
        old = last - current;
        wrap = current + SequenceSpan - last;
    } else {
        old = last - current + SequenceSpan;
        wrap = current - last;
    }
    qDebug("old pcket: %d - %d  old=%ld wrap=%ld", int(current), int(last), long(old), long(wrap));
    if (wrap > old && old <= maxOldPackets) {
        qDebug("got old packet - %ld counts.\n", long(old));
        return true;
    }
    qDebug("%ld packets lost!!!!!", long(wrap));
    return false;
}
