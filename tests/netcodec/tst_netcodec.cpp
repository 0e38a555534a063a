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
#include "tests/support/DebugCapture.h"

#include <QTimer>
#include <QtEndian>
#include <QtTest>

#include <thread>

Q_DECLARE_METATYPE(NetStatistic)

namespace {

QByteArray hex(const char* text) { return QByteArray::fromHex(text); }

QByteArray buildPacket(const PacketHeader& header, const QByteArray& payload)
{
    QByteArray out(PacketHeader::MaxPacket, '\0');
    out.resize(qMax(PacketHeader::build(header, bytes(payload), bytes(out), out.size()), 0));
    return out;
}

QByteArray samplePing()
{
    PacketHeader header = PacketHeader::make(PacketType::PING, 0x70, 0);
    PacketHeader::setHostName(&header.hostName, "halle-1");
    PingPayload ping;
    ping.seconds = 0x5f000000;
    ping.milliseconds = 999;
    PacketHeader::setHostName(&ping.hostName, "halle-1");
    QByteArray payload(PingPayload::Size, '\0');
    ping.write(bytes(payload));
    return buildPacket(header, payload);
}

// key, rtt sum, handling sum, rtt max, handling max, sent, repeats, dropped, 0, received, repeats received, pongs, 0
const char* const SampleEntry = "00007001" "01020304" "a0b0c0d0" "1112" "fffe" "2122" "3132" "4142" "0000"
                                "5152" "6162" "7172" "0000";

NetStatistic entryFrom(const char* text)
{
    const QByteArray wire = hex(text);
    NetStatistic entry;
    NetStatistic::read(bytes(wire), wire.size(), &entry);
    return entry;
}

QByteArray wireOf(const NetStatistic& entry)
{
    QByteArray wire(NetStatistic::WireSize, '\x55');
    entry.write(bytes(wire));
    return wire.toHex();
}

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

} // namespace

