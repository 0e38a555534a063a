// Counting, periodic hand-out and log lines of the per-peer packet statistics.
#include "net/transport/TovkaNetStatistic.h"

#include "net/wire/TovkaAddress.h"

#include <QDebug>

#include <limits>

namespace {

constexpr quint32 OwnKey = 0;

// Warning limits of the log line, milliseconds.
constexpr quint32 HeartbeatRttLimit = 100;
constexpr quint32 AckRttAverageLimit = 250;
constexpr quint32 AckRttMaxLimit = 500;
constexpr quint32 HandlingAverageLimit = 150;
constexpr quint32 HandlingMaxLimit = 250;

const char* const RedBold = "<font color=\"red\"><b>";
const char* const RedBoldEnd = "</b></font>";

// Sums wrap at 32 bits like every counter; a negative time (clock step) counts as 0.
quint32 sumPart(qint64 ms)
{
    return ms < 0 ? 0 : quint32(ms);
}

// A maximum keeps the largest value it can hold rather than wrapping.
void raiseMaximum(quint16& maximum, qint64 ms)
{
    const qint64 capped = qBound<qint64>(0, ms, std::numeric_limits<quint16>::max());
    if (capped > maximum)
        maximum = quint16(capped);
}

QString countOrDash(quint16 count, const char* format, const char* dash)
{
    return count ? QString::asprintf(format, count) : QString::fromLatin1(dash);
}

QString sendingCounts(const NetStatistic& entry)
{
    return countOrDash(entry.sent, "%d/", "-/") + countOrDash(entry.repeats, "<b>%d</b>/", "-/")
        + countOrDash(entry.dropped, "<font color=\"red\"><b>%d</b></font>", "-");
}

QString roundTrip(const NetStatistic& entry)
{
    if (entry.key == OwnKey) {
        if (entry.pongs == 0)
            return QString::fromLatin1(RedBold) + "DEAD" + RedBoldEnd;
        return TovkaNetStatistic::formatMs(entry.rttSum / entry.pongs, HeartbeatRttLimit) + "/"
            + TovkaNetStatistic::formatMs(entry.rttMax, HeartbeatRttLimit);
    }
    if (entry.sent == 0)
        return QString();
    return TovkaNetStatistic::formatMs(entry.rttSum / entry.sent, AckRttAverageLimit) + "/"
        + TovkaNetStatistic::formatMs(entry.rttMax, AckRttMaxLimit);
}

QString receivingCounts(const NetStatistic& entry)
{
    return countOrDash(entry.received, "%d/", "-/")
        + countOrDash(entry.repeatsReceived, "<font color=\"red\"><b>%d</b></font>", "-") + "&nbsp;&nbsp;"
        + countOrDash(entry.pongs, "%d", "<font color=\"red\"><b>0</b></font>");
}

QString handlingTime(const NetStatistic& entry)
{
    if (entry.received == 0)
        return QString();
    return TovkaNetStatistic::formatMs(entry.handlingSum / entry.received, HandlingAverageLimit) + "/"
        + TovkaNetStatistic::formatMs(entry.handlingMax, HandlingMaxLimit);
}

} // namespace

TovkaNetStatistic::TovkaNetStatistic(QObject* parent)
    : QObject(parent), sendTimer(this)
{
    connect(&sendTimer, SIGNAL(timeout()), this, SLOT(timeout()));
    sendTimer.start(SendInterval);
}

TovkaNetStatistic::~TovkaNetStatistic() = default;

template <typename Change>
void TovkaNetStatistic::update(quint32 key, Change change)
{
    std::lock_guard<std::mutex> locker(countersLock);
    NetStatistic& record = counters[key];
    record.key = key;
    change(record);
}

void TovkaNetStatistic::countPong(quint32 key)
{
    update(key, [](NetStatistic& r) { ++r.pongs; });
}

void TovkaNetStatistic::addHeartbeatRtt(qint64 ms)
{
    update(OwnKey, [ms](NetStatistic& r) {
        r.rttSum += sumPart(ms);
        ++r.pongs;
        raiseMaximum(r.rttMax, ms);
    });
}

void TovkaNetStatistic::countPingReply()
{
    update(OwnKey, [](NetStatistic& r) { ++r.sent; });
}

void TovkaNetStatistic::countSent(quint32 key)
{
    update(key, [](NetStatistic& r) { ++r.sent; });
}

void TovkaNetStatistic::countResend(quint32 key)
{
    update(key, [](NetStatistic& r) { ++r.repeats; });
}

void TovkaNetStatistic::countDrop(quint32 key)
{
    update(key, [](NetStatistic& r) { ++r.dropped; });
}

void TovkaNetStatistic::addAckRtt(quint32 key, qint64 ms)
{
    update(key, [ms](NetStatistic& r) {
        r.rttSum += sumPart(ms);
        raiseMaximum(r.rttMax, ms);
    });
}

void TovkaNetStatistic::countResentReceived(quint32 key)
{
    update(key, [](NetStatistic& r) { ++r.repeatsReceived; });
}

void TovkaNetStatistic::addReceiveDelay(quint32 key, qint64 ms)
{
    update(key, [ms](NetStatistic& r) {
        ++r.received;
        r.handlingSum += sumPart(ms);
        raiseMaximum(r.handlingMax, ms);
    });
}

NetStatisticList TovkaNetStatistic::takeCounters()
{
    std::lock_guard<std::mutex> locker(countersLock);
    NetStatisticList list;
    list.reserve(counters.size());
    for (auto it = counters.begin(); it != counters.end(); ++it) {
        NetStatistic entry = it.value();
        entry.key = it.key();
        list.append(entry);
        it.value() = NetStatistic();
        it.value().key = it.key();
    }
    return list;
}

void TovkaNetStatistic::timeout()
{
    emit sendStatistic(takeCounters());
}

QString TovkaNetStatistic::addressText(quint32 key)
{
    const quint32 kind = key >> 12;
    const quint8 subKind = quint8((key >> 8) & 0x0f);
    const quint8 instance = quint8(key & 0xff);
    if (kind == KindJury && instance == 0)
        return QString();
    QString text = QString::fromLatin1(appName(TovkaAddress(kind, subKind, instance)));
    if (kind != KindBuero)
        text += QString::asprintf("_%d", subKind);
    return text;
}

QString TovkaNetStatistic::statisticKeyText(quint32 key)
{
    return key == OwnKey ? QStringLiteral("Alive") : addressText(key);
}

QString TovkaNetStatistic::formatMs(quint32 ms, quint32 limit)
{
    const bool over = ms > limit;
    return QString::asprintf("%s%u.%03u%s", over ? RedBold : "", ms / 1000, ms % 1000, over ? RedBoldEnd : "");
}

QString TovkaNetStatistic::statisticLine(const NetStatistic& entry)
{
    const QString name = statisticKeyText(entry.key);
    if (name.isNull())
        return QString();
    return name + ":\t " + sendingCounts(entry) + "   " + roundTrip(entry) + " \t" + receivingCounts(entry) + " "
        + handlingTime(entry);
}

void TovkaNetStatistic::printStatistic(NetStatisticList list)
{
    for (const NetStatistic& entry : list) {
        const QString line = statisticLine(entry);
        if (!line.isNull())
            qDebug().noquote() << line;
    }
}
