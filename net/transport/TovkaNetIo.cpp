// The suite's UDP transport. Everything runs on the GUI thread except the
// heartbeat, which the worker thread writes through the same packet writer;
// the writer's lock is never held while a signal is emitted. The queue lock
// guards the send queue.
#include "net/transport/TovkaNetIo.h"

#include "db/text/CString.h"
#include "net/transport/ReceiveFilter.h"
#include "net/transport/TovkaNetStatistic.h"
#include "net/wire/PongPayload.h"
#include "net/wire/StatisticPayload.h"

#include <QCoreApplication>
#include <QHostInfo>
#include <QMetaObject>
#include <QUdpSocket>

#include <cerrno>
#include <cstring>

namespace {

constexpr int DelayLogThresholdMs = 50;
constexpr int SlowHandlerMs = 100;

// A packet as the reader's log lines show it: length, type, sequence, route, delay.
QByteArray packetText(const PacketHeader& header)
{
    const TovkaAddress source = header.source();
    const TovkaAddress destination = header.destination();
    return QString::asprintf("(%d bytes) type=%d seq=%d %d.%d.%d -> %d.%d.%d  delay=%d [ms]", int(header.length),
                             int(header.type), int(header.sequence), int(source.kind), int(source.subKind),
                             int(source.instance), int(destination.kind), int(destination.subKind),
                             int(destination.instance), int(header.delay))
        .toLatin1();
}

} // namespace

// ---------------------------------------------------------------------------
// Construction and destruction

TovkaNetIo::TovkaNetIo(quint32 kind, quint32 subKind, quint32 instance)
    : QObject(nullptr),
      own(OwnAddress::addressByteOf(kind, quint8(subKind)), quint8(instance), QHostInfo::localHostName()),
      socketSet(packetWriter.socketWriter(),
                [this](QUdpSocket* socket) { connect(socket, &QUdpSocket::readyRead, this, &TovkaNetIo::recvMoniPort); })
{
    worker.setParent(this);
    qRegisterMetaType<QUdpSocket*>("QUdpSocket*");

    defaultDestination = TovkaAddress(KindChief, quint8(subKind), 0);

    statistics = new TovkaNetStatistic;
    connect(statistics, &TovkaNetStatistic::sendStatistic, this, &TovkaNetIo::sendStatistic);

    resendTimer.setSingleShot(true);
    connect(&resendTimer, &QTimer::timeout, this, qOverload<>(&TovkaNetIo::sendPacketFromQueue));

    connect(&ifManager, &IfManager::ifUp, this, &TovkaNetIo::ifUp);
    connect(&ifManager, &IfManager::ifDown, this, &TovkaNetIo::ifDown);
    connect(&ifManager, &IfManager::rescaned, this, [this] { socketSet.refreshSlots(); });

    heartbeatTimer.moveToThread(&worker);
    connect(&heartbeatTimer, &QTimer::timeout, this, &TovkaNetIo::sendPong, Qt::DirectConnection);
    heartbeatTimer.setTimerType(Qt::PreciseTimer);

    aliveTimer.setObjectName(QStringLiteral("aliveTimer"));
    aliveTimer.setParent(this);
    connect(&aliveTimer, &QTimer::timeout, this, &TovkaNetIo::checkAlive);
    aliveTimer.start(aliveIntervalMs);

    if (QCoreApplication::instance())
        connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, &TovkaNetIo::sendShutdown);

    heartbeatTimer.setInterval(int(own.heartbeatMs()));
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
    socketSet.closeAll();
    delete statistics;
    statistics = nullptr;
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

// ---------------------------------------------------------------------------
// The transport's boxes

bool TovkaNetIo::askDialog(const QString& title, const QString& text, bool question, QWidget* parent)
{
    if (dialogHook)
        return dialogHook(title, text, question, parent);
    qWarning().noquote() << title << ":" << text;
    return false;
}

// ---------------------------------------------------------------------------
// Sockets

