// Byte-exact vectors and hostile input for the training-plan message (2/9) and
// the text message (5/3); the starter record (4/3) and the import of a
// received one.
#include "net/protocol/NetImport.h"
#include "records/ExpandedAthlete.h"
#include "records/Starter_t.h"
#include "net/protocol/NetTextMessage.h"
#include "net/protocol/TrainingPlanMessage.h"
#include "net/protocol/WertungList.h"
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

    void birthDates_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<int>("packed");
        QTest::addColumn<int>("currentYear");
        QTest::addColumn<QDate>("read");
        QTest::newRow("99 in 2025") << QDate(1999, 12, 31) << 99 * 512 + 11 * 32 + 31 << 2025 << QDate(1999, 12, 31);
        QTest::newRow("26 in 2025") << QDate(2026, 1, 1) << 26 * 512 + 1 << 2025 << QDate(1926, 1, 1);
        QTest::newRow("25 in 2025") << QDate(1925, 1, 1) << 25 * 512 + 1 << 2025 << QDate(2025, 1, 1);
        QTest::newRow("none") << QDate() << 0 << 2025 << QDate();
    }
    void birthDates()
    {
        QFETCH(QDate, date);
        QFETCH(int, packed);
        QFETCH(int, currentYear);
        QFETCH(QDate, read);
        NetSprotler_t athlete;
        athlete.birth = NetSprotler_t::packBirthDate(date);
        QCOMPARE(int(athlete.birth), packed);
        QCOMPARE(athlete.birthDate(currentYear), read);
    }

    void rulesYear_data()
    {
        QTest::addColumn<QString>("catalogueDate");
        QTest::addColumn<int>("year");
        QTest::newRow("iso") << "2024-03-01" << 2024;
        QTest::newRow("empty") << "" << 2006;
        QTest::newRow("no date") << "Stand 12" << 2006;
    }
    void rulesYear()
    {
        QFETCH(QString, catalogueDate);
        QFETCH(int, year);
        QCOMPARE(NetStarter_t::rulesYearOf(catalogueDate), year);
    }

    // What the starter record takes of a start entry and its athletes.
    void starterRecordOfAStart()
    {
        Starter_t starter;
        starter.netInfo = 0x10102;
        starter.disci = 2;
        qstrncpy(starter.codes[6], "2107a", 8);
        QList<ExpandedAthlete> athletes{ExpandedAthlete(), ExpandedAthlete()};
        athletes[0].Vorname = "Anna";
        athletes[0].Nachname = QString(40, 'B');   // cut to 31 bytes
        athletes[0].Geburtsdatum = QDate(2007, 3, 15);
        athletes[0].Geschlecht = 2;
        athletes[1].Nation = "AUT";   // the first athlete with a nation gives it
        const NetStarter_t record =
            NetStarter_t::fromStarter(starter, athletes, "RV Zell", "Berg/Kurz", "BDR", 2024, NetStarter_t::Team);
        Bytes wire(NetStarter_t::Size, 0xAA);
        record.write(wire.data());
        const QByteArray hex = QByteArray(reinterpret_cast<const char*>(wire.data()), int(wire.size())).toHex();
        QCOMPARE(hex.mid(0, 16), QByteArray("RV Zell").toHex() + "00");
        QCOMPARE(hex.mid(2 * 64, 16), QByteArray("0e4f0200") + QByteArray("Anna").toHex());   // 2007-03-15
        QCOMPARE(hex.mid(2 * 100, 64), QByteArray(31, 'B').toHex() + "00");   // cut to 31 bytes
        QCOMPARE(hex.mid(2 * 132, 2 * 340), QByteArray(2 * 340, '0'));        // athletes 2 to 6 unused
        QCOMPARE(hex.mid(2 * 472, 4 * 2), QByteArray("00020003"));
        QCOMPARE(hex.mid(2 * 508, 16), QByteArray("415554000102") + "07e8");  // AUT, number, rules year
        QCOMPARE(hex.mid(2 * (516 + 6 * 8), 16), QByteArray("2107a").toHex() + "000000");
    }

    void importWithoutRecordOrClub()
    {
        NetImport none;
        WertungList scores;
        QVERIFY(!none.run() && !none.getEntries(scores) && scores.autoDelete);
        QCOMPARE(QList<int>({none.getYear(), none.getNumber(), none.fromNetwork}), QList<int>({2006, -1, 1}));
        NetStarter_t record;
        qstrncpy(record.athletes[0].firstName, "Anna", NetSprotler_t::NameSize);
        qstrncpy(record.athletes[0].lastName, "Berg", NetSprotler_t::NameSize);
        NetImport import(&record);
        QVERIFY(import.readAthletes());   // called without its clubs
        QCOMPARE(import.athletes.at(0).Verein, 0);
    }
};

QTEST_GUILESS_MAIN(TestMessageCodecs)
#include "tst_message_codecs.moc"
