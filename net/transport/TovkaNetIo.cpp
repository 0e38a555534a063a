// The suite's UDP transport. Everything runs on the GUI thread except the
// heartbeat, which the worker thread writes through the same writer; the
// writer's lock guards the header buffer, the transmission counter, the sink
// and the own address as packets carry it, and is never held while a signal
// is emitted. The queue lock guards the send queue.
#include "net/transport/TovkaNetIo.h"

#include "db/text/CString.h"
#include "net/wire/PongPayload.h"
#include "net/wire/StatisticPayload.h"
#include "net/transport/ReceiveFilter.h"
#include "net/transport/TovkaNetStatistic.h"
#include "net/transport/UdpSocketLinux.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QHostInfo>
#include <QMetaObject>
#include <QUdpSocket>

#include <cerrno>
#include <cstring>

namespace {

constexpr int NibbleBits = 4;
constexpr quint8 NibbleMask = 0x0f;
constexpr int DelayLogThresholdMs = 50;
constexpr int SlowHandlerMs = 100;
constexpr qint64 HeartbeatJitterMs = 10;
constexpr quint32 HeartbeatPerKindMs = 500;
constexpr quint32 HeartbeatPerSubKindMs = 100;
constexpr quint8 JuryChiefDestination = 0x60; // kind 6, sub-kind 0
constexpr quint8 NewerVersionFrom = 13;

quint8 kindOf(quint8 addressByte)
{
    return quint8(addressByte >> NibbleBits);
}

quint8 subKindOf(quint8 addressByte)
{
    return quint8(addressByte & NibbleMask);
}

bool isExternal(const ExtendedNetworkInterface* iface)
{
    return iface->isMulticastCapable() && iface->category() != ExtendedNetworkInterface::CategoryLoopback;
}

QString hostText(const HostNameField& field)
{
    QString text;
    const QByteArray bytes = PacketHeader::hostNameText(field);
    return fromCString(text, bytes.constData(), bytes.size());
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and destruction

TovkaNetIo::TovkaNetIo(quint32 kind, quint32 subKind, quint32 instance)
    : QObject(nullptr)
{
    worker.setParent(this);
    qRegisterMetaType<QUdpSocket*>("QUdpSocket*");

    defaultDestination = TovkaAddress(KindChief, quint8(subKind), 0);
    ownWire = quint16((quint16(quint8((kind << NibbleBits) + subKind)) << 8) | quint8(instance));
    headerBuffer = new uint8_t[PacketHeader::MaxPacket]();

    statistics = new TovkaNetStatistic;
    connect(statistics, &TovkaNetStatistic::sendStatistic, this, &TovkaNetIo::sendStatistic);

    resendTimer.setSingleShot(true);
    connect(&resendTimer, &QTimer::timeout, this, qOverload<>(&TovkaNetIo::sendPacketFromQueue));

    connect(&ifManager, &IfManager::ifUp, this, &TovkaNetIo::ifUp);
    connect(&ifManager, &IfManager::ifDown, this, &TovkaNetIo::ifDown);
    connect(&ifManager, &IfManager::rescaned, this, &TovkaNetIo::refreshSocketSlots);

    heartbeatTimer.moveToThread(&worker);
    connect(&heartbeatTimer, &QTimer::timeout, this, &TovkaNetIo::sendPong, Qt::DirectConnection);
    heartbeatTimer.setTimerType(Qt::PreciseTimer);
    heartbeatMs = heartbeatIntervalFor(ownAddressByte());

    aliveTimer.setObjectName(QStringLiteral("aliveTimer"));
    aliveTimer.setParent(this);
    connect(&aliveTimer, &QTimer::timeout, this, &TovkaNetIo::checkAlive);
    aliveTimer.start(aliveIntervalMs);

    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &TovkaNetIo::sendShutdown);

    char name[PacketHeader::HostNameSize];
    toCString(name, QHostInfo::localHostName(), int(sizeof(name)));
    PacketHeader::setHostName(&ownHostName, name);

    heartbeatTimer.setInterval(int(heartbeatMs.load()));
    connect(&worker, &QThread::started, &heartbeatTimer, qOverload<>(&QTimer::start));
    // The heartbeat timer belongs to the worker: stopped there at its end and
    // handed back, so it is destroyed on the thread that owns the transport.
    QThread* home = thread();
    connect(
        &worker, &QThread::finished, &heartbeatTimer,
        [this, home] {
            heartbeatTimer.stop();
            heartbeatTimer.moveToThread(home);
            std::lock_guard<std::mutex> lock(workerMutex);
            heartbeatHandedBack = true;
            workerEnded.notify_all();
        },
        Qt::DirectConnection);
    worker.start(QThread::InheritPriority);

    ifManager.rescan();
    sendPing();
}

TovkaNetIo::~TovkaNetIo()
{
    stopWorker();
    sendShutdown();
    for (QUdpSocket* socket : sockets.keys()) {
        // Its closing must not refresh a table that holds deleted sockets.
        disconnect(socket, nullptr, this, nullptr);
        withdrawSocket(socket);
        delete socket;
    }
    sockets.clear();
    delete statistics;
    statistics = nullptr;
    delete[] headerBuffer;
}

void TovkaNetIo::stopWorker()
{
    if (!worker.isRunning())
        return;
    worker.quit();
    worker.wait();
    // Qt's own wait is invisible to the thread sanitizer; this one is not.
    std::unique_lock<std::mutex> lock(workerMutex);
    workerEnded.wait(lock, [this] { return heartbeatHandedBack; });
}

int TovkaNetIo::protocolVersion() const
{
    return PacketHeader::ProtocolVersion;
}

quint32 TovkaNetIo::heartbeatIntervalFor(quint8 addressByte)
{
    return baseHeartbeatMs + HeartbeatPerKindMs * kindOf(addressByte) + HeartbeatPerSubKindMs * subKindOf(addressByte);
}

// ---------------------------------------------------------------------------
// Seams

void TovkaNetIo::setClock(TransportClock* clock)
{
    clockSwitch.chosen = clock;
}

const TransportClock& TovkaNetIo::clock() const
{
    return clockSwitch;
}

qint64 TovkaNetIo::nowSeconds() const
{
    return clock().seconds();
}

void TovkaNetIo::setDatagramSink(DatagramSink* newSink)
{
    std::lock_guard<std::mutex> lock(writeMutex);
    sink = newSink ? newSink : &writer;
}

DatagramSink& TovkaNetIo::socketWriter()
{
    return writer;
}

void TovkaNetIo::setDialogHook(DialogHook hook)
{
    dialogHook = std::move(hook);
}

bool TovkaNetIo::askDialog(const QString& title, const QString& text, bool question, QWidget* parent)
{
    if (dialogHook)
        return dialogHook(title, text, question, parent);
    qWarning().noquote() << title << ":" << text;
    return false;
}

// ---------------------------------------------------------------------------
// Sockets

QUdpSocket* TovkaNetIo::socketFor(const ExtendedNetworkInterface* iface) const
{
    for (auto it = sockets.cbegin(); it != sockets.cend(); ++it) {
        if (it.value() == iface)
            return it.key();
    }
    return nullptr;
}

int TovkaNetIo::otherExternalInterfaces(const ExtendedNetworkInterface* iface) const
{
    int count = 0;
    for (const ExtendedNetworkInterface* other : ifManager.interfaces()) {
        if (other != iface && isExternal(other))
            ++count;
    }
    return count;
}

void TovkaNetIo::newIface(const ExtendedNetworkInterface* iface)
{
    if (!iface->isMulticastCapable())
        return;
    qDebug() << " TovkaNetIo::newIface: " << iface->humanReadableName() << iface->ipv4Address().toString();
    aliveWatch.socketOpened();

    QUdpSocket* socket = socketFor(iface);
    if (socket) {
        qDebug() << "Interface come up again: " << iface->humanReadableName();
        withdrawSocket(socket);
    } else {
        socket = new QUdpSocket;
        connect(socket, &QUdpSocket::readyRead, this, &TovkaNetIo::recvMoniPort);
        // A socket may also close by itself: its descriptor leaves the
        // heartbeat's reach before it closes. Entering the bound state is
        // left to newIface, which publishes the socket once it has joined.
        connect(socket, &QIODevice::aboutToClose, this, [this, socket] { forgetDescriptor(socket); });
        connect(socket, &QAbstractSocket::stateChanged, this, [this](QAbstractSocket::SocketState state) {
            if (state != QAbstractSocket::BoundState)
                refreshSocketSlots();
        });
        sockets.insert(socket, iface);
        qDebug() << "socket descriptor" << socket->socketDescriptor() << "  ifaceptr" << iface;
    }
    // A socket that cannot be bound or join is closed: the writer and the
    // reader skip it until the interface comes up again and it is bound anew.
    if (!bindSocket(socket, iface) || !joinGroup(socket, iface))
        socket->close();
    refreshSocketSlots();
}

bool TovkaNetIo::bindSocket(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    QString error;
    const bool loopback = iface->category() == ExtendedNetworkInterface::CategoryLoopback;
    const bool bound =
        loopback ? UdpSocketLinux::bindLoopback(socket, &error) : UdpSocketLinux::bindGroup(socket, &error);
    if (!bound)
        qWarning() << "TovkaNetIo::bindSocket failed on" << iface->humanReadableName() << ":" << error;
    qDebug() << "socket descriptor" << socket->socketDescriptor();
    return bound;
}

bool TovkaNetIo::joinGroup(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    if (iface->category() == ExtendedNetworkInterface::CategoryLoopback)
        return true;
    qDebug() << "setting up for Multicast ...";
    QString error;
    if (UdpSocketLinux::joinGroup(socket, *iface, &error))
        return true;
    qWarning() << "TovkaNetIo::newIface: joining the group failed on" << iface->humanReadableName() << ":" << error;
    return false;
}

void TovkaNetIo::refreshSocketSlots()
{
    std::vector<SocketWriter::Slot> fresh;
    for (auto it = sockets.cbegin(); it != sockets.cend(); ++it) {
        SocketWriter::Slot slot;
        slot.descriptor = it.key()->socketDescriptor();
        slot.loopback = it.value()->category() == ExtendedNetworkInterface::CategoryLoopback;
        slot.usable = it.key()->state() == QAbstractSocket::BoundState && it.value()->isUsable();
        slot.localText = it.key()->localAddress().toString();
        fresh.push_back(slot);
    }
    writer.setSlots(std::move(fresh));
}

void TovkaNetIo::forgetDescriptor(QUdpSocket* socket)
{
    // The heartbeat thread must be done with the descriptor before it closes
    // and its number can be reused.
    const qintptr descriptor = socket->socketDescriptor();
    if (descriptor >= 0)
        writer.forget(descriptor);
}

void TovkaNetIo::withdrawSocket(QUdpSocket* socket)
{
    forgetDescriptor(socket);
    socket->close();
}

void TovkaNetIo::ifUp(const ExtendedNetworkInterface* iface)
{
    if (!isExternal(iface)) {
        newIface(iface);
        return;
    }
    if (otherExternalInterfaces(iface) == 0)
        emit networkAlert(false, tr("Netzwerkverbindung verfügbar"));
    newIface(iface);
}

void TovkaNetIo::ifDown(const ExtendedNetworkInterface* iface)
{
    if (QUdpSocket* socket = socketFor(iface)) {
        qDebug() << "TovkaNetIo::ifDown went down: " << iface->humanReadableName();
        withdrawSocket(socket);
        refreshSocketSlots();
    }
    if (otherExternalInterfaces(iface) == 0) {
        aliveWatch.externalGone();
        qWarning("no more external interfaces!");
        emit networkAlert(true, tr("Wahrscheinlich ist die Netzwerkverbindung unterbrochen"));
    }
}

void TovkaNetIo::closeSocket(QUdpSocket* socket)
{
    if (!socket)
        return;
    qDebug() << "TovkaNetIo::closeSocket" << socket->localAddress().toString();
    withdrawSocket(socket);
    refreshSocketSlots();
}

void TovkaNetIo::reconnect()
{
    if (!rejoinEnabled)
        return;
    qWarning("TovkaNetIo::reconnect()");
    const auto entries = sockets;
    for (auto it = entries.cbegin(); it != entries.cend(); ++it) {
        withdrawSocket(it.key());
        newIface(it.value());
    }
}

void TovkaNetIo::rejoin()
{
    if (!rejoinEnabled)
        return;
    if (!aliveWatch.rejoinDue())
        return;
    qWarning("TovkaNetIo::rejoin()");
    for (auto it = sockets.cbegin(); it != sockets.cend(); ++it) {
        if (it.value()->category() == ExtendedNetworkInterface::CategoryLoopback)
            continue;
        qDebug() << it.value()->humanReadableName() << " rejoin Multicast ...";
        QString error;
        if (!UdpSocketLinux::rejoinMulticast(it.key(), *it.value(), &error))
            qWarning() << it.value()->humanReadableName() << "rejoin failed." << it.key()->socketDescriptor() << error;
    }
}

void TovkaNetIo::enableRejoin(bool on)
{
    rejoinEnabled = on;
    if (!on)
        return;
    askDialog(tr("Netzwerk Bugfix"),
              tr("Unter <b>Windows 10 und neuer</b> gibt es Probleme mit einigen <b>WLAN Karten</b>. Dabei kommt es "
                 "nach ca. 4-5 Minuten zur Verbindungsunterbrechung.<p>Verwenden Sie diese Möglichkeit nur, wenn das "
                 "genannte Problem auftritt. Es kommt sonst zu unnötiger Netzwerkbelastung!<p>Sollte nicht "
                 "<b>innerhalb der nächsten Minute</b> die Verbindung wieder hergestellt sein, liegt wahrscheinlich "
                 "ein anderes Problem vor."),
              false, nullptr);
}

void TovkaNetIo::slotReconnect(QWidget* parent)
{
    const bool yes = askDialog(tr("Netzwerk rücksetzen"),
                               tr("Wollen Sie die Netzwerkverbidung wirklich neu initialisieren?"), true, parent);
    if (yes && rejoinEnabled)
        reconnect();
}

void TovkaNetIo::slotReconnect()
{
    slotReconnect(nullptr);
}

// ---------------------------------------------------------------------------
// The writer

bool TovkaNetIo::sendPacket(const PacketHeader& header, const uint8_t* payload)
{
    if (header.type == PacketType::DATA) {
        const QueuePacket* flying = sendQueue.inFlight();
        if (!flying)
            qDebug("no current packet to transmit >>> Terminating!");
        else if (flying->header.sequence != header.sequence)
            qDebug("different userdata to send >>> Terminating!");
    }
    bool written = false;
    bool reconnectDue = false;
    std::vector<SocketWriter::Failure> failures;
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        written = writeLocked(header, payload, &failures, &reconnectDue);
    }
    reportWriteFailures(failures, reconnectDue);
    return written;
}

