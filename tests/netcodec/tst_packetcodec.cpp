// Byte-exact vectors and hostile input for the addresses, the 80-byte packet
// header with its checksum, and the ping and pong payloads.
#include "net/wire/PacketHeader.h"
#include "net/wire/PingPayload.h"
#include "net/wire/PongPayload.h"
#include "net/wire/TovkaAddress.h"
#include "tests/support/Bytes.h"

#include <QtEndian>
#include <QtTest>

namespace {

QByteArray hex(const char* text)
{
    return QByteArray::fromHex(text);
}

// A data packet from 7/0/1 to the office with a host name and payload bytes
// above 0x7f, so a sum over signed bytes cannot pass.
PacketHeader sampleHeader()
{
    PacketHeader header = PacketHeader::make(PacketType::DATA, 0x70, 1);
    header.sequence = 0x01020304;
    header.length = 4;
    header.destinationAddress = 0x30;
    header.destinationInstance = 0;
    PacketHeader::setHostName(&header.hostName, "H\xc3\xa9");
    header.delay = 0x0105;
    header.transmissionCounter = 0xbeef;
    return header;
}

QByteArray sampleWire()
{
    return hex("00000822" "01020304" "0004" "0c" "70" "01" "30" "00" "04" "48c3a9")
        + QByteArray(57, '\0') + hex("0105" "beef" "ffffffff");
}

QByteArray buildPacket(const PacketHeader& header, const QByteArray& payload)
{
    QByteArray out(PacketHeader::MaxPacket, '\0');
    const int size = PacketHeader::build(header, bytes(payload), bytes(out), out.size());
    out.resize(qMax(size, 0));
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

} // namespace

class TestPacketCodec : public QObject
{
    Q_OBJECT

private slots:
    void addressWireForm_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::addColumn<int>("subKind");
        QTest::addColumn<int>("instance");
        QTest::addColumn<int>("addressByte");
        QTest::addColumn<uint>("key");
        QTest::newRow("planner") << 7u << 0 << 0 << 0x70 << 0x7000u;
        QTest::newRow("display area 2") << 4u << 2 << 0 << 0x42 << 0x4200u;
        QTest::newRow("highest nibbles") << 15u << 15 << 255 << 0xff << 0xffffu;
        QTest::newRow("monitor") << 0u << 0 << 0 << 0x00 << 0u;
    }
    void addressWireForm()
    {
        QFETCH(uint, kind);
        QFETCH(int, subKind);
        QFETCH(int, instance);
        QFETCH(int, addressByte);
        QFETCH(uint, key);
        const TovkaAddress address(kind, quint8(subKind), quint8(instance));
        QCOMPARE(int(address.addressByte()), addressByte);
        QCOMPARE(address.statisticKey(), key);
        QCOMPARE(TovkaAddress::fromWire(quint8(addressByte), quint8(instance)), address);
    }

    void appNames_data()
    {
        QTest::addColumn<uint>("kind");
        QTest::addColumn<int>("instance");
        QTest::addColumn<QString>("name");
        QTest::newRow("jury 3") << 2u << 3 << "Jury_3";
        QTest::newRow("planner 255") << 7u << 255 << "BelegungsPlaner_255";
        QTest::newRow("chief ignores instance") << 1u << 3 << "Chief";
        QTest::newRow("monitor") << 0u << 0 << "NetMon";
        QTest::newRow("timekeeper") << 8u << 2 << "Timekeeper";
        QTest::newRow("kind 9") << 9u << 0 << "UNKNOWN";
    }
    void appNames()
    {
        QFETCH(uint, kind);
        QFETCH(int, instance);
        QFETCH(QString, name);
        QCOMPARE(QString::fromLatin1(appName(TovkaAddress(kind, 0, quint8(instance)))), name);
    }

    void appNamesStayApart()
    {
        const char* first = appName(TovkaAddress(KindJury, 0, 1));
        const char* second = appName(TovkaAddress(KindBelegungsPlaner, 0, 2));
        QCOMPARE(QByteArray(first), QByteArray("Jury_1"));
        QCOMPARE(QByteArray(second), QByteArray("BelegungsPlaner_2"));
    }

