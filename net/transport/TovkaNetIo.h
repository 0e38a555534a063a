// The suite's UDP transport: joins the plain logic (peer table, send queue,
// receive filter) to the sockets, the worker thread of the heartbeat, the
// timers and the signals. One socket per usable IPv4 interface, the packet
// writer and reader, the heartbeat, the acknowledged and repeated data
// packets, and the once-a-second alive check with its network alerts.
#pragma once

#include "net/transport/AliveWatch.h"
#include "net/transport/AppLocation.h"
#include "net/transport/DatagramSink.h"
#include "net/transport/IfManager.h"
#include "net/wire/NetStatistic.h"
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/transport/PeerTable.h"
#include "net/transport/QueuePacket.h"
#include "net/transport/SendQueue.h"
#include "net/transport/SocketWriter.h"
#include "net/wire/TovkaAddress.h"
#include "net/transport/TransportClock.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <vector>

class QUdpSocket;
class QWidget;
class TovkaNetStatistic;

class TovkaNetIo : public QObject
{
    Q_OBJECT
public:
    static constexpr int aliveIntervalMs = 1000;
    static constexpr int queueFullChecks = AliveWatch::queueFullChecks;
    static constexpr int maxWriteFailures = 10;    // a reconnect follows the next failure
    static constexpr int maxDatagramsPerRead = 64; // then the reader lets the GUI breathe
    static constexpr int maxVersionConflictLines = 50;
    static constexpr quint32 baseHeartbeatMs = 5000;

    TovkaNetIo(quint32 kind, quint32 subKind, quint32 instance);
    ~TovkaNetIo() override;

    int protocolVersion() const;
    static quint32 heartbeatIntervalFor(quint8 addressByte);

    // Own address and peer table.
    bool setOwnAddress(quint32 kind, quint8 subKind, quint8 instance);
    bool announce();
    void ownAddress(TovkaAddress* out) const;
    TovkaAddress ownAddress() const;
    bool hasApp(const TovkaAddress& address) const;
    // A copy of the peer table, in order of insertion.
    QList<AppLocation> peers() const;

    // Data packets.
    int sendData(const void* data, quint32 length, const TovkaAddress* destination = nullptr);
    quint32 lastDataDelay() const;
    void setJuryMode(bool on);
    bool juryMode() const;
    int queuedPackets() const;

    // The writer, for packets of every type: header and header.length payload bytes.
    bool sendPacket(const PacketHeader& header, const uint8_t* payload);

    // Seams for tests and tools. The clock and the sink must outlive their use;
    // null puts the system clock or the socket writer back. A sink passes
    // what it lets through on to socketWriter().
    void setClock(TransportClock* clock);
    void setDatagramSink(DatagramSink* sink);
    DatagramSink& socketWriter();
    // One received datagram, as the reader hands it on after the socket read.
    void receiveDatagram(const uint8_t* data, int size, const QHostAddress& from);
    // Shows the transport's two boxes: the rejoin notice (Ok) and the
    // reconnect question (No, the default, and Yes; true for Yes). The program
    // installs it; without one the text goes to the log and a question is
    // answered No, so the transport needs no widgets and never blocks.
    using DialogHook = std::function<bool(const QString& title, const QString& text, bool question, QWidget* parent)>;
    void setDialogHook(DialogHook hook);

signals:
    void dataReceived(const void* payload, int length, TovkaAddress& sender);
    void dataReceived(QByteArray payload, TovkaAddress sender);
    void TxSuccess(int sequence);
    void TxFailure(int sequence, QString reason);
    void newApp(AppLocation app);
    void appLost(AppLocation app);
    void Warning(QString text);
    void networkAlert(bool alert, QString text);
    void ownAddrChanged(TovkaAddress& address);
    void StatisticReceived(NetStatisticList list, TovkaAddress& sender);
    void sendTextMessage(QString text);

public slots:
    void slotReconnect(QWidget* parent);
    void slotReconnect();
    void enableRejoin(bool on);
    void reconnect();
    void closeSocket(QUdpSocket* socket);
    void recvMoniPort();
    void sendPacketFromQueue(QueuePacket* packet);
    void sendPacketFromQueue();
    void ifUp(const ExtendedNetworkInterface* iface);
    void ifDown(const ExtendedNetworkInterface* iface);
    bool sendPing();
    void sendPong();
    void sendStatistic(NetStatisticList list);
    void checkAlive();
    void sendShutdown();

private:
    struct Received
    {
        PacketHeader header;
        const uint8_t* payload = nullptr;
        int payloadLength = 0;
        const QHostAddress* from = nullptr; // the reader's, for the datagram's handling
    };
    // The test's clock when one is set, else the system's.
    class SwitchableClock : public TransportClock
    {
    public:
        qint64 monotonicMs() const override { return current().monotonicMs(); }
        qint64 wallMs() const override { return current().wallMs(); }
        std::atomic<TransportClock*> chosen{nullptr};

    private:
        TransportClock& current() const
        {
            TransportClock* clock = chosen.load();
            return clock ? *clock : TransportClock::system();
        }
    };