class TestNetCodec : public QObject
{
    Q_OBJECT

private slots:
    void addressWireForm_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<int>("instance");
        QTest::addColumn<int>("addressByte");
        QTest::addColumn<QString>("name");
        QTest::newRow("planner 255") << 7u << 0 << 255 << 0x70 << "BelegungsPlaner_255";
        QTest::newRow("jury 3 area 2") << 2u << 2 << 3 << 0x22 << "Jury_3";
        QTest::newRow("highest nibbles") << 15u << 15 << 255 << 0xff << "UNKNOWN";
        QTest::newRow("monitor") << 0u << 0 << 0 << 0x00 << "NetMon";
    }
    void addressWireForm()
    {
        QFETCH(uint, kind);
        QFETCH(int, subKind);
        QFETCH(int, instance);
        QFETCH(int, addressByte);
        const TovkaAddress address(kind, quint8(subKind), quint8(instance));
        QCOMPARE(int(address.addressByte()), addressByte);
        QCOMPARE(address.statisticKey(), uint(addressByte << 8 | instance));
        QCOMPARE(TovkaAddress::fromWire(quint8(addressByte), quint8(instance)), address);
        QTEST(QString::fromLatin1(appName(address)), "name");
        // Two names at once: each has a buffer of its own.
        const char* chief = appName(TovkaAddress(KindJury, 0, 1));
        QCOMPARE(QByteArray(appName(address)) + chief, QByteArray(appName(address)) + "Jury_1");
    }

    void headerVectorAndReadBack()
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
        QCOMPARE(header.checksum, 0x822u);
        QCOMPARE(header.source(), TovkaAddress(7, 0, 1));
        QCOMPARE(header.destination(), TovkaAddress(3, 0, 0));
        QCOMPARE(buildPacket(header, hex("ffffffff")).toHex(), wire.toHex()); // every field read back
        QVERIFY(!PacketHeader::read(bytes(wire), PacketHeader::Size - 1, &header));
    }

    // The ping padded to the largest packet, so a changed length field still
    // leaves the packet whole: every change fails on the sum, or on the
    // length field's limit, never on a cut packet.
    void everySummedByteChangesTheSum()
    {
        const QByteArray ping = samplePing();
        const QByteArray packet = ping.leftJustified(PacketHeader::MaxPacket, '\0');
        QVERIFY(PacketHeader::check(bytes(packet), packet.size()).valid());
        int lengthRefused = 0;
        for (int at = 4; at < ping.size(); ++at) {
            for (int delta : {1, 0x80, 0xff}) {
                QByteArray changed = packet;
                changed[at] = char(uint8_t(changed[at]) + delta);
                const int verdict = PacketHeader::check(bytes(changed), changed.size()).verdict;
                const bool tooLong = (uint8_t(changed[8]) << 8 | uint8_t(changed[9])) > PacketHeader::MaxPayload;
                lengthRefused += tooLong && at == 8 && verdict == PacketCheck::LengthTooLarge;
                QVERIFY2(tooLong || verdict == PacketCheck::ChecksumMismatch, qPrintable(QString::number(at)));
            }
        }
        QCOMPARE(lengthRefused, 2); // the length field's high byte +0x80 and +0xff
    }

    void checkVerdicts_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("verdict");
        const QByteArray ping = samplePing();
        QByteArray otherVersion = ping;
        otherVersion[10] = 11;
        PacketHeader::seal(bytes(otherVersion), otherVersion.size());
        PacketHeader largest = PacketHeader::make(PacketType::DATA, 0x70, 0);
        largest.length = 1024;
        QByteArray tooLong = buildPacket(largest, QByteArray(1024, '\xff')) + '\xff';
        tooLong[9] = 0x01; // length 1025
        quint32 sum = 0;
        for (int i = 4; i < tooLong.size(); ++i)
            sum += uint8_t(tooLong[i]);
        qToBigEndian(sum, tooLong.data()); // a sound sum over all 1105 bytes
        QTest::newRow("sound ping") << ping << int(PacketCheck::Valid);
        QTest::newRow("trailing bytes") << ping + QByteArray(7, '\x7f') << int(PacketCheck::Valid);
        QTest::newRow("largest") << buildPacket(largest, QByteArray(1024, '\xff')) << int(PacketCheck::Valid);
        QTest::newRow("empty") << QByteArray() << int(PacketCheck::TooShort);
        QTest::newRow("79 bytes") << ping.left(79) << int(PacketCheck::TooShort);
        QTest::newRow("payload cut") << ping.left(ping.size() - 1) << int(PacketCheck::Truncated);
        QTest::newRow("version 11") << otherVersion << int(PacketCheck::WrongVersion);
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

    void buildRefusesWhatDoesNotFit()
    {
        PacketHeader header = PacketHeader::make(PacketType::DATA, 0x70, 0);
        header.length = 1025;
        QByteArray out(2000, '\0');
        const QByteArray payload(1025, 'x');
        QCOMPARE(PacketHeader::build(header, bytes(payload), bytes(out), out.size()), -1);
        header.length = 10;
        QCOMPARE(PacketHeader::build(header, nullptr, bytes(out), out.size()), -1);
        QCOMPARE(PacketHeader::build(header, bytes(payload), bytes(out), 89), -1);
        QCOMPARE(PacketHeader::build(header, bytes(payload), bytes(out), 90), 90);
    }

    void hostNameField_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("stored");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
        QTest::newRow("59 bytes") << QByteArray(59, 'a') << QByteArray(59, 'a');
        QTest::newRow("cut at 59") << QByteArray(70, 'b') << QByteArray(59, 'b');
        QTest::newRow("no half character") << QByteArray(58, 'c') + "\xc3\xa9" << QByteArray(58, 'c');
        QTest::newRow("whole character fits") << QByteArray(57, 'd') + "\xc3\xa9" << QByteArray(57, 'd') + "\xc3\xa9";
    }
    void hostNameField()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, stored);
        HostNameField field;
        field.fill('\xee');
        PacketHeader::setHostName(&field, text.constData());
        QCOMPARE(QByteArray(field.data(), PacketHeader::HostNameSize),
                 stored.leftJustified(PacketHeader::HostNameSize, '\0'));
    }

    void pingAndPongVectors()
    {
        PongPayload pong;
        pong.ping.seconds = 0x11223344;
        pong.ping.milliseconds = 999;
        PacketHeader::setHostName(&pong.ping.hostName, "\xff\x80");
        pong.fromIPv4 = 0xc0a80114; // 192.168.1.20
        QByteArray wire(PongPayload::Size, '\x55');
        pong.write(bytes(wire));
        QCOMPARE(wire.toHex(), (hex("44332211" "e7030000" "ff80") + QByteArray(58, '\0') + hex("1401a8c0")).toHex());
        PongPayload back;
        QVERIFY(PongPayload::read(bytes(wire), wire.size(), &back));
        QCOMPARE(back.fromIPv4, 0xc0a80114u);
        QVERIFY(!PongPayload::read(bytes(wire), PongPayload::Size - 1, &back));
        QVERIFY(!PingPayload::read(bytes(wire), PingPayload::Size - 1, &back.ping));
        QVERIFY(!PingPayload::read(nullptr, 100, &back.ping));

        // Bytes after the host name's terminator are undefined on the wire; an
        // answer hands all 68 back unchanged.
        const QByteArray ping = hex("0a000000" "0b000000" "6869") + QByteArray(1, '\0') + QByteArray(57, '\xff');
        QVERIFY(PingPayload::read(bytes(ping), ping.size(), &pong.ping));
        QCOMPARE(pong.ping.seconds, 10u);
        QCOMPARE(pong.ping.milliseconds, 11u);
        pong.write(bytes(wire));
        QCOMPARE(wire.left(PingPayload::Size).toHex(), ping.toHex());
    }

    void statisticEntryAndPayload_data()
    {
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("entries");
        QTest::newRow("31 bytes") << 31 << 0;
        QTest::newRow("one entry") << 32 << 1;
        QTest::newRow("70 bytes") << 70 << 2;
        QTest::newRow("full packet") << 1024 << 32;
    }
    void statisticEntryAndPayload()
    {
        QFETCH(int, size);
        QFETCH(int, entries);
        QCOMPARE(wireOf(entryFrom(SampleEntry)), QByteArray(SampleEntry));
        QByteArray payload;
        while (payload.size() < size)
            payload += hex(SampleEntry);
        payload.truncate(size);
        const NetStatisticList list = StatisticPayload::read(bytes(payload), payload.size());
        QCOMPARE(list.size(), entries);
        for (const NetStatistic& entry : list)
            QCOMPARE(wireOf(entry), QByteArray(SampleEntry));
    }

    void statisticPayloadsHoldAtMost32()
    {
        QByteArray out(2 * StatisticPayload::MaxSize, '\0');
        QCOMPARE(StatisticPayload::write(entriesWithKeys(33), bytes(out), out.size()), -1);
        QCOMPARE(StatisticPayload::write(entriesWithKeys(32), bytes(out), out.size()), 1024);
        QCOMPARE(StatisticPayload::write(entriesWithKeys(2), bytes(out), 63), -1);
        QCOMPARE(StatisticPayload::write(entriesWithKeys(3), bytes(out), out.size()), 96);
        QCOMPARE(StatisticPayload::read(bytes(out), 96).at(2).key, 0x1002u);
        QList<int> sizes;
        quint32 nextKey = 0x1000;
        for (const NetStatisticList& part : StatisticPayload::split(entriesWithKeys(65))) {
            sizes << part.size();
            for (const NetStatistic& entry : part)
                QCOMPARE(entry.key, nextKey++);
        }
        QCOMPARE(sizes, (QList<int>{32, 32, 1}));
        QVERIFY(StatisticPayload::split({}).isEmpty());
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
        statistic.addAckRtt(1, 70000);
        statistic.addAckRtt(2, -5);
        for (int i = 0; i < 0x10001; ++i) // counters wrap at 16 bits
            statistic.countSent(5);
        const NetStatisticList list = statistic.takeCounters();
        QCOMPARE(list.size(), 6);
        QCOMPARE(wireOf(entryFor(list, 0)),
                 "00000000" "0000002a" "00000000" "001e" "0000" "0001" "0000" "0000" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(list, peer)),
                 "00007001" "00000028" "00000000" "0028" "0000" "0001" "0002" "0001" "0000" "0000" "0000" "0002" "0000");
        QCOMPARE(wireOf(entryFor(list, sender)),
                 "00003000" "00000000" "0000000c" "0000" "0007" "0000" "0000" "0000" "0000" "0002" "0001" "0000" "0000");
        QCOMPARE(int(entryFor(list, 1).rttMax), 0xffff);
        QCOMPARE(entryFor(list, 1).rttSum, 70000u);
        QCOMPARE(entryFor(list, 2).rttSum + entryFor(list, 2).rttMax, 0u);
        QCOMPARE(int(entryFor(list, 5).sent), 1);
    }

    // The whole table once a minute, the own entry zeroed and kept; the
    // transport splits it, not the counters.
    void timeoutHandsOutTheWholeTableOnce()
    {
        TovkaNetStatistic statistic;
        QCOMPARE(statistic.findChild<QTimer*>()->interval(), 60000);
        QList<NetStatisticList> parts;
        connect(&statistic, &TovkaNetStatistic::sendStatistic, [&](const NetStatisticList& list) { parts << list; });
        statistic.timeout();
        QCOMPARE(parts.size(), 1);
        QVERIFY(parts[0].isEmpty());
        statistic.countPingReply();
        for (quint32 i = 0; i < 70; ++i)
            statistic.countSent(0x1000 + i);
        statistic.timeout();
        statistic.timeout();
        QCOMPARE(parts.size(), 3);
        QCOMPARE(parts[1].size(), 71);
        QCOMPARE(int(entryFor(parts[1], 0).sent) + int(entryFor(parts[1], 0x1045).sent), 2);
        QCOMPARE(parts[2].size(), 71);
        for (const NetStatistic& entry : parts[2])
            QCOMPARE(int(entry.sent), 0);
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

    void statisticLog_data()
    {
        QTest::addColumn<NetStatistic>("entry");
        QTest::addColumn<QString>("line");
        const QString red = "<font color=\"red\"><b>";
        const QString end = "</b></font>";
        QTest::newRow("own, no samples")
            << entryFrom("00000000 00000000 00000000 0000 0000 000c 0000 0000 0000 0000 0000 0000 0000")
            << "Alive:\t 12/-/-   " + red + "DEAD" + end + " \t-/-&nbsp;&nbsp;" + red + "0" + end + " ";
        QTest::newRow("busy peer")
            << entryFrom("00007001 000003e8 00000190 0258 0050 0002 0003 0001 0000 0004 0002 0009 0000")
            << "BelegungsPlaner_1_0:\t 2/<b>3</b>/" + red + "1" + end + "   " + red + "0.500" + end + "/" + red
                   + "0.600" + end + " \t4/" + red + "2" + end + "&nbsp;&nbsp;9 0.100/0.080";
        QTest::newRow("jury of any instance: no line") << entryFrom("00002000 00000000 00000000 0000 0000 0002 0000 0000 0000 0000 0000 0000 0000") << QString();
    }
    void statisticLog()
    {
        QFETCH(NetStatistic, entry);
        QFETCH(QString, line);
        DebugCapture capture;
        TovkaNetStatistic().printStatistic(NetStatisticList{entry});
        QCOMPARE(capture.lines(), line.isNull() ? QStringList() : QStringList{line});
        QCOMPARE(TovkaNetStatistic::addressText(0x4200), QStringLiteral("Anzeige_2"));
    }
};

QTEST_GUILESS_MAIN(TestNetCodec)
#include "tst_netcodec.moc"
