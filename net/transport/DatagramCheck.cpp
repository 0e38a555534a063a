// The check of a received datagram and the lines of the version conflict.
#include "net/transport/DatagramCheck.h"

#include "db/text/CString.h"
#include "net/wire/PacketHeader.h"

#include <QtDebug>

namespace {

constexpr quint8 NewerVersionFrom = 13;

QString hostText(const HostNameField& field)
{
    QString text;
    const QByteArray bytes = PacketHeader::hostNameText(field);
    return fromCString(text, bytes.constData(), bytes.size());
}

} // namespace

bool DatagramCheck::accept(const uint8_t* data, int size, bool versionCheckRunning)
{
    const PacketCheck check = PacketHeader::check(data, size);
    switch (check.verdict) {
    case PacketCheck::Valid:
        return true;
    case PacketCheck::TooShort:
        qDebug("packet to short %ld", long(size));
        return false;
    case PacketCheck::WrongVersion:
        if (versionCheckRunning)
            noteVersionConflict(data, size);
        return false;
    case PacketCheck::ChecksumMismatch: {
        qDebug("checksum differ %x / %x", check.computed, check.received);
        PacketHeader header;
        if (PacketHeader::read(data, size, &header))
            qDebug("size=%ld  packetsize=%d", long(size), int(header.length));
        break;
    }
    case PacketCheck::LengthTooLarge:
    case PacketCheck::Truncated:
        // A length field the datagram does not fill: dropped as invalid, unlogged.
        break;
    }
    return false;
}

void DatagramCheck::noteVersionConflict(const uint8_t* data, int size)
{
    PacketHeader header;
    if (!PacketHeader::read(data, size, &header) || header.type != PacketType::PONG)
        return;
    if (conflictLines.size() >= maxConflictLines)
        return;
    const TovkaAddress source = header.source();
    const QString line = QString::asprintf("FL=%d %s (", int(source.subKind), appName(source))
                         + hostText(header.hostName).toHtmlEscaped()
                         + QString::asprintf(")  <b>%s</b> Version<br>",
                                             header.version < NewerVersionFrom ? "&auml;ltere" : "neuere");
    if (!conflictLines.contains(line))
        conflictLines.append(line);
}