    void headerVectorAndReadBack()
    {
        const QByteArray wire = sampleWire();
        QCOMPARE(buildPacket(sampleHeader(), hex("ffffffff")).toHex(), wire.toHex());
        PacketHeader header;
        QVERIFY(PacketHeader::read(bytes(wire), wire.size(), &header));
        QCOMPARE(header.checksum, 0x822u);
        QCOMPARE(header.source(), TovkaAddress(7, 0, 1));
        QCOMPARE(header.destination(), TovkaAddress(3, 0, 0));
        QCOMPARE(PacketHeader::hostNameText(header.hostName), QByteArray("H\xc3\xa9"));
        QCOMPARE(buildPacket(header, hex("ffffffff")).toHex(), wire.toHex());   // every field read back
        QVERIFY(PacketHeader::check(bytes(wire), wire.size()).valid());
    }

    // The ping padded to the largest packet, so a changed length field still
    // leaves the packet whole and its sum is taken: every change then fails on
    // the sum, or on the length field's limit, never on a cut packet.
    void everySummedByteChangesTheSum()
    {
        const QByteArray ping = samplePing();
        QCOMPARE(ping.size(), PacketHeader::Size + PingPayload::Size);
        const QByteArray packet = ping.leftJustified(PacketHeader::MaxPacket, '\0');
        QVERIFY(PacketHeader::check(bytes(packet), packet.size()).valid());
        int lengthRefused = 0;
        for (int at = 4; at < ping.size(); ++at) {
            for (int delta : {1, 0x80, 0xff}) {
                const QString where = QString("byte %1 +%2").arg(at).arg(delta);
                QByteArray changed = packet;
                changed[at] = char(uint8_t(changed[at]) + delta);
                const PacketCheck check = PacketHeader::check(bytes(changed), changed.size());
                const int length = uint8_t(changed[8]) << 8 | uint8_t(changed[9]);
                if (length > PacketHeader::MaxPayload) {
                    QVERIFY2(at == 8, qPrintable(where));
                    QCOMPARE(int(check.verdict), int(PacketCheck::LengthTooLarge));
                    ++lengthRefused;
                    continue;
                }
                QVERIFY2(check.verdict == PacketCheck::ChecksumMismatch, qPrintable(where));
            }
        }
        QCOMPARE(lengthRefused, 2);   // the length field's high byte +0x80 and +0xff
    }

    void checkVerdicts_data()
    {
        QTest::addColumn<QByteArray>("datagram");
        QTest::addColumn<int>("verdict");
        const QByteArray ping = samplePing();
        QByteArray otherVersion = ping;
        otherVersion[10] = 11;
        PacketHeader::seal(bytes(otherVersion), otherVersion.size());
        QTest::newRow("sound ping") << ping << int(PacketCheck::Valid);
        QTest::newRow("trailing bytes beyond length") << ping + QByteArray(7, '\x7f') << int(PacketCheck::Valid);
        QTest::newRow("empty") << QByteArray() << int(PacketCheck::TooShort);
        QTest::newRow("79 bytes") << ping.left(79) << int(PacketCheck::TooShort);
        QTest::newRow("payload cut") << ping.left(ping.size() - 1) << int(PacketCheck::Truncated);
        QTest::newRow("header only") << ping.left(80) << int(PacketCheck::Truncated);
        QTest::newRow("version 11") << otherVersion << int(PacketCheck::WrongVersion);
    }
    void checkVerdicts()
    {
        QFETCH(QByteArray, datagram);
        QFETCH(int, verdict);
        QCOMPARE(int(PacketHeader::check(bytes(datagram), datagram.size()).verdict), verdict);
    }