void TovkaNetIo::newIface(const ExtendedNetworkInterface* iface)
{
    if (!iface->isMulticastCapable())
        return;
    qDebug() << " TovkaNetIo::newIface: " << iface->humanReadableName() << iface->ipv4Address().toString();
    aliveWatch.socketOpened();
    QUdpSocket* socket = socketSet.prepare(iface);
    if (bindSocket(socket, iface))
        socketSet.join(socket, iface);
    else
        socketSet.close(socket);
}

bool TovkaNetIo::bindSocket(QUdpSocket* socket, const ExtendedNetworkInterface* iface)
{
    return socketSet.bind(socket, iface);
}

void TovkaNetIo::ifUp(const ExtendedNetworkInterface* iface)
{
    // The first external interface.
    if (SocketSet::isExternal(iface) && !SocketSet::hasExternal(ifManager.interfaces(), iface))
        emit networkAlert(false, tr("Netzwerkverbindung verfügbar"));
    newIface(iface);
}

void TovkaNetIo::ifDown(const ExtendedNetworkInterface* iface)
{
    if (socketSet.close(iface))
        qDebug() << "TovkaNetIo::ifDown went down: " << iface->humanReadableName();
    if (!SocketSet::hasExternal(ifManager.interfaces(), iface)) {
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
    socketSet.close(socket);
}

void TovkaNetIo::reconnect()
{
    if (!rejoinEnabled)
        return;
    qWarning("TovkaNetIo::reconnect()");
    for (const ExtendedNetworkInterface* iface : socketSet.interfaces()) {
        socketSet.close(iface);
        newIface(iface);
    }
}

void TovkaNetIo::rejoin()
{
    if (!rejoinEnabled || !aliveWatch.rejoinDue())
        return;
    qWarning("TovkaNetIo::rejoin()");
    socketSet.rejoin();
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
    const PacketWriter::Report report = packetWriter.write(header, payload);
    reportWriteFailures(report);
    return report.written;
}

void TovkaNetIo::reportWriteFailures(const PacketWriter::Report& report)
{
    for (const SocketWriter::Failure& failure : report.failures) {
        qDebug() << "sendPacket failed:" << failure.socketText << failure.error;
        QMetaObject::invokeMethod(&ifManager, "rescan", Qt::QueuedConnection);
    }
    if (report.reconnectDue)
        QMetaObject::invokeMethod(this, "reconnect", Qt::QueuedConnection);
}

// ---------------------------------------------------------------------------
// The reader and the dispatch

void TovkaNetIo::recvMoniPort()
{
    // A socket that signals is read by itself; a call that no socket made
    // goes over every socket.
    QUdpSocket* signalling = qobject_cast<QUdpSocket*>(sender());
    readSockets(signalling && socketSet.contains(signalling) ? QList<QUdpSocket*>{signalling} : socketSet.sockets());
}

void TovkaNetIo::readSockets(const QList<QUdpSocket*>& table)
{
    QList<QUdpSocket*> unread = table;
    const int total =
        SocketSet::readInPasses(&unread, maxDatagramsPerRead, [this](QUdpSocket* socket) { return recvMsg(socket); });
    if (!unread.isEmpty()) {
        // Leave the rest to a later turn of the event loop; the posted turn
        // also lets Qt's glib dispatcher run the window's timers during a flood.
        // Sockets closed meanwhile (an interface gone) are left out.
        QMetaObject::invokeMethod(
            this,
            [this, table] {
                QList<QUdpSocket*> open;
                for (QUdpSocket* socket : table)
                    if (socketSet.contains(socket))
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

void TovkaNetIo::receiveDatagram(const uint8_t* data, int size, const QHostAddress& from)
{
    if (!datagramCheck.accept(data, size, aliveWatch.versionCheckRunning()))
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
    if (receiving || header.delay > DelayLogThresholdMs) {
        qDebug("TovkaNetIo::recvMsg %s %s  from=%s/%s  thread=%p", receiving ? "TWICE" : "",
               packetText(header).constData(), qPrintable(packet.from->toString()),
               PacketHeader::hostNameText(header.hostName).constData(), static_cast<void*>(QThread::currentThread()));
    }
    const bool outer = !receiving;
    receiving = true;
    const AppLocation sender = peerTable.recordOf(header);
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
        PacketHeader header = own.header(PacketType::STATISTIC);
        header.length = quint16(length);
        sendPacket(header, payload);
    }
}

// ---------------------------------------------------------------------------
// Peer table, heartbeat and own address

QString TovkaNetIo::duplicateWarning(const QString& hostName) const
{
    return tr("<b>duplicated Application</b><br><br>Das gleiche Programm läuft auch auf dem Rechner Namens "
              "'<b>%1</b>'!")
        .arg(hostName.toHtmlEscaped());
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

bool TovkaNetIo::sendPing()
{
    const PingPayload ping = own.ping(clock().wallMs());
    qDebug("PING: time: 0x%08lX %06ld", static_cast<unsigned long>(ping.seconds), long(ping.milliseconds) * 1000);
    uint8_t payload[PingPayload::Size];
    ping.write(payload);
    return sendPacket(own.header(PacketType::PING), payload);
}

void TovkaNetIo::writePong(const PingPayload& ping, quint32 fromIPv4)
{
    PongPayload pong;
    pong.ping = ping;
    pong.fromIPv4 = fromIPv4;
    uint8_t payload[PongPayload::Size];
    pong.write(payload);
    sendPacket(own.header(PacketType::PONG), payload);
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
    const PingPayload ping = own.ping(clock().wallMs());
    heartbeat.sent(ping, now);
    writePong(ping, 0);
}

void TovkaNetIo::keepHeartbeatRate(qint64 nowMs)
{
    const int interval = int(own.heartbeatMs());
    heartbeat.beat(nowMs, interval);
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
    const bool ownEcho = own.isOwnHost(pong.ping.hostName);
    if (ownEcho && packet.from->isLoopback()) {
        aliveWatch.heardLoopback();
    } else {
        aliveWatch.heardExternal();
        statistics->countPong(header.source().statisticKey());
        // The own heartbeat back over the network: its round trip.
        const qint64 sentMs = ownEcho && pong.fromIPv4 == 0 ? heartbeat.sentMs(pong.ping) : -1;
        if (sentMs >= 0)
            statistics->addHeartbeatRtt(SendQueue::clampMs(clock().monotonicMs() - sentMs));
    }
    if (own.isDuplicate(header)) {
        const QByteArray otherHost = PacketHeader::hostNameText(header.hostName);
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
    sendPacket(own.header(PacketType::SHUTDOWN), nullptr);
    qDebug("SHUZTDOWN send");
}

bool TovkaNetIo::setOwnAddress(quint32 kind, quint8 subKind, quint8 instance)
{
    const quint8 addressByte = OwnAddress::addressByteOf(kind, subKind);
    if (own.is(addressByte, instance)) {
        defaultDestination.subKind = subKind;
        TovkaAddress address = own.address();
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
    leaveAddressFor(addressByte, instance);
    sendPing();
    defaultDestination.subKind = subKind;
    switchingAddress = false;
    // The monitor sends no data: what waited is given up as well.
    if (kind == KindNetMon)
        giveUpQueue(QStringLiteral("own address changed"));
    else
        pumpQueue();
    TovkaAddress address = own.address();
    emit ownAddrChanged(address);
    return true;
}

void TovkaNetIo::giveUpQueue(const QString& reason)
{
    QList<SendQueue::Outcome> given;
    {
        CheckedMutex::Guard lock(queueMutex);
        resendTimer.stop();
        given = sendQueue.giveUpAll(reason);
    }
    for (const SendQueue::Outcome& outcome : given)
        emit TxFailure(outcome.sequence, outcome.reason);
}

void TovkaNetIo::leaveAddressFor(quint8 addressByte, quint8 instance)
{
    reportWriteFailures(packetWriter.leaveFor(addressByte, instance));
    qDebug("SHUZTDOWN send");
}

void TovkaNetIo::emitWarning(const QString& text)
{
    if (!warnings.offer(text))
        return;
    QString next = text;
    do
        emit Warning(next);
    while (warnings.next(&next));
}

// ---------------------------------------------------------------------------
// Data packets

void TovkaNetIo::setJuryMode(bool on)
{
    jury = on && own.kind() == KindJury;
}

int TovkaNetIo::queuedPackets() const
{
    CheckedMutex::Guard lock(queueMutex);
    return sendQueue.size();
}

int TovkaNetIo::sendData(const void* data, quint32 length, const TovkaAddress* destination)
{
    if (own.kind() == KindNetMon) {
        qDebug("=============== user data via MoniPort suppressed ===================");
        return -1;
    }
    if (length > quint32(PacketHeader::MaxPayload) || !data) {
        qDebug("%d bytes - unable to send!", int(length));
        errno = EINVAL;
        return -1;
    }
    auto* packet = new QueuePacket;
    packet->queuedMs = clock().monotonicMs();
    packet->header = own.header(PacketType::DATA);
    packet->header.length = quint16(length);
    packet->header.setDestination(SendQueue::destinationFor(destination ? *destination : defaultDestination, jury));
    {
        CheckedMutex::Guard lock(queueMutex);
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
        CheckedMutex::Guard lock(queueMutex);
        sendQueue.append(packet);
    }
    pumpQueue();
}

void TovkaNetIo::pumpQueue()
{
    while (!switchingAddress) {
        SendQueue::Outcome failed;
        {
            CheckedMutex::Guard lock(queueMutex);
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
    PacketHeader ack = own.header(PacketType::ACK);
    ack.sequence = data.sequence;
    ack.length = 0;
    ack.destinationAddress = data.sourceAddress;
    ack.destinationInstance = data.sourceInstance;
    sendPacket(ack, nullptr);
}

void TovkaNetIo::checkAck(const PacketHeader& ack)
{
    if (own.is(ack.destinationAddress, ack.destinationInstance))
        handleAck(ack);
}

void TovkaNetIo::handleAck(const PacketHeader& ack)
{
    SendQueue::Outcome done;
    {
        CheckedMutex::Guard lock(queueMutex);
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
    const ReceiveFilter filter(own.addressByte(), own.instance(), jury);
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
        qDebug(">>>>>>>>>>> Processing for %s  took too long (%d [ms]) <<<<<<<<<<<<<<<< ", packetText(header).constData(),
               int(elapsed));
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
    if (!SocketSet::hasExternal(ifaces) || !aliveWatch.echoLost())
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
    if (!aliveWatch.versionCheckEnded())
        return;
    const QString conflicts = datagramCheck.conflictText();
    if (!conflicts.isEmpty())
        emitWarning(tr("<b>Versions Konflikt!</b><br><br>Folgende Rechner verwenden eine andere, inkompatible "
                       "Softwareversion:<br><br>")
                    + conflicts);
}

void TovkaNetIo::checkReceiveQueue()
{
    QUdpSocket* stuck = socketSet.firstPending();
    if (stuck) {
        qWarning("checkMoniSocket: %s %p  State=%d bytes pending: %d / %d, forceing readyRead()",
                 qPrintable(stuck->localAddress().toString()), reinterpret_cast<void*>(stuck->socketDescriptor()),
                 int(stuck->state()), int(stuck->hasPendingDatagrams()), int(stuck->bytesAvailable()));
        QMetaObject::invokeMethod(stuck, "readyRead", Qt::QueuedConnection);
    }
    if (!aliveWatch.receiveQueueNoticeDue(stuck != nullptr))
        return;
    const QString notice =
        tr("Es scheint Probleme mit dem Netzwerk zu geben.<br><b>Die Empfangsqueue ist permanent voll!</b>");
    qWarning("%s", qPrintable(notice));
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
