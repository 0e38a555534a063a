// The suite's UDP transport. It joins its plain parts (own address, packet
// writer, socket set, peer table, send queue, datagram check, alive watch,
// warning queue) to the sockets' signals, the heartbeat's worker thread, the
// timers and its own signals and slots. Its own work: the reader and the
// dispatch, the heartbeat, the acknowledged and repeated data packets, and the
// once-a-second alive check with its alerts.
#pragma once

#include "net/transport/AliveWatch.h"
#include "net/transport/AppLocation.h"
#include "net/transport/CheckedMutex.h"
#include "net/transport/DatagramCheck.h"
#include "net/transport/DatagramSink.h"
#include "net/transport/Heartbeat.h"
#include "net/transport/IfManager.h"
#include "net/transport/OwnAddress.h"
#include "net/transport/PacketWriter.h"
#include "net/transport/PeerTable.h"
#include "net/transport/QueuePacket.h"
#include "net/transport/SendQueue.h"
#include "net/transport/SocketSet.h"
#include "net/transport/TransportClock.h"
#include "net/transport/WarningQueue.h"
#include "net/wire/NetStatistic.h"
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/TovkaAddress.h"

#include <QByteArray>
#include <QHostAddress>
#include <QList>
#include <QObject>
#include <QString>
#include <QThread>
#include <QTimer>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>

class QUdpSocket;
class QWidget;
class TovkaNetStatistic;

class TovkaNetIo : public QObject
{
    Q_OBJECT
public:
    static constexpr int aliveIntervalMs = 1000;
    static constexpr int maxDatagramsPerRead = 64; // then the reader lets the GUI breathe

    TovkaNetIo(quint32 kind, quint32 subKind, quint32 instance);
    ~TovkaNetIo() override;

    int protocolVersion() const { return PacketHeader::ProtocolVersion; }

    // Own address and peer table.
    bool setOwnAddress(quint32 kind, quint8 subKind, quint8 instance);
    // One ping.
    bool announce()
    {
        sendPing();
        return true;
    }
    void ownAddress(TovkaAddress* out) const { *out = own.address(); }
    TovkaAddress ownAddress() const { return own.address(); }
    bool hasApp(const TovkaAddress& address) const { return peerTable.hasKindAndSubKind(address); }
    // A copy of the peer table, in order of insertion.
    QList<AppLocation> peers() const { return peerTable.all(); }

    // Data packets.
    int sendData(const void* data, quint32 length, const TovkaAddress* destination = nullptr);
    quint32 lastDataDelay() const { return lastDelay; }
    void setJuryMode(bool on);
    bool juryMode() const { return jury; }
    int queuedPackets() const;

    // The writer, for packets of every type: header and header.length payload bytes.
    bool sendPacket(const PacketHeader& header, const uint8_t* payload);

    // Seams for tests and tools. The clock and the sink must outlive their use;
    // null puts the system clock or the socket writer back. A sink passes
    // what it lets through on to socketWriter().
    void setClock(TransportClock* clock) { clockSwitch.chosen = clock; }
    void setDatagramSink(DatagramSink* sink) { packetWriter.setSink(sink); }
    DatagramSink& socketWriter() { return packetWriter.socketWriter(); }
    // One received datagram, as the reader hands it on after the socket read.
    void receiveDatagram(const uint8_t* data, int size, const QHostAddress& from);
    // Shows the transport's two boxes: the rejoin notice (Ok) and the
    // reconnect question (No, the default, and Yes; true for Yes). The program
    // installs it; without one the text goes to the log and a question is
    // answered No, so the transport needs no widgets and never blocks.
    using DialogHook = std::function<bool(const QString& title, const QString& text, bool question, QWidget* parent)>;
    void setDialogHook(DialogHook hook) { dialogHook = std::move(hook); }

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
    void slotReconnect() { slotReconnect(nullptr); }
    void enableRejoin(bool on);
    void reconnect();
    void closeSocket(QUdpSocket* socket);
    void recvMoniPort();
    void sendPacketFromQueue(QueuePacket* packet);
    void sendPacketFromQueue() { pumpQueue(); }
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

    // Sockets, the reader and the writer's reports.
    void newIface(const ExtendedNetworkInterface* iface);
    // Binds the interface's socket to the suite's port: false when it could not.
    bool bindSocket(QUdpSocket* socket, const ExtendedNetworkInterface* iface);
    bool readDatagram(QUdpSocket* socket, uint8_t* buffer, int* size, QHostAddress* sender);
    // Reads and handles one datagram; false when none was pending.
    bool recvMsg(QUdpSocket* socket);
    void readSockets(const QList<QUdpSocket*>& table);
    void dispatch(const Received& packet);
    void reportWriteFailures(const PacketWriter::Report& report);
    void handleStatistic(const Received& packet);
    void rejoin();

    // Peer table, heartbeat, own address.
    AppLocation* findApp(const AppLocation& record, bool insert);
    // Gives up every queued packet and reports each; what a receiver of the
    // report queues again stays queued.
    void giveUpQueue(const QString& reason);
    void leaveAddressFor(quint8 addressByte, quint8 instance);
    void refreshLastHeard(const AppLocation& record, bool insertMissing);
    void answerPing(const Received& ping, const QHostAddress* from);
    void writePong(const PingPayload& ping, quint32 fromIPv4);
    void keepHeartbeatRate(qint64 nowMs);
    void handlePong(const Received& pong);
    void handleShutdown(const AppLocation& record);
    void removeSilentPeers();
    void emitWarning(const QString& text);
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
    const TransportClock& clock() const { return clockSwitch; }
    void stopWorker();

    SwitchableClock clockSwitch;
    TovkaAddress defaultDestination;
    OwnAddress own;
    PacketWriter packetWriter{own};
    SocketSet socketSet;
    SendQueue sendQueue{clockSwitch};     // under queueMutex
    QTimer resendTimer;
    PeerTable peerTable{clockSwitch};
    IfManager ifManager;
    QTimer heartbeatTimer;
    Heartbeat heartbeat;
    QTimer aliveTimer;
    AliveWatch aliveWatch{clockSwitch};
    DatagramCheck datagramCheck;
    bool jury = false;
    bool rejoinEnabled = false;
    quint32 lastDelay = 0;
    TovkaNetStatistic* statistics = nullptr;
    mutable CheckedMutex queueMutex;
    QThread worker;

    bool receiving = false;               // the receive path runs; re-entry is logged
    bool switchingAddress = false;        // data packets wait for the new address
    WarningQueue warnings;
    DialogHook dialogHook;

    std::mutex workerMutex;
    std::condition_variable workerEnded;
    bool heartbeatHandedBack = false;     // under workerMutex
};