bool TovkaNetIo::writeLocked(const PacketHeader& header, const uint8_t* payload,
                             std::vector<SocketWriter::Failure>* failures, bool* reconnectDue)
{
    // The program has left its address: nothing more goes out under it.
    if (silent)
        return false;
    PacketHeader sealed = header;
    sealed.sourceAddress = ownAddressByte();
    sealed.sourceInstance = ownInstance();
    sealed.hostName = ownHostName;
    sealed.transmissionCounter = quint16(transmissionCounter);
    const int size = PacketHeader::build(sealed, payload, headerBuffer, PacketHeader::MaxPacket);
    if (size < 0)
        return false;
    ++transmissionCounter;
    const bool written = sink->writeDatagram(reinterpret_cast<const char*>(headerBuffer), size);
    if (sealed.type == PacketType::SHUTDOWN)
        silent = true;
    // Every failure after the tenth asks for a reconnect; successes do not
    // start the count again.
    *failures = writer.takeFailures();
    for (size_t i = 0; i < failures->size(); ++i) {
        if (writeFailures > maxWriteFailures) {
            writeFailures = 0;
            *reconnectDue = true;
        } else {
            ++writeFailures;
        }
    }
    return written;
}

void TovkaNetIo::reportWriteFailures(const std::vector<SocketWriter::Failure>& failures, bool reconnectDue)
{
    for (const SocketWriter::Failure& failure : failures) {
        qDebug() << "sendPacket failed:" << failure.socketText << failure.error;
        QMetaObject::invokeMethod(&ifManager, "rescan", Qt::QueuedConnection);
    }
    if (reconnectDue)
        QMetaObject::invokeMethod(this, "reconnect", Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// The reader and the dispatch

void TovkaNetIo::recvMoniPort()
{
    // A socket that signals is read by itself; a call that no socket made
    // goes over every socket.
    QUdpSocket* signalling = qobject_cast<QUdpSocket*>(sender());
    readSockets(signalling && sockets.contains(signalling) ? QList<QUdpSocket*>{signalling} : sockets.keys());
}

void TovkaNetIo::readSockets(const QList<QUdpSocket*>& table)
{
    // Passes over the sockets, one datagram from each per pass, each socket
    // until a read finds nothing, without asking first: Qt marks a UDP
    // socket as unread at each signal, even when nothing is pending any more
    // by the time its slot runs, and turns the socket's notification off at
    // the next signal until the socket is read.
    int total = 0;
    QList<QUdpSocket*> unread = table;
    while (!unread.isEmpty() && total < maxDatagramsPerRead) {
        for (auto it = unread.begin(); it != unread.end() && total < maxDatagramsPerRead;) {
            if ((*it)->state() == QAbstractSocket::BoundState && recvMsg(*it)) {
                ++total;
                ++it;
            } else {
                it = unread.erase(it);
            }
        }
    }
    if (!unread.isEmpty()) {
        // Leave the rest to a later turn of the event loop; the posted turn
        // also lets Qt's glib dispatcher run the window's timers during a flood.
        // Sockets closed meanwhile (an interface gone) are left out.
        QMetaObject::invokeMethod(
            this,
            [this, table] {
                QList<QUdpSocket*> open;
                for (QUdpSocket* socket : table)
                    if (sockets.contains(socket))
                        open << socket;
                readSockets(open);
            },
            Qt::QueuedConnection);
    }
    if (total == 0)
        qDebug("recvMoniPort: called without messages!");
    else if (total > table.size())
        qDebug("recvMoniPort: called with %d messages!", total);
}

bool TovkaNetIo::readDatagram(QUdpSocket* socket, uint8_t* buffer, int* size, QHostAddress* sender)
{
    const qint64 read = socket->readDatagram(reinterpret_cast<char*>(buffer), PacketHeader::MaxPacket, sender);
    if (read < 0)
        return false;
    *size = int(read);
    return true;
}

bool TovkaNetIo::recvMsg(QUdpSocket* socket)
{
    // A buffer per call: a receiver may re-enter the reader while the
    // payload of this datagram is still being handled.
    uint8_t buffer[PacketHeader::MaxPacket];
    int size = 0;
    QHostAddress sender;
    if (!readDatagram(socket, buffer, &size, &sender))
        return false;
    receiveDatagram(buffer, size, sender);
    return true;
}

bool TovkaNetIo::acceptDatagram(const uint8_t* data, int size)
{
    const PacketCheck check = PacketHeader::check(data, size);
    switch (check.verdict) {
    case PacketCheck::Valid:
        return true;
    case PacketCheck::TooShort:
        qDebug("packet to short %ld", long(size));
        return false;
    case PacketCheck::WrongVersion:
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

void TovkaNetIo::noteVersionConflict(const uint8_t* data, int size)
{
    PacketHeader header;
    if (!aliveWatch.versionCheckRunning() || !PacketHeader::read(data, size, &header) || header.type != PacketType::PONG)
        return;
    if (versionConflictLines.size() >= maxVersionConflictLines)
        return;
    const TovkaAddress source = header.source();
    const QString line = QString::asprintf("FL=%d %s (", int(source.subKind), appName(source))
                         + hostText(header.hostName).toHtmlEscaped()
                         + QString::asprintf(")  <b>%s</b> Version<br>",
                                             header.version < NewerVersionFrom ? "&auml;ltere" : "neuere");
    if (!versionConflictLines.contains(line))
        versionConflictLines.append(line);
}

void TovkaNetIo::receiveDatagram(const uint8_t* data, int size, const QHostAddress& from)
{
    if (!acceptDatagram(data, size))
        return;
    Received packet;
    PacketHeader::read(data, size, &packet.header);
    packet.payload = data + PacketHeader::Size;
    packet.payloadLength = packet.header.length;
    packet.from = &from;
    dispatch(packet);
}

void TovkaNetIo::dispatch(const Received& packet)
{
    const PacketHeader& header = packet.header;
    const TovkaAddress source = header.source();
    const TovkaAddress destination = header.destination();
    if (receiving || header.delay > DelayLogThresholdMs) {
        qDebug("TovkaNetIo::recvMsg %s (%d bytes) type=%d seq=%d %d.%d.%d -> %d.%d.%d  delay=%d [ms]  from=%s/%s  "
               "thread=%p",
               receiving ? "TWICE" : "", int(header.length), int(header.type), int(header.sequence),
               int(source.kind), int(source.subKind), int(source.instance), int(destination.kind),
               int(destination.subKind), int(destination.instance), int(header.delay),
               qPrintable(packet.from->toString()), PacketHeader::hostNameText(header.hostName).constData(),
               static_cast<void*>(QThread::currentThread()));
    }
    const bool outer = !receiving;
    receiving = true;
    const AppLocation sender = senderRecord(header);
    switch (header.type) {
    case PacketType::PING:
        if (packet.payloadLength < PingPayload::Size)
            break;
        refreshLastHeard(sender, true);
        answerPing(packet, packet.from);
        break;
    case PacketType::PONG:
        if (packet.payloadLength < PongPayload::Size)
            break;
        refreshLastHeard(sender, true);
        handlePong(packet);
        break;
    case PacketType::SHUTDOWN:
        handleShutdown(sender);
        break;
    case PacketType::ACK:
        refreshLastHeard(sender, false);
        checkAck(header);
        break;
    case PacketType::DATA:
        receiveData(packet, sender);
        break;
    case PacketType::STATISTIC:
        handleStatistic(packet);
        break;
    default:
        qDebug("TovkaNetIo::recvMsg: got INVALID/UNKNOWN message type=%d", int(header.type));
        refreshLastHeard(sender, true);
        break;
    }
    if (outer)
        receiving = false;
}

void TovkaNetIo::handleStatistic(const Received& packet)
{
    NetStatisticList list = StatisticPayload::read(packet.payload, packet.payloadLength);
    TovkaAddress sender = packet.header.source();
    emit StatisticReceived(list, sender);
}

void TovkaNetIo::sendStatistic(NetStatisticList list)
{
    // The table only grows, so it may outgrow one packet: one packet per part.
    uint8_t payload[StatisticPayload::MaxSize];
    for (const NetStatisticList& part : StatisticPayload::split(list)) {
        const int length = StatisticPayload::write(part, payload, int(sizeof(payload)));
        if (length < 0)
            continue;
        PacketHeader header = ownHeader(PacketType::STATISTIC);
        header.length = quint16(length);
        sendPacket(header, payload);
    }
}

// ---------------------------------------------------------------------------
// Peer table, heartbeat and own address

quint8 TovkaNetIo::ownAddressByte() const
{
    return quint8(ownWire.load() >> 8);
}

quint8 TovkaNetIo::ownInstance() const
{
    return quint8(ownWire.load() & 0xff);
}

void TovkaNetIo::ownAddress(TovkaAddress* out) const
{
    const quint16 wire = ownWire.load();
    *out = TovkaAddress::fromWire(quint8(wire >> 8), quint8(wire & 0xff));
}

TovkaAddress TovkaNetIo::ownAddress() const
{
    TovkaAddress address;
    ownAddress(&address);
    return address;
}

PacketHeader TovkaNetIo::ownHeader(quint8 type) const
{
    const quint16 wire = ownWire.load();
    return PacketHeader::make(type, quint8(wire >> 8), quint8(wire & 0xff));
}

PingPayload TovkaNetIo::ownPingPayload() const
{
    const qint64 now = clock().wallMs();
    PingPayload ping;
    ping.seconds = quint32(now / 1000);
    ping.milliseconds = quint32(now % 1000);
    ping.hostName = ownHostName;
    return ping;
}

QString TovkaNetIo::duplicateWarning(const QString& hostName) const
{
    return tr("<b>duplicated Application</b><br><br>Das gleiche Programm läuft auch auf dem Rechner Namens "
              "'<b>%1</b>'!")
        .arg(hostName.toHtmlEscaped());
}

AppLocation TovkaNetIo::senderRecord(const PacketHeader& header) const
{
    AppLocation record;
    record.address = header.source();
    record.setHostName(header.hostName.data(), PacketHeader::HostNameMaxText);
    record.lastHeard = 0;
    record.lastUpdate = nowSeconds();
    record.transmissionCounter = header.transmissionCounter;
    record.lastSequence = header.sequence;
    return record;
}

AppLocation* TovkaNetIo::findApp(const AppLocation& record, bool insert)
{
    if (!insert)
        return peerTable.find(record);
    bool inserted = false;
    AppLocation* app = peerTable.insert(record, &inserted);
    if (!inserted)
        return app;
    emit newApp(record);
    // A receiver may have run the reader again and changed the table.
    return peerTable.find(record);
}

void TovkaNetIo::refreshLastHeard(const AppLocation& record, bool insertMissing)
{
    if (peerTable.hear(record, insertMissing))
        emit newApp(record);
}

bool TovkaNetIo::hasApp(const TovkaAddress& address) const
{
    return peerTable.hasKindAndSubKind(address);
}

QList<AppLocation> TovkaNetIo::peers() const
{
    return peerTable.all();
}

bool TovkaNetIo::sendPing()
{
    const PingPayload ping = ownPingPayload();
    qDebug("PING: time: 0x%08lX %06ld", static_cast<unsigned long>(ping.seconds), long(ping.milliseconds) * 1000);
    uint8_t payload[PingPayload::Size];
    ping.write(payload);
    return sendPacket(ownHeader(PacketType::PING), payload);
}

bool TovkaNetIo::announce()
{
    sendPing();
    return true;
}

void TovkaNetIo::writePong(const PingPayload& ping, quint32 fromIPv4)
{
    PongPayload pong;
    pong.ping = ping;
    pong.fromIPv4 = fromIPv4;
    uint8_t payload[PongPayload::Size];
    pong.write(payload);
    sendPacket(ownHeader(PacketType::PONG), payload);
    statistics->countPingReply();
}

void TovkaNetIo::answerPing(const Received& ping, const QHostAddress* from)
{
    PingPayload payload;
    if (!PingPayload::read(ping.payload, ping.payloadLength, &payload))
        return;
    bool isIPv4 = false;
    const quint32 address = from ? from->toIPv4Address(&isIPv4) : 0;
    writePong(payload, isIPv4 ? address : 0);
}

void TovkaNetIo::sendPong()
{
    const qint64 now = clock().monotonicMs();
    // The heartbeat's clock and timer belong to the worker thread; a call
    // from any other thread only writes the pong.
    if (QThread::currentThread() == &worker)
        keepHeartbeatRate(now);
    const PingPayload ping = ownPingPayload();
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        lastHeartbeat = ping;
        lastHeartbeatSentMs = now;
    }
    writePong(ping, 0);
}

void TovkaNetIo::keepHeartbeatRate(qint64 nowMs)
{
    const int interval = int(heartbeatMs.load());
    const qint64 elapsed = previousHeartbeatMs ? nowMs - previousHeartbeatMs : 0;
    if (elapsed != 0 && qAbs(elapsed - interval) > HeartbeatJitterMs)
        qDebug("TovkaNetIo::sendPong: timeout was %d instead of %d", int(elapsed), interval);
    previousHeartbeatMs = nowMs;

    if (heartbeatTimer.interval() != interval) {
        qDebug("heartbeat interval changed: %d --> %d", heartbeatTimer.interval(), interval);
        heartbeatTimer.setInterval(interval);
    }
}

void TovkaNetIo::handlePong(const Received& packet)
{
    PongPayload pong;
    if (!PongPayload::read(packet.payload, packet.payloadLength, &pong))
        return;
    const PacketHeader& header = packet.header;
    const quint32 sourceKey = header.source().statisticKey();
    const QByteArray ownName = PacketHeader::hostNameText(ownHostName);
    if (PacketHeader::hostNameText(pong.ping.hostName) != ownName) {
        aliveWatch.heardExternal();
        statistics->countPong(sourceKey);
    } else if (packet.from->isLoopback()) {
        aliveWatch.heardLoopback();
    } else {
        aliveWatch.heardExternal();
        statistics->countPong(sourceKey);
        if (pong.fromIPv4 == 0) {
            qint64 sentMs = -1;
            {
                std::lock_guard<std::mutex> lock(writeMutex);
                if (lastHeartbeat.seconds == pong.ping.seconds && lastHeartbeat.milliseconds == pong.ping.milliseconds)
                    sentMs = lastHeartbeatSentMs;
            }
            if (sentMs >= 0)
                statistics->addHeartbeatRtt(SendQueue::clampMs(clock().monotonicMs() - sentMs));
        }
    }

    const quint8 ownKind = kindOf(ownAddressByte());
    const QByteArray otherHost = PacketHeader::hostNameText(header.hostName);
    if (ownKind != KindNetMon && ownKind != KindInfoTerm && header.sourceAddress == ownAddressByte()
        && header.sourceInstance == ownInstance() && otherHost != ownName) {
        qDebug("duplicated Application at host '%s'", otherHost.constData());
        QString host;
        emitWarning(duplicateWarning(fromCString(host, otherHost.constData(), otherHost.size())));
    }
}

void TovkaNetIo::handleShutdown(const AppLocation& record)
{
    qDebug("GOT SHUTDOWN!!!");
    AppLocation lost;
    if (peerTable.remove(record, &lost))
        emit appLost(lost);
}

void TovkaNetIo::sendShutdown()
{
    sendPacket(ownHeader(PacketType::SHUTDOWN), nullptr);
    qDebug("SHUZTDOWN send");
}

bool TovkaNetIo::setOwnAddress(quint32 kind, quint8 subKind, quint8 instance)
{
    const quint8 addressByte = quint8((kind << NibbleBits) + subKind);
    if (addressByte == ownAddressByte() && instance == ownInstance()) {
        defaultDestination.subKind = subKind;
        TovkaAddress address = ownAddress();
        emit ownAddrChanged(address);
        return true;
    }
    if (kind != KindNetMon) {
        if (const AppLocation* app = peerTable.atAddress(TovkaAddress::fromWire(addressByte, instance))) {
            emitWarning(duplicateWarning(app->hostNameText()));
            return false;
        }
    }
    // Packets queued under the old address would be repeated under it after
    // its shutdown: peers would take the program back, deliver them twice,
    // and the program's own old record would come back into its table. So
    // they are given up, and what a receiver of that failure queues again
    // waits for the new address.
    switchingAddress = true;
    giveUpQueue(QStringLiteral("own address changed"));
    leaveAddressFor(quint16((quint16(addressByte) << 8) | instance));
    sendPing();
    defaultDestination.subKind = subKind;
    switchingAddress = false;
    // The monitor sends no data: what waited is given up as well.
    if (kind == KindNetMon)
        giveUpQueue(QStringLiteral("own address changed"));
    else
        pumpQueue();
    TovkaAddress address = ownAddress();
    emit ownAddrChanged(address);
    return true;
}

void TovkaNetIo::giveUpQueue(const QString& reason)
{
    QList<SendQueue::Outcome> given;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        resendTimer.stop();
        given = sendQueue.giveUpAll(reason);
    }
    for (const SendQueue::Outcome& outcome : given)
        emit TxFailure(outcome.sequence, outcome.reason);
}

void TovkaNetIo::leaveAddressFor(quint16 wire)
{
    bool reconnectDue = false;
    std::vector<SocketWriter::Failure> failures;
    {
        std::lock_guard<std::mutex> lock(writeMutex);
        writeLocked(ownHeader(PacketType::SHUTDOWN), nullptr, &failures, &reconnectDue);
        ownWire = wire;
        heartbeatMs = heartbeatIntervalFor(quint8(wire >> 8));
        silent = false;
    }
    reportWriteFailures(failures, reconnectDue);
    qDebug("SHUZTDOWN send");
}

void TovkaNetIo::emitWarning(const QString& text)
{
    // A receiver shows a modal box whose event loop may raise the next
    // warning: show one at a time and merge identical texts.
    if (warningShowing) {
        if (text != warningText && !pendingWarnings.contains(text))
            pendingWarnings.append(text);
        return;
    }
    warningShowing = true;
    QString next = text;
    for (;;) {
        warningText = next;
        emit Warning(next);
        if (pendingWarnings.isEmpty())
            break;
        next = pendingWarnings.takeFirst();
    }
    warningText.clear();
    warningShowing = false;
}

// ---------------------------------------------------------------------------
// Data packets

void TovkaNetIo::setJuryMode(bool on)
{
    jury = on && kindOf(ownAddressByte()) == KindJury;
}

bool TovkaNetIo::juryMode() const
{
    return jury;
}

quint32 TovkaNetIo::lastDataDelay() const
{
    return lastDelay;
}

int TovkaNetIo::queuedPackets() const
{
    std::lock_guard<std::mutex> lock(queueMutex);
    return sendQueue.size();
}

int TovkaNetIo::sendData(const void* data, quint32 length, const TovkaAddress* destination)
{
    if (kindOf(ownAddressByte()) == KindNetMon) {
        qDebug("=============== user data via MoniPort suppressed ===================");
        return -1;
    }
    if (length > quint32(PacketHeader::MaxPayload) || !data) {
        qDebug("%d bytes - unable to send!", int(length));
        errno = EINVAL;
        return -1;
    }
    const TovkaAddress target = destination ? *destination : defaultDestination;
    quint8 destinationByte = target.addressByte();
    quint8 destinationInstance = target.instance;
    if (jury && target.kind == KindChief) {
        destinationByte = JuryChiefDestination;
        destinationInstance = 0;
    } else if (target.kind == KindBuero) {
        destinationByte = TovkaAddress(KindBuero, 0, 0).addressByte();
        destinationInstance = 0;
    }

    auto* packet = new QueuePacket;
    packet->queuedMs = clock().monotonicMs();
    packet->header = ownHeader(PacketType::DATA);
    packet->header.length = quint16(length);
    packet->header.destinationAddress = destinationByte;
    packet->header.destinationInstance = destinationInstance;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        packet->header.sequence = sendQueue.takeSequence();
    }
    std::memcpy(packet->payload, data, length);
    const int sequence = int(packet->header.sequence);
    sendPacketFromQueue(packet);
    return sequence;
}

void TovkaNetIo::sendPacketFromQueue(QueuePacket* packet)
{
    if (packet) {
        std::lock_guard<std::mutex> lock(queueMutex);
        sendQueue.append(packet);
    }
    pumpQueue();
}

void TovkaNetIo::sendPacketFromQueue()
{
    pumpQueue();
}

void TovkaNetIo::pumpQueue()
{
    while (!switchingAddress) {
        SendQueue::Outcome failed;
        {
            std::lock_guard<std::mutex> lock(queueMutex);
            if (resendTimer.isActive() && sendQueue.inFlight())
                return;
            const SendQueue::Transmission transmission = sendQueue.next(peerTable);
            if (!transmission.packet)
                return;
            const PacketHeader& header = transmission.packet->header;
            const quint32 key = header.destination().statisticKey();
            if (transmission.repeat)
                statistics->countResend(key);
            else
                statistics->countSent(key);
            sendPacket(header, transmission.packet->payload);
            if (sendQueue.afterWrite(&failed)) {
                resendTimer.start(SendQueue::resendIntervalMs);
                return;
            }
            if (failed.tooManyResends)
                statistics->countDrop(key);
        }
        // Outside the lock, so a receiver may queue the next packet.
        emit TxFailure(failed.sequence, failed.reason);
    }
}

void TovkaNetIo::sendAck(const PacketHeader& data)
{
    PacketHeader ack = ownHeader(PacketType::ACK);
    ack.sequence = data.sequence;
    ack.length = 0;
    ack.destinationAddress = data.sourceAddress;
    ack.destinationInstance = data.sourceInstance;
    sendPacket(ack, nullptr);
}

void TovkaNetIo::checkAck(const PacketHeader& ack)
{
    if (ack.destinationAddress == ownAddressByte() && ack.destinationInstance == ownInstance())
        handleAck(ack);
}

void TovkaNetIo::handleAck(const PacketHeader& ack)
{
    SendQueue::Outcome done;
    {
        std::lock_guard<std::mutex> lock(queueMutex);
        if (sendQueue.acknowledge(ack.sequence, ack.source(), &done) != SendQueue::Complete)
            return;
        statistics->addAckRtt(done.destination.statisticKey(), done.roundTripMs);
        resendTimer.stop();
    }
    emit TxSuccess(done.sequence);
    pumpQueue();
}

void TovkaNetIo::receiveData(const Received& packet, const AppLocation& sender)
{
    const PacketHeader& header = packet.header;
    const ReceiveFilter filter(ownAddressByte(), ownInstance(), jury);
    switch (filter.judge(header, peerTable.find(sender))) {
    case ReceiveFilter::Old:
    case ReceiveFilter::SameTransmission:
        return;
    case ReceiveFilter::NotForMe:
        findApp(sender, true);
        return;
    case ReceiveFilter::Repeated:
        qDebug("resended packet -> sending ACK (RTT: %d /%d)", int(header.transmissionCounter),
               int(peerTable.find(sender)->transmissionCounter));
        findApp(sender, true);
        sendAck(header);
        statistics->countResentReceived(header.source().statisticKey());
        return;
    case ReceiveFilter::New:
        deliver(packet, sender);
        return;
    }
}

void TovkaNetIo::deliver(const Received& packet, const AppLocation& sender)
{
    const PacketHeader& header = packet.header;
    qDebug(">>>>>>>>>>>> data #%d received from %s <<<<<<<<<<<<<<<<", int(header.sequence), sender.hostName);
    sendAck(header);
    findApp(sender, true);

    const qint64 started = clock().monotonicMs();
    lastDelay = header.delay;
    TovkaAddress source = header.source();
    emit dataReceived(static_cast<const void*>(packet.payload), packet.payloadLength, source);
    const qint64 elapsed = clock().monotonicMs() - started;
    statistics->addReceiveDelay(source.statisticKey(), elapsed);
    if (elapsed > SlowHandlerMs) {
        const TovkaAddress destination = header.destination();
        qDebug(">>>>>>>>>>> Processing for (%d bytes) type=%d seq=%d %d.%d.%d -> %d.%d.%d  delay=%d [ms]  took too "
               "long (%d [ms]) <<<<<<<<<<<<<<<< ",
               int(header.length), int(header.type), int(header.sequence), int(source.kind), int(source.subKind),
               int(source.instance), int(destination.kind), int(destination.subKind), int(destination.instance),
               int(header.delay), int(elapsed));
    }
}

// ---------------------------------------------------------------------------
// Alive check

void TovkaNetIo::checkAlive()
{
    const QList<ExtendedNetworkInterface*> ifaces = ifManager.interfaces();
    rejoin();
    removeSilentPeers();
    checkExternalEcho(ifaces);
    checkVersionConflict();
    checkReceiveQueue();
    checkSendQueue();
}

void TovkaNetIo::removeSilentPeers()
{
    for (const AppLocation& app : peerTable.expire())
        emit appLost(app);
}

void TovkaNetIo::checkExternalEcho(const QList<ExtendedNetworkInterface*>& ifaces)
{
    bool external = false;
    for (const ExtendedNetworkInterface* iface : ifaces)
        external = external || isExternal(iface);
    if (!external || !aliveWatch.echoLost())
        return;
    emitWarning(tr("Keine Daten über das externe Netzwerk!<br> Entweder ist ein <b>FIREWALL AKTIV</b> oder die "
                   "<b>Netzwerkverbindung ist unterbrochen</b>! <br><br>Bitte deaktivieren sie den Firewall bzw. "
                   "prüfen das Netzwerk!<br><br>Die Netzwerkverbindung wird jetzt neu initialisiert...<br><b>Sollte "
                   "das Problem bestehen bleiben, starten Sie dieses Program neu!</b>"));
    if (rejoinEnabled)
        reconnect();
}

void TovkaNetIo::checkVersionConflict()
{
    if (aliveWatch.versionCheckEnded() && !versionConflictLines.isEmpty())
        emitWarning(tr("<b>Versions Konflikt!</b><br><br>Folgende Rechner verwenden eine andere, inkompatible "
                       "Softwareversion:<br><br>")
                    + versionConflictLines.join(QString()));
}

void TovkaNetIo::checkReceiveQueue()
{
    QUdpSocket* stuck = nullptr;
    for (QUdpSocket* socket : sockets.keys()) {
        if (socket->state() == QAbstractSocket::BoundState && socket->hasPendingDatagrams()) {
            stuck = socket;
            break;
        }
    }
    if (!stuck) {
        receiveStuckChecks = 0;
        return;
    }
    qWarning("checkMoniSocket: %s %p  State=%d bytes pending: %d / %d, forceing readyRead()",
             qPrintable(stuck->localAddress().toString()), reinterpret_cast<void*>(stuck->socketDescriptor()),
             int(stuck->state()), int(stuck->hasPendingDatagrams()), int(stuck->bytesAvailable()));
    QMetaObject::invokeMethod(stuck, "readyRead", Qt::QueuedConnection);
    if (++receiveStuckChecks < queueFullChecks)
        return;
    const QString notice =
        tr("Es scheint Probleme mit dem Netzwerk zu geben.<br><b>Die Empfangsqueue ist permanent voll!</b>");
    qWarning("%s", qPrintable(notice));
    receiveStuckChecks = 0;
    emit sendTextMessage(notice);
}

void TovkaNetIo::checkSendQueue()
{
    if (!aliveWatch.sendQueueNoticeDue(queuedPackets() == 0))
        return;
    const QString notice =
        tr("Es scheint Probleme mit dem Netzwerk zu geben.<br><b>Die Sendequeue ist permanent voll!</b>");
    qWarning("%s", qPrintable(notice));
    emit sendTextMessage(notice);
}
