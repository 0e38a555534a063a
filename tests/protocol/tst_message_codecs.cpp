// Byte-exact vectors and hostile input for the training-plan message (2/9) and
// the text message (5/3).
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "tests/support/SamplePlan.h"

#include <QtTest>

#include <vector>

namespace {

using Bytes = std::vector<unsigned char>;

Bytes encodePlan(int area, const TrainingsData& data, time_t now, int* leftOut = nullptr)
{
    Bytes buffer(1024, 0xAA);   // stale bytes that must never go out
    const int length = TrainingPlanMessage::encode(buffer.data(), area, data, now, leftOut);
    buffer.resize(size_t(length));
    return buffer;
}

Bytes hex(const char* text)
{
    const QByteArray bytes = QByteArray::fromHex(text);
    return Bytes(bytes.begin(), bytes.end());
}

} // namespace

class TestMessageCodecs : public QObject
{
    Q_OBJECT
private slots:
    void nameIsCutTo59Bytes_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("arrives");
        const QString b58(58, 'b');
        QTest::newRow("58") << b58 << b58;
        QTest::newRow("59") << b58 + "c" << b58 + "c";
        QTest::newRow("60") << b58 + "cd" << b58 + "c";
        QTest::newRow("63") << QString(63, 'x') << QString(59, 'x');
        // A two-byte character across the cut is left out whole.
        QTest::newRow("utf8 at cut") << b58 + QString::fromUtf8("ä") << b58;
        QTest::newRow("utf8 before cut") << QString(57, 'b') + QString::fromUtf8("äz") << QString(57, 'b') + QString::fromUtf8("ä");
    }
    void nameIsCutTo59Bytes()
    {
        QFETCH(QString, name);
        QFETCH(QString, arrives);
        TrainingsData data;
        data.starters.append(TrainingsStarterEntry(1, name));
        const Bytes wire = encodePlan(1, data, 0);
        QCOMPARE(wire[28 + 63], 0);
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(decoded.data.starters.at(0).nameText(), arrives);
    }

    void timesTravelAsTheirLow32Bits()
    {
        TrainingsData data;
        data.start = time_t(0x100000005LL);    // beyond 2106
        data.end = time_t(-1);                 // before 1970
        data.slot = 60;
        data.starters.append(TrainingsStarterEntry(time_t(0x1FFFFFFFFLL), "late"));
        const Bytes wire = encodePlan(1, data, time_t(0x200000007LL));
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(qint64(decoded.data.start), qint64(5));
        QCOMPARE(qint64(decoded.data.end), qint64(0xFFFFFFFFLL));
        QCOMPARE(qint64(decoded.data.starters.at(0).time), qint64(0xFFFFFFFFLL));
        QCOMPARE(qint64(decoded.senderTime), qint64(7));
    }

    void roundTrip()
    {
        const TrainingsData data = samplePlan(15, QString::fromUtf8("Zoë "));
        const Bytes wire = encodePlan(-7, data, 1700000123);
        TrainingPlanMessage decoded;
        QVERIFY(TrainingPlanMessage::decode(wire.data(), int(wire.size()), 0, &decoded));
        QCOMPARE(decoded.area, -7);
        QCOMPARE(qint64(decoded.senderTime), qint64(1700000123));
        QVERIFY(decoded.data == data);
    }

    void entryCountFollowsTheLength_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("entries");
        QTest::newRow("27") << 27 << false << 0;
        QTest::newRow("28") << 28 << true << 0;
        QTest::newRow("91") << 91 << true << 0;
        QTest::newRow("92") << 92 << true << 1;
        QTest::newRow("156") << 156 << true << 2;
        QTest::newRow("988") << 988 << true << 15;
        QTest::newRow("1024") << 1024 << true << 15;
        QTest::newRow("4000") << 4000 << true << 15;
    }
    void entryCountFollowsTheLength()
    {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        QFETCH(int, entries);
        Bytes payload(size_t(std::max(length, 2)), 'n');   // names without any NUL
        payload[0] = 2;
        payload[1] = 9;
        const Bytes before = payload;
        TrainingPlanMessage decoded;
        QCOMPARE(TrainingPlanMessage::decode(payload.data(), length, 0, &decoded), accepted);
        QCOMPARE(payload, before);
        if (!accepted)
            return;
        QCOMPARE(decoded.data.starters.size(), entries);
        for (const TrainingsStarterEntry& entry : decoded.data.starters)
            QCOMPARE(entry.nameText(), QString(60, 'n'));   // read within its field
    }

    void textMessageByteExact()
    {
        Bytes buffer(1024, 0xAA);
        const NetTextMessage message(QTime(13, 7, 59), NetTextMessage::officeNoticeType, "abc");
        const int length = NetTextMessage::encode(buffer.data(), message, QTime(1, 1, 1));
        buffer.resize(size_t(length));
        QCOMPARE(buffer, hex("05030000" "0D073B02" "61626300"));

        const NetTextMessage markup(QTime(23, 59, 0), 7, QString::fromUtf8("Die Sendequeue ist <b>voll</b>! äöü"));
        buffer.assign(1024, 0);
        NetTextMessage decoded;
        QVERIFY(NetTextMessage::decode(buffer.data(), NetTextMessage::encode(buffer.data(), markup, QTime()), &decoded));
        QCOMPARE(decoded.text, markup.text);
        QCOMPARE(decoded.time, markup.time);
        QCOMPARE(decoded.type, 7);
    }

    void textMessageCutTo899Bytes()
    {
        Bytes buffer(1024, 0xAA);
        const NetTextMessage message(QTime(), 1, QString(1000, 'x'));
        const int length = NetTextMessage::encode(buffer.data(), message, QTime(8, 9, 10));
        QCOMPARE(length, 908);
        QCOMPARE(int(buffer[4]), 8);   // an invalid time gives way to the current one
        QCOMPARE(int(buffer[907]), 0);
        NetTextMessage decoded;
        QVERIFY(NetTextMessage::decode(buffer.data(), length, &decoded));
        QCOMPARE(decoded.text, QString(899, 'x'));
        QCOMPARE(decoded.time, QTime(8, 9, 10));
        QCOMPARE(decoded.type, 1);
    }

    void textMessageHostileLengths_data()
    {
        QTest::addColumn<int>("length");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<int>("textLength");
        QTest::newRow("7") << 7 << false << 0;
        QTest::newRow("8") << 8 << true << 0;
        QTest::newRow("9 without NUL") << 9 << true << 1;
        QTest::newRow("1024 without NUL") << 1024 << true << 900;
    }
    void textMessageHostileLengths()
    {
        QFETCH(int, length);
        QFETCH(bool, accepted);
        QFETCH(int, textLength);
        Bytes payload(size_t(std::max(length, 8)), 't');
        payload[4] = 1;
        payload[5] = 2;
        payload[6] = 3;
        NetTextMessage decoded;
        QCOMPARE(NetTextMessage::decode(payload.data(), length, &decoded), accepted);
        if (accepted)
            QCOMPARE(decoded.text.size(), textLength);
    }
};

QTEST_GUILESS_MAIN(TestMessageCodecs)
#include "tst_message_codecs.moc"
