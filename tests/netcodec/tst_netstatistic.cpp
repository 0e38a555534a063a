// The statistic entry's wire form, the payload split into packets of at most
// 32 entries, the counting operations (also from two threads at once), the
// periodic hand-out and the texts of the statistic log.
#include "net/wire/StatisticPayload.h"
#include "net/transport/TovkaNetStatistic.h"
#include "tests/support/Bytes.h"
#include "tests/support/DebugCapture.h"

#include <QSet>
#include <QTimer>
#include <QtTest>

#include <thread>

namespace {

NetStatistic sampleEntry()
{
    NetStatistic entry;
    entry.key = 0x7001;
    entry.rttSum = 0x01020304;
    entry.handlingSum = 0xa0b0c0d0;
    entry.rttMax = 0x1112;
    entry.handlingMax = 0xfffe;
    entry.sent = 0x2122;
    entry.repeats = 0x3132;
    entry.dropped = 0x4142;
    entry.received = 0x5152;
    entry.repeatsReceived = 0x6162;
    entry.pongs = 0x7172;
    return entry;
}

const char* const SampleWire = "00007001" "01020304" "a0b0c0d0" "1112" "fffe" "2122" "3132" "4142" "0000"
                               "5152" "6162" "7172" "0000";

NetStatisticList entriesWithKeys(int count)
{
    NetStatisticList list;
    for (int i = 0; i < count; ++i) {
        NetStatistic entry;
        entry.key = quint32(0x1000 + i);
        list.append(entry);
    }
    return list;
}

NetStatistic entryFor(const NetStatisticList& list, quint32 key)
{
    for (const NetStatistic& entry : list)
        if (entry.key == key)
            return entry;
    return NetStatistic();
}

NetStatistic entryFrom(const char* hex)
{
    const QByteArray wire = QByteArray::fromHex(hex);
    NetStatistic entry;
    NetStatistic::read(bytes(wire), wire.size(), &entry);
    return entry;
}

QByteArray wireOf(const NetStatistic& entry)
{
    QByteArray wire(NetStatistic::WireSize, '\0');
    entry.write(bytes(wire));
    return wire.toHex();
}

const QString Red = "<font color=\"red\"><b>";
const QString RedEnd = "</b></font>";

} // namespace

Q_DECLARE_METATYPE(NetStatistic)

class TestNetStatistic : public QObject
{
    Q_OBJECT

private slots:
    void entryVectorAndReadBack()
    {
        const QByteArray wire = QByteArray::fromHex(SampleWire);
        QByteArray written(NetStatistic::WireSize, '\x55');
        sampleEntry().write(bytes(written));
        QCOMPARE(written.toHex(), wire.toHex());
        NetStatistic entry;
        QVERIFY(NetStatistic::read(bytes(wire), wire.size(), &entry));
        QByteArray again(NetStatistic::WireSize, '\x55');
        entry.write(bytes(again));
        QCOMPARE(again, wire);
        QVERIFY(!NetStatistic::read(bytes(wire), NetStatistic::WireSize - 1, &entry));
    }