    // Sockets.
    void newIface(const ExtendedNetworkInterface* iface);
    bool bindSocket(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    bool joinGroup(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    void refreshSocketSlots();
    void forgetDescriptor(QUdpSocket* socket);
    QUdpSocket* socketFor(const ExtendedNetworkInterface* iface) const;
    int otherExternalInterfaces(const ExtendedNetworkInterface* iface) const;
    bool readDatagram(QUdpSocket* socket, uint8_t* buffer, int* size, QHostAddress* sender);
    // Reads and handles one datagram; false when none was pending.
    bool recvMsg(QUdpSocket* socket);
    void readSockets(const QList<QUdpSocket*>& table);
    bool acceptDatagram(const uint8_t* data, int size);
    void noteVersionConflict(const uint8_t* data, int size);
    void dispatch(const Received& packet);
    // Seals and writes one packet; the writer's lock is held. Every packet
    // carries the own address as it stands under that lock.
    bool writeLocked(const PacketHeader& header, const uint8_t* payload,
                     std::vector<SocketWriter::Failure>* failures, bool* reconnectDue);
    void reportWriteFailures(const std::vector<SocketWriter::Failure>& failures, bool reconnectDue);
    void withdrawSocket(QUdpSocket* socket);
    void handleStatistic(const Received& packet);
    void rejoin();

    // Peer table, heartbeat, own address.
    AppLocation* findApp(const AppLocation& record, bool insert);
    // Gives up every queued packet and reports each; what a receiver of the
    // report queues again stays queued.
    void giveUpQueue(const QString& reason);
    // The shutdown under the old address and the new address, in one hold of
    // the writer's lock, so no heartbeat of the old address can follow.
    void leaveAddressFor(quint16 wire);
    AppLocation senderRecord(const PacketHeader& header) const;
    void refreshLastHeard(const AppLocation& record, bool insertMissing);
    void answerPing(const Received& ping, const QHostAddress* from);
    void writePong(const PingPayload& ping, quint32 fromIPv4);
    void keepHeartbeatRate(qint64 nowMs);
    void handlePong(const Received& pong);
    void handleShutdown(const AppLocation& record);
    void removeSilentPeers();
    void emitWarning(const QString& text);
    quint8 ownAddressByte() const;
    quint8 ownInstance() const;
    PacketHeader ownHeader(quint8 type) const;
    PingPayload ownPingPayload() const;
    QString duplicateWarning(const QString& hostName) const;

    // Data packets.
    void pumpQueue();
    void sendAck(const PacketHeader& data);
    void handleAck(const PacketHeader& ack);
    void checkAck(const PacketHeader& ack);
    void receiveData(const Received& packet, const AppLocation& sender);
    void deliver(const Received& packet, const AppLocation& sender);

    // Alive check.
    void checkExternalEcho(const QList<ExtendedNetworkInterface*>& ifaces);
    void checkVersionConflict();
    void checkReceiveQueue();
    void checkSendQueue();

    bool askDialog(const QString& title, const QString& text, bool question, QWidget* parent);
    const TransportClock& clock() const;
    qint64 nowSeconds() const;
    void stopWorker();

    SwitchableClock clockSwitch;
    TovkaAddress defaultDestination;
    std::atomic<quint16> ownWire{0};      // address byte << 8 | instance; set under the write lock
    uint8_t* headerBuffer = nullptr;      // 80 + 1024 bytes, under the write lock
    QMap<QUdpSocket*, const ExtendedNetworkInterface*> sockets;
    SendQueue sendQueue{clockSwitch};     // under queueMutex
    QTimer resendTimer;
    PeerTable peerTable{clockSwitch};
    IfManager ifManager;
    QTimer heartbeatTimer;
    std::atomic<quint32> heartbeatMs{baseHeartbeatMs};
    QTimer aliveTimer;
    AliveWatch aliveWatch{clockSwitch};
    HostNameField ownHostName{};
    bool jury = false;
    bool rejoinEnabled = false;
    quint32 transmissionCounter = 0;      // under the write lock
    QStringList versionConflictLines;
    quint32 lastDelay = 0;
    TovkaNetStatistic* statistics = nullptr;
    mutable std::mutex queueMutex;
    QThread worker;

    std::mutex writeMutex;                // header buffer, counter, sink, silence
    SocketWriter writer;
    DatagramSink* sink = &writer;
    bool silent = false;                  // after a shutdown until the next address; under the write lock
    int writeFailures = 0;                // under the write lock
    bool receiving = false;               // the receive path runs; re-entry is logged
    bool switchingAddress = false;        // data packets wait for the new address
    int receiveStuckChecks = 0;
    bool warningShowing = false;
    QString warningText;
    QStringList pendingWarnings;
    DialogHook dialogHook;

    std::mutex workerMutex;
    std::condition_variable workerEnded;
    bool heartbeatHandedBack = false;     // under workerMutex

    // Heartbeat thread only.
    qint64 previousHeartbeatMs = 0;
    // The last heartbeat written, so its echo gives a round trip on the
    // monotonic clock; under the write lock.
    PingPayload lastHeartbeat;
    qint64 lastHeartbeatSentMs = 0;
};
