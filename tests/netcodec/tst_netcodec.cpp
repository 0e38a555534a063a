// Byte-exact vectors and hostile input for the wire formats (addresses, the
// 80-byte header with its checksum, ping, pong and statistic payloads), and
// the statistic counters, also counted from two threads at once.
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/PongPayload.h"
#include "net/wire/StatisticPayload.h"
#include "net/wire/TovkaAddress.h"
#include "net/transport/TovkaNetStatistic.h"
#include "tests/support/Bytes.h"

#include <QTimer>
#include <QtTest>

#include <thread>

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray buildPacket(const PacketHeader& header, const QByteArray& payload)
{
    QByteArray out(PacketHeader::MaxPacket, '\0');
    out.resize(qMax(PacketHeader::build(header, bytes(payload), bytes(out), out.size()), 0));
    return out;
}

QByteArray wireOf(const NetStatistic& entry)
{
    QByteArray wire(NetStatistic::WireSize, '\x55');
    entry.write(bytes(wire));
    return wire.toHex();
}

NetStatistic entryFor(const NetStatisticList& list, quint32 key)
{
    for (const NetStatistic& entry : list)
        if (entry.key == key)
            return entry;
    return NetStatistic();
}

} // namespace

class TestNetCodec : public QObject
{
    Q_OBJECT

private slots:
    void addressWireFormAndNames()
    {
        const TovkaAddress jury(KindJury, 2, 3);
        QCOMPARE(jury.statisticKey(), 0x2203u);
        // Two names in one log line: each has a buffer of its own.
        const char* first = appName(jury);
        const char* second = appName(TovkaAddress(KindBelegungsPlaner, 0, 255));
        QCOMPARE(QByteArray(first) + second + appName(TovkaAddress(15, 0, 1)), "Jury_3BelegungsPlaner_255UNKNOWN");
    }

    void headerVectorAndLimits()
    {
        // Host name and payload bytes above 0x7f, so a sum over signed bytes cannot pass.
        PacketHeader sample = PacketHeader::make(PacketType::DATA, 0x70, 1);
        sample.sequence = 0x01020304;
        sample.length = 4;
        sample.destinationAddress = 0x30;
        PacketHeader::setHostName(&sample.hostName, "H\xc3\xa9");
        sample.delay = 0x0105;
        sample.transmissionCounter = 0xbeef;
        const QByteArray wire = hex("00000822" "01020304" "0004" "0c" "70" "01" "30" "00" "04" "48c3a9")
            + QByteArray(57, '\0') + hex("0105" "beef" "ffffffff");
        QCOMPARE(buildPacket(sample, hex("ffffffff")).toHex(), wire.toHex());
        PacketHeader header;
        QVERIFY(PacketHeader::read(bytes(wire), wire.size(), &header));
        QCOMPARE(header.source(), TovkaAddress(7, 0, 1));
        QCOMPARE(header.destination(), TovkaAddress(3, 0, 0));
        QCOMPARE(buildPacket(header, hex("ffffffff")).toHex(), wire.toHex()); // every field read back
        QVERIFY(!PacketHeader::read(bytes(wire), PacketHeader::Size - 1, &header));
        // A host name is cut to 59 bytes, never inside a character.
        header.hostName.fill('\xee');
        PacketHeader::setHostName(&header.hostName, (QByteArray(58, 'c') + "\xc3\xa9").constData());
        QCOMPARE(QByteArray(header.hostName.data(), 60), QByteArray(58, 'c') + QByteArray(2, '\0'));
        PacketHeader::setHostName(&header.hostName, (QByteArray(57, 'd') + "\xc3\xa9").constData());
        QCOMPARE(QByteArray(header.hostName.data(), 60), QByteArray(57, 'd') + "\xc3\xa9" + '\0');
        QCOMPARE(PacketHeader::nextSequence(1), 2u);
        QCOMPARE(PacketHeader::nextSequence(PacketHeader::LastSequence), 1u);

        // What does not fit is not built.
        QByteArray out(2000, '\0');
        header.length = 1025;
        QCOMPARE(PacketHeader::build(header, bytes(out), bytes(out), out.size()), -1);
        header.length = 10;
        QCOMPARE(PacketHeader::build(header, nullptr, bytes(out), out.size()), -1);
        QCOMPARE(PacketHeader::build(header, bytes(wire), bytes(out), 89), -1);
        QCOMPARE(PacketHeader::build(header, bytes(wire), bytes(out), 90), 90);
    }