    void payloadDecodesWholeEntries_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("entries");
        QTest::newRow("empty") << 0 << 0;
        QTest::newRow("31 bytes") << 31 << 0;
        QTest::newRow("one entry") << 32 << 1;
        QTest::newRow("70 bytes") << 70 << 2;
        QTest::newRow("full packet") << 1024 << 32;
    }
    void payloadDecodesWholeEntries()
    {
        QFETCH(int, size);
        QFETCH(int, entries);
        QByteArray payload;
        while (payload.size() < size)
            payload += QByteArray::fromHex(SampleWire);
        payload.truncate(size);
        const NetStatisticList list = StatisticPayload::read(bytes(payload), payload.size());
        QCOMPARE(list.size(), entries);
        for (const NetStatistic& entry : list)
            QCOMPARE(entry.key, 0x7001u);
    }

    void payloadRefusesMoreThanOnePacket()
    {
        QByteArray out(2 * StatisticPayload::MaxSize, '\0');
        QCOMPARE(StatisticPayload::write(entriesWithKeys(33), bytes(out), out.size()), -1);
        QCOMPARE(StatisticPayload::write(entriesWithKeys(32), bytes(out), out.size()), 1024);
        QCOMPARE(StatisticPayload::write(entriesWithKeys(2), bytes(out), 63), -1);

        const NetStatisticList sent = entriesWithKeys(3);
        QCOMPARE(StatisticPayload::write(sent, bytes(out), out.size()), 96);
        const NetStatisticList back = StatisticPayload::read(bytes(out), 96);
        QCOMPARE(back.size(), 3);
        QCOMPARE(back.at(2).key, 0x1002u);
    }

    void splitKeepsOrderInPartsOf32_data()
    {
        QTest::addColumn<int>("count");
        QTest::addColumn<QList<int>>("sizes");
        QTest::newRow("none") << 0 << QList<int>();
        QTest::newRow("one") << 1 << QList<int>{1};
        QTest::newRow("32") << 32 << QList<int>{32};
        QTest::newRow("33") << 33 << QList<int>{32, 1};
        QTest::newRow("65") << 65 << QList<int>{32, 32, 1};
    }
    void splitKeepsOrderInPartsOf32()
    {
        QFETCH(int, count);
        QFETCH(QList<int>, sizes);
        const QList<NetStatisticList> parts = StatisticPayload::split(entriesWithKeys(count));
        QList<int> got;
        quint32 nextKey = 0x1000;
        for (const NetStatisticList& part : parts) {
            got << part.size();
            for (const NetStatistic& entry : part)
                QCOMPARE(entry.key, nextKey++);
        }
        QCOMPARE(got, sizes);
    }

    void countingOperations()
    {
        TovkaNetStatistic statistic;
        const quint32 peer = 0x7001;
        const quint32 sender = 0x3000;
        statistic.countPong(peer);
        statistic.countPong(peer);
        statistic.addHeartbeatRtt(12);
        statistic.addHeartbeatRtt(30);
        statistic.countPingReply();
        statistic.countSent(peer);
        statistic.countResend(peer);
        statistic.countResend(peer);
        statistic.countDrop(peer);
        statistic.addAckRtt(peer, 40);
        statistic.countResentReceived(sender);
        statistic.addReceiveDelay(sender, 7);
        statistic.addReceiveDelay(sender, 5);

        const NetStatisticList list = statistic.takeCounters();
        QCOMPARE(list.size(), 3);
        QCOMPARE(wireOf(entryFor(list, 0)),
                 "00000000" "0000002a" "00000000" "001e" "0000" "0001" "0000" "0000" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(list, peer)),
                 "00007001" "00000028" "00000000" "0028" "0000" "0001" "0002" "0001" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(list, sender)),
                 "00003000" "00000000" "0000000c" "0000" "0007" "0000" "0000" "0000" "0000" "0002" "0001" "0000" "0000");
    }

    void maximaAndCountersKeepTheirRange()
    {
        TovkaNetStatistic statistic;
        statistic.addAckRtt(1, 70000);
        statistic.addAckRtt(2, -5);
        statistic.addReceiveDelay(3, 9);
        statistic.addReceiveDelay(3, 3);
        const NetStatisticList list = statistic.takeCounters();
        QCOMPARE(int(entryFor(list, 1).rttMax), 0xffff);
        QCOMPARE(entryFor(list, 1).rttSum, 70000u);
        QCOMPARE(int(entryFor(list, 2).rttMax), 0);
        QCOMPARE(entryFor(list, 2).rttSum, 0u);
        QCOMPARE(int(entryFor(list, 3).handlingMax), 9);

        for (int i = 0; i < 0x10001; ++i)   // counters wrap at 16 bits
            statistic.countSent(5);
        QCOMPARE(int(entryFor(statistic.takeCounters(), 5).sent), 1);
    }

    // The empty table, an idle minute with heartbeat answers only, and more
    // entries than one packet holds: the transport splits them, not the counters.
    void timeoutHandsOutTheWholeTableOnce()
    {
        TovkaNetStatistic statistic;
        QCOMPARE(statistic.findChild<QTimer*>()->interval(), 60000);
        QList<NetStatisticList> parts;   // what goes to the transport
        connect(&statistic, &TovkaNetStatistic::sendStatistic, [&](const NetStatisticList& list) { parts << list; });
        statistic.timeout();
        QCOMPARE(parts.size(), 1);
        QVERIFY(parts.takeFirst().isEmpty());

        for (int i = 0; i < 12; ++i)
            statistic.countPingReply();
        statistic.timeout();
        QCOMPARE(parts.size(), 1);
        QCOMPARE(parts.at(0).size(), 1);
        QCOMPARE(int(parts.takeFirst().at(0).sent), 12);

        for (quint32 i = 0; i < 70; ++i)
            statistic.countSent(0x1000 + i);
        statistic.timeout();
        QCOMPARE(parts.size(), 1);
        QSet<quint32> keys;
        for (const NetStatistic& entry : parts.at(0)) {
            QCOMPARE(int(entry.sent), entry.key == 0 ? 0 : 1);   // the own entry stays, zeroed
            keys.insert(entry.key);
        }
        QCOMPARE(parts.at(0).size(), 71);
        QCOMPARE(keys.size(), 71);
    }

    void countingFromTwoThreads()
    {
        // The heartbeat counts its ping answer on the transport's worker thread.
        TovkaNetStatistic statistic;
        const int rounds = 20000;
        // A plain thread: ThreadSanitizer sees its start and join, unlike QThread's.
        std::thread worker([&statistic] {
            for (int i = 0; i < rounds; ++i)
                statistic.countPingReply();
        });
        int answers = 0;
        int sent = 0;
        for (int i = 0; i < rounds; ++i) {
            statistic.countSent(0x7001);
            if (i % 1000 == 999) {
                const NetStatisticList part = statistic.takeCounters();
                answers += entryFor(part, 0).sent;
                sent += entryFor(part, 0x7001).sent;
            }
        }
        worker.join();
        answers += entryFor(statistic.takeCounters(), 0).sent;
        QCOMPARE(answers, rounds);
        QCOMPARE(sent, rounds);
    }

    void addressTexts_data()
    {
        QTest::addColumn<uint>("key");
        QTest::addColumn<QString>("text");
        QTest::newRow("planner 1") << 0x7001u << "BelegungsPlaner_1_0";
        QTest::newRow("jury any instance") << 0x2000u << QString();
        QTest::newRow("jury 3 area 1") << 0x2103u << "Jury_3_1";
        QTest::newRow("display area 2") << 0x4200u << "Anzeige_2";
        QTest::newRow("own key") << 0u << "NetMon_0";
    }
    void addressTexts()
    {
        QFETCH(uint, key);
        QFETCH(QString, text);
        const QString got = TovkaNetStatistic::addressText(key);
        QCOMPARE(got, text);
        QCOMPARE(got.isNull(), text.isNull());
        QCOMPARE(TovkaNetStatistic::statisticKeyText(key), key == 0 ? QString("Alive") : text);
    }

    void statisticLines_data()
    {
        QTest::addColumn<NetStatistic>("entry");
        QTest::addColumn<QString>("line");

        // Entries in their wire form, as the vector in entryVectorAndReadBack.
        QTest::newRow("own, no samples") << entryFrom("00000000 00000000 00000000 0000 0000 000c 0000 0000 0000 0000 0000 0000 0000")
            << "Alive:\t 12/-/-   " + Red + "DEAD" + RedEnd + " \t-/-&nbsp;&nbsp;" + Red + "0" + RedEnd + " ";
        QTest::newRow("busy peer") << entryFrom("00007001 000003e8 00000190 0258 0050 0002 0003 0001 0000 0004 0002 0009 0000")
            << "BelegungsPlaner_1_0:\t 2/<b>3</b>/" + Red + "1" + RedEnd + "   " + Red + "0.500" + RedEnd + "/" + Red
                   + "0.600" + RedEnd + " \t4/" + Red + "2" + RedEnd + "&nbsp;&nbsp;9 0.100/0.080";
    }
    void statisticLines()
    {
        QFETCH(NetStatistic, entry);
        QFETCH(QString, line);
        QCOMPARE(TovkaNetStatistic::statisticLine(entry), line);
    }

    void printStatisticSkipsNamelessKeys()
    {
        NetStatistic jury;
        jury.key = 0x2000;
        NetStatistic own;
        TovkaNetStatistic statistic;
        DebugCapture capture;
        statistic.printStatistic(NetStatisticList{jury, own});
        QCOMPARE(capture.lines().size(), 1);
        QVERIFY(capture.lines().at(0).startsWith("Alive:"));
    }
};

QTEST_GUILESS_MAIN(TestNetStatistic)
#include "tst_netstatistic.moc"
