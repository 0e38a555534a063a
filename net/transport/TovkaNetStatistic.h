// Per-peer packet counters of the transport. Every 60 s the counters are
// handed out through sendStatistic, the whole table at once (the transport
// splits it into packets), and start again from zero.
#pragma once

#include "net/wire/NetStatistic.h"

#include <QHash>
#include <QObject>
#include <QString>
#include <QTimer>

#include <mutex>

class TovkaNetStatistic : public QObject
{
    Q_OBJECT

public:
    static constexpr int SendInterval = 60000; // ms

    explicit TovkaNetStatistic(QObject* parent = nullptr);
    ~TovkaNetStatistic() override;

    // The counting operations may be called from any thread; each creates a
    // zeroed record for a key it has not seen. Times are milliseconds.
    void countPong(quint32 key);
    void addHeartbeatRtt(qint64 ms);
    void countPingReply();
    void countSent(quint32 key);
    void countResend(quint32 key);
    void countDrop(quint32 key);
    void addAckRtt(quint32 key, qint64 ms);
    void countResentReceived(quint32 key);
    void addReceiveDelay(quint32 key, qint64 ms);

    // One entry per record, then every record set back to zero (records stay).
    NetStatisticList takeCounters();

    // The name of a key's program: appName plus "_<sub-kind>" (not for the
    // office); a null text for a Jury key of instance 0.
    static QString addressText(quint32 key);
    // "Alive" for the program's own key, else addressText.
    static QString statisticKeyText(quint32 key);
    // ms as seconds with three decimals, bold red above limit.
    static QString formatMs(quint32 ms, quint32 limit);
    // The log line of one entry; a null text for a key without a name.
    static QString statisticLine(const NetStatistic& entry);

signals:
    void sendStatistic(NetStatisticList list);

public slots:
    void printStatistic(NetStatisticList list);
    void timeout();

private:
    template <typename Change>
    void update(quint32 key, Change change);

    QTimer sendTimer;
    // Innermost lock: nothing else is taken and no signal is emitted under it.
    // A std::mutex, because ThreadSanitizer cannot see the contended path of
    // QMutex inside the Qt library and would report races that are none.
    std::mutex countersLock;
    QHash<quint32, NetStatistic> counters;
};