    void checkVerdicts_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("verdict");
        const QByteArray ping = buildPacket(PacketHeader::make(PacketType::PING, 0x70, 0), QByteArray(68, '\x90'));
        PacketHeader largest = PacketHeader::make(PacketType::DATA, 0x70, 0);
        largest.length = 1024;
        QTest::newRow("trailing bytes") << ping + QByteArray(7, '\x7f') << int(PacketCheck::Valid);
        QTest::newRow("largest") << buildPacket(largest, QByteArray(1024, '\xff')) << int(PacketCheck::Valid);
        for (int at : {4, 15, 79, 80, 147}) {
            QByteArray changed = ping;
            changed[at] = char(changed[at] + 0x80);
            QTest::addRow("byte %d changed", at) << changed << int(PacketCheck::ChecksumMismatch);
        }
        QTest::newRow("79 bytes") << ping.left(79) << int(PacketCheck::TooShort);
        QTest::newRow("payload cut") << ping.left(ping.size() - 1) << int(PacketCheck::Truncated);
        QByteArray otherVersion = ping;
        otherVersion[10] = 11;
        PacketHeader::seal(bytes(otherVersion), otherVersion.size());
        QTest::newRow("version 11") << otherVersion << int(PacketCheck::WrongVersion);
        QByteArray tooLong = buildPacket(largest, QByteArray(1024, '\xff')) + '\xff';
        tooLong[9] = 0x01; // length 1025
        QTest::newRow("length 1025") << tooLong << int(PacketCheck::LengthTooLarge);
    }
    void checkVerdicts()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, verdict);
        QCOMPARE(int(PacketHeader::check(bytes(datagram), datagram.size()).verdict), verdict);
        if (verdict == PacketCheck::LengthTooLarge)
            QCOMPARE(PacketHeader::seal(bytes(datagram), datagram.size()), -1);
    }

    void pingAndPongVectors()
    {
        // Bytes after the host name's terminator are undefined on the wire: an answer hands all 68 back.
        const QByteArray ping = hex("44332211" "e7030000" "6869") + QByteArray(1, '\0') + QByteArray(57, '\xff');
        PongPayload pong;
        QVERIFY(PingPayload::read(bytes(ping), ping.size(), &pong.ping));
        QCOMPARE(pong.ping.seconds, 0x11223344u);
        QCOMPARE(pong.ping.milliseconds, 999u);
        pong.fromIPv4 = 0xc0a80114; // 192.168.1.20
        QByteArray wire(PongPayload::Size, '\x55');
        pong.write(bytes(wire));
        QCOMPARE(wire.toHex(), (ping + hex("1401a8c0")).toHex());
        QVERIFY(!PongPayload::read(bytes(wire), PongPayload::Size - 1, &pong));
        QVERIFY(!PingPayload::read(bytes(wire), PingPayload::Size - 1, &pong.ping));
    }

    // At most 32 entries to a packet, in order; a cut entry is not read.
    void statisticPayload()
    {
        NetStatisticList list;
        for (quint16 i = 0; i < 65; ++i) {
            list << NetStatistic();
            list.last().key = 0x1000u + i;
            list.last().pongs = i;
        }
        QByteArray out(2 * StatisticPayload::MaxSize, '\0');
        QCOMPARE(StatisticPayload::write(list.mid(0, 33), bytes(out), out.size()), -1);
        QCOMPARE(StatisticPayload::write(list.mid(0, 2), bytes(out), 63), -1);
        QCOMPARE(StatisticPayload::write(list.mid(0, 32), bytes(out), out.size()), 1024);
        const NetStatisticList back = StatisticPayload::read(bytes(out), 1024);
        QCOMPARE(back.size(), 32);
        QCOMPARE(wireOf(back[1]) + wireOf(back[31]), wireOf(list[1]) + wireOf(list[31]));
        QCOMPARE(StatisticPayload::read(bytes(out), 1023).size(), 31);
        const QList<NetStatisticList> parts = StatisticPayload::split(list);
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[2].size(), 1);
        QCOMPARE(wireOf(parts[1].last()) + wireOf(parts[2][0]), wireOf(list[63]) + wireOf(list[64]));
        QVERIFY(StatisticPayload::split({}).isEmpty());
    }

    // The whole table once a minute, the transport splits it; then every
    // record starts again from zero.
    void countersAreHandedOutWholeAndStartAgain()
    {
        TovkaNetStatistic statistic;
        QList<NetStatisticList> parts;
        connect(&statistic, &TovkaNetStatistic::sendStatistic, [&](const NetStatisticList& list) { parts << list; });
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
        statistic.addAckRtt(1, 70000);
        statistic.addAckRtt(2, -5);
        QVERIFY(QMetaObject::invokeMethod(statistic.findChild<QTimer*>(), "timeout"));
        QCOMPARE(parts.size(), 1);
        QCOMPARE(parts[0].size(), 5);
        QCOMPARE(wireOf(entryFor(parts[0], 0)),
                 "00000000" "0000002a" "00000000" "001e" "0000" "0001" "0000" "0000" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(parts[0], peer)),
                 "00007001" "00000028" "00000000" "0028" "0000" "0001" "0002" "0001" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(parts[0], sender)),
                 "00003000" "00000000" "0000000c" "0000" "0007" "0000" "0000" "0000" "0000" "0002" "0001" "0000" "0000");
        QCOMPARE(wireOf(entryFor(parts[0], 1)).mid(8, 20), QByteArray("0001117000000000ffff"));
        QCOMPARE(wireOf(entryFor(parts[0], 2)).mid(8, 20), QByteArray(20, '0'));
        // Every field read back into its place.
        QByteArray out(StatisticPayload::MaxSize, '\0');
        QCOMPARE(StatisticPayload::write(parts[0], bytes(out), out.size()), 5 * 32);
        for (const NetStatistic& entry : StatisticPayload::read(bytes(out), 5 * 32))
            QCOMPARE(wireOf(entry), wireOf(entryFor(parts[0], entry.key)));
        statistic.timeout();
        QCOMPARE(parts[1].size(), 5);
        for (const NetStatistic& entry : parts[1])
            QCOMPARE(wireOf(entry).mid(8), QByteArray(56, '0'));
    }

    // The heartbeat counts its ping answers on the transport's worker thread
    // while the counters are taken here. A plain thread: ThreadSanitizer sees
    // its start and join, unlike QThread's.
    void countingFromTwoThreads()
    {
        TovkaNetStatistic statistic;
        const int rounds = 20000;
        std::thread worker([&statistic] {
            for (int i = 0; i < rounds; ++i)
                statistic.countPingReply();
        });
        int answers = 0;
        while (answers < rounds / 2)
            answers += entryFor(statistic.takeCounters(), 0).sent;
        worker.join();
        answers += entryFor(statistic.takeCounters(), 0).sent;
        QCOMPARE(answers, rounds);
    }
};

QTEST_GUILESS_MAIN(TestNetCodec)
#include "tst_netcodec.moc"