    void lengthAboveLimitIsInvalidWhateverItsSum()
    {
        PacketHeader header = PacketHeader::make(PacketType::DATA, 0x70, 0);
        header.length = 1024;
        const QByteArray largest = buildPacket(header, QByteArray(1024, '\xff'));
        QCOMPARE(largest.size(), PacketHeader::MaxPacket);
        QVERIFY(PacketHeader::check(bytes(largest), largest.size()).valid());

        QByteArray tooLong = largest + QByteArray(1, '\xff');
        tooLong[8] = 0x04;
        tooLong[9] = 0x01;
        quint32 sum = 0;
        for (int i = 4; i < tooLong.size(); ++i)
            sum += uint8_t(tooLong[i]);
        qToBigEndian(sum, tooLong.data());   // a sound sum over all 1105 bytes
        QCOMPARE(int(PacketHeader::check(bytes(tooLong), tooLong.size()).verdict), int(PacketCheck::LengthTooLarge));
        QVERIFY(!PacketHeader::checksumOf(bytes(tooLong), tooLong.size(), &sum));
        QCOMPARE(PacketHeader::seal(bytes(tooLong), tooLong.size()), -1);
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
        QTest::newRow("short") << QByteArray("halle") << QByteArray("halle");
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
        QCOMPARE(PacketHeader::hostNameText(field), stored);
        for (int i = stored.size(); i < PacketHeader::HostNameSize; ++i)
            QCOMPARE(int(field[i]), 0);
    }

    void pingVector()
    {
        PingPayload ping;
        ping.seconds = 0x11223344;
        ping.milliseconds = 999;
        PacketHeader::setHostName(&ping.hostName, "\xff\x80");
        QByteArray wire(PingPayload::Size, '\x55');
        ping.write(bytes(wire));
        QCOMPARE(wire.toHex(), (hex("44332211" "e7030000" "ff80") + QByteArray(58, '\0')).toHex());

        PingPayload back;
        QVERIFY(PingPayload::read(bytes(wire), wire.size(), &back));
        QCOMPARE(back.seconds, ping.seconds);
        QCOMPARE(back.milliseconds, ping.milliseconds);
        QVERIFY(back.hostName == ping.hostName);
    }

    void pongVector()
    {
        PongPayload pong;
        pong.ping.seconds = 1;
        pong.ping.milliseconds = 2;
        pong.fromIPv4 = 0xc0a80114; // 192.168.1.20
        QByteArray wire(PongPayload::Size, '\x55');
        pong.write(bytes(wire));
        QCOMPARE(wire.mid(0, 8).toHex(), hex("01000000" "02000000").toHex());
        QCOMPARE(wire.mid(68).toHex(), hex("1401a8c0").toHex());

        PongPayload back;
        QVERIFY(PongPayload::read(bytes(wire), wire.size(), &back));
        QCOMPARE(back.fromIPv4, 0xc0a80114u);
        QCOMPARE(back.ping.milliseconds, 2u);

        // Bytes after the host name's terminator are undefined on the wire; an
        // answer hands all 68 back unchanged.
        QByteArray pingWire = hex("0a000000" "0b000000" "6869") + QByteArray(1, '\0') + QByteArray(57, '\xff');
        QVERIFY(PingPayload::read(bytes(pingWire), pingWire.size(), &pong.ping));
        pong.write(bytes(wire));
        QCOMPARE(wire.left(PingPayload::Size).toHex(), pingWire.toHex());
    }

    void shortPayloadsAreRefused()
    {
        const QByteArray data(PongPayload::Size, '\xff');
        PingPayload ping;
        PongPayload pong;
        PacketHeader header;
        QVERIFY(!PingPayload::read(bytes(data), PingPayload::Size - 1, &ping));
        QVERIFY(!PongPayload::read(bytes(data), PongPayload::Size - 1, &pong));
        QVERIFY(!PacketHeader::read(bytes(data), PacketHeader::Size - 1, &header));
        QVERIFY(!PingPayload::read(nullptr, 100, &ping));
    }
};

QTEST_GUILESS_MAIN(TestPacketCodec)
#include "tst_packetcodec.moc"
