// The suite's UDP transport: one socket per usable IPv4 interface, the packet
// writer and reader, the peer table, the heartbeat on a worker thread, the
// acknowledged and repeated data packets, and the once-a-second alive check
// with its network alerts.
#pragma once

#include "net/AppLocation.h"
#include "net/DatagramSink.h"
#include "net/IfManager.h"
#include "net/NetStatistic.h"
#include "net/PacketHeader.h"
#include "net/PingPayload.h"
#include "net/QueuePacket.h"
#include "net/TovkaAddress.h"
#include "net/TransportClock.h"

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
    static constexpr int resendIntervalMs = 200;
    static constexpr int maxResends = 10;          // so at most 11 writes of one packet
    static constexpr int aliveIntervalMs = 1000;
    static constexpr int peerTimeoutSeconds = 25;
    static constexpr int echoTimeoutSeconds = 25;
    static constexpr int versionCheckCount = 10;
    static constexpr int queueFullChecks = 20;     // checks in a row before a notice
    static constexpr int rejoinIntervalSeconds = 180;
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
    quint32 heartbeatInterval() const;

    // Data packets.
    int sendData(const void* data, quint32 length, const TovkaAddress* destination = nullptr);
    quint32 lastDataDelay() const;
    void setJuryMode(bool on);
    bool juryMode() const;
    int queuedPackets() const;

    // The writer, for packets of every type: header and header.length payload bytes.
    bool sendPacket(const PacketHeader& header, const uint8_t* payload);

    // Seams for tests and tools. The clock and the sink must outlive their use;
    // null puts the system clock or the sockets back.
    void setClock(TransportClock* clock);
    void setDatagramSink(DatagramSink* sink);
    // One received datagram, as the reader hands it on after the socket read.
    void receiveDatagram(const uint8_t* data, int size, const QHostAddress& from);
    // Answers the transport's own modal boxes (rejoin notice, reconnect question).
    using DialogHook = std::function<bool(const QString& title, const QString& text)>;
    void setDialogHook(DialogHook hook);
    IfManager& interfaceManager();

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
        QHostAddress from;
    };
    // What the heartbeat thread may use of a socket, kept under the write lock.
    struct SocketSlot
    {
        qintptr descriptor = -1;
        bool loopback = false;
        bool usable = false;
        QString localText;
    };
    struct WriteFailure
    {
        QString socketText;
        QString error;
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
    // The transport's own sink: writes on every usable socket; the writer's lock is held.
    bool writeToSockets(const char* data, int size);
    void reportWriteFailures(const std::vector<WriteFailure>& failures, bool reconnectDue);
    void withdrawSocket(QUdpSocket* socket);
    void handleStatistic(const Received& packet);
    void rejoin();

    // Peer table, heartbeat, own address.
    AppLocation* findApp(const AppLocation& record, bool insert);
    AppLocation senderRecord(const PacketHeader& header) const;
    void refreshLastHeard(const AppLocation& record, bool insertMissing);
    void answerPing(const Received& ping, const QHostAddress* from);
    void writePong(const PingPayload& ping, quint32 fromIPv4);
    void keepHeartbeatRate(qint64 nowMs);
    void handlePong(const Received& pong);
    void handleShutdown(const AppLocation& record);
    void removeSilentPeers(qint64 now);
    void emitWarning(const QString& text);
    quint8 ownAddressByte() const;
    quint8 ownInstance() const;
    PacketHeader ownHeader(quint8 type) const;
    PingPayload ownPingPayload() const;
    QString duplicateWarning(const QString& hostName) const;

    // Data packets.
    void pumpQueue();
    void buildAckList(const PacketHeader& header);
    void sendAck(const PacketHeader& data);
    void handleAck(const PacketHeader& ack);
    void checkAck(const PacketHeader& ack);
    void receiveData(const Received& packet);
    bool isForMe(const PacketHeader& header) const;
    bool isOldPacket(quint32 current, quint32 last) const;
    quint16 clampMs(qint64 ms) const;

    // Alive check.
    void checkExternalEcho(qint64 now, const QList<ExtendedNetworkInterface*>& ifaces);
    void checkVersionConflict();
    void checkReceiveQueue();
    void checkSendQueue();

    bool askDialog(const QString& title, const QString& text, bool question, QWidget* parent);
    TransportClock& clock() const;
    qint64 nowSeconds() const;
    void stopWorker();

    TovkaAddress defaultDestination;
    std::atomic<quint16> ownWire{0};      // address byte << 8 | instance
    quint32 lastSequence = 0;
    QueuePacket* packetInFlight = nullptr;
    uint8_t* headerBuffer = nullptr;      // 80 + 1024 bytes, under the write lock
    QMap<QUdpSocket*, const ExtendedNetworkInterface*> sockets;
    QList<QueuePacket*> sendQueue;
    QTimer resendTimer;
    int triesLeft = 0;
    QList<AppLocation*> peerTable;
    IfManager ifManager;
    QTimer heartbeatTimer;
    std::atomic<quint32> heartbeatMs{baseHeartbeatMs};
    QTimer aliveTimer;
    qint64 lastExternalPong = 0;
    qint64 lastLoopbackPong = 0;
    HostNameField ownHostName{};
    QList<TovkaAddress> ackList;
    bool jury = false;
    bool rejoinEnabled = false;
    int versionCountdown = 0;
    quint32 transmissionCounter = 0;      // under the write lock
    QStringList versionConflictLines;
    quint32 lastDelay = 0;
    TovkaNetStatistic* statistics = nullptr;
    mutable std::mutex queueMutex;
    QThread worker;

    std::mutex writeMutex;                // header buffer, counter, socket slots, sink
    std::vector<SocketSlot> socketSlots;
    std::vector<WriteFailure> writeFailureLog;
    DatagramSink* sink = nullptr;
    std::atomic<TransportClock*> clockSource{nullptr};
    int writeFailures = 0;                // under the write lock
    bool receiving = false;               // the receive path runs; re-entry is logged
    qint64 lastRejoin = 0;
    int receiveStuckChecks = 0;
    int sendQueueFullChecks = 0;
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
