// The conversion helpers and the SQL literal writer: one table of texts read,
// one of values written, and the C strings, blobs, dates and categories.
#include "db/Conversions.h"
#include "db/SqlLiteral.h"

#include <QtTest>

#include <climits>
#include <cstring>
#include <memory>

namespace {

// Each helper that reads a text, with its result as a text.
QString read(const QByteArray& helper, const QByteArray& in)
{
    const QString text = QString::fromUtf8(in);
    QString out = "old";
    if (helper == "toInt") return QString::number(toInt(text));
    if (helper == "toInt64") return QString::number(toInt64(text));
    if (helper == "date") return parseDate(in.constData()).toString(Qt::ISODate);
    if (helper == "sex") return QString::number(sexFromText(text));
    if (helper == "ak") return QString::number(akFromString(text));
    if (helper == "diszi") return QString::number(disziFromString(text));
    if (helper == "exercise") return QString::number(disziFromExerciseNumber(in.constData()));
    if (helper == "points") return QString::number(parsePoints(text));
    if (helper == "sqlText") return sqlText(text);
    if (helper == "fromCString") return fromCString(out, in.constData());
    return QString();
}

// Each helper that writes a value as a text.
QByteArray write(const QByteArray& helper, int value)
{
    if (helper == "points") return pointsText(value);
    if (helper == "minutes") return minutesText(value);
    if (helper == "sex") return QByteArray(1, sexToChar(value));
    if (helper == "ak") return QByteArray(1, akToChar(value));
    return QByteArray(1, disziToChar(value));
}

QByteArray noise(int size, quint32 seed)
{
    QByteArray bytes(size, '\0');
    for (char& c : bytes)
        c = char((seed = seed * 1103515245u + 12345u) >> 24);
    return bytes;
}

} // namespace

class TestConversions : public QObject
{
    Q_OBJECT
private slots:
    void reads_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<QByteArray>("in");
        QTest::addColumn<QString>("out");

        const QString max64 = QString::number(std::numeric_limits<qint64>::max());
        QTest::newRow("int sign and tail") << QByteArray("toInt") << QByteArray("  -7x") << "-7";
        QTest::newRow("int too big") << QByteArray("toInt") << QByteArray("99999999999") << QString::number(INT_MAX);
        QTest::newRow("int64 past 2038") << QByteArray("toInt64") << QByteArray("2209032000") << "2209032000";
        QTest::newRow("int64 beyond") << QByteArray("toInt64") << QByteArray("18446744073709551617") << max64;
        QTest::newRow("int digit at byte 256") << QByteArray("toInt") << QByteArray(255, ' ') + "7" << "0";
        QTest::newRow("int64 cut at 255") << QByteArray("toInt64") << QByteArray(253, ' ') + "123" << "12";
        QTest::newRow("date dots") << QByteArray("date") << QByteArray("24.12.2003") << "2003-12-24";
        QTest::newRow("date year first") << QByteArray("date") << QByteArray("2003-12-24") << "2003-12-24";
        QTest::newRow("date 32 is a year") << QByteArray("date") << QByteArray("32.1.5") << "0032-01-05";
        QTest::newRow("date digits") << QByteArray("date") << QByteArray("20031224") << "2003-12-24";
        QTest::newRow("date with time") << QByteArray("date") << QByteArray("5.6.2007 12:00") << "2007-06-05";
        QTest::newRow("date two numbers") << QByteArray("date") << QByteArray("24.12 2003") << "";
        QTest::newRow("date no day") << QByteArray("date") << QByteArray("31.02.2003") << "";
        QTest::newRow("date huge") << QByteArray("date") << QByteArray("99999999999999999999999.1.1") << "";
        QTest::newRow("date zeros") << QByteArray("date") << QByteArray("0000000000000000000024.12.2003") << "2003-12-24";
        QTest::newRow("sex Maennlich") << QByteArray("sex") << QByteArray(" M\xc3\xa4nnlich") << "1";
        QTest::newRow("sex female") << QByteArray("sex") << QByteArray("female") << "2";
        QTest::newRow("sex w") << QByteArray("sex") << QByteArray("w") << "2";
        QTest::newRow("sex other") << QByteArray("sex") << QByteArray("x") << "0";
        QTest::newRow("ak 7") << QByteArray("ak") << QByteArray(" 7x") << "7";
        QTest::newRow("ak 8") << QByteArray("ak") << QByteArray("8") << "0";
        QTest::newRow("diszi 7") << QByteArray("diszi") << QByteArray("7") << "7";
        QTest::newRow("diszi 8") << QByteArray("diszi") << QByteArray("8") << "0";
        QTest::newRow("exercise 1001") << QByteArray("exercise") << QByteArray("1001") << "1";
        QTest::newRow("exercise 999") << QByteArray("exercise") << QByteArray("999") << "0";
        QTest::newRow("exercise 3105a") << QByteArray("exercise") << QByteArray("3105a") << "3";
        QTest::newRow("exercise 8000") << QByteArray("exercise") << QByteArray("8000") << "0";
        QTest::newRow("exercise huge") << QByteArray("exercise") << QByteArray("99999999999999") << "0";
        QTest::newRow("points comma") << QByteArray("points") << QByteArray("12,5") << "1250";
        QTest::newRow("points dot") << QByteArray("points") << QByteArray("-0.05") << "-5";
        QTest::newRow("points largest") << QByteArray("points") << QByteArray("999,99") << "99999";
        QTest::newRow("points too large") << QByteArray("points") << QByteArray("1000") << "0";
        QTest::newRow("points 3 decimals") << QByteArray("points") << QByteArray("1,234") << "0";
        QTest::newRow("points huge") << QByteArray("points") << QByteArray("99999999999999999999999") << "0";
        QTest::newRow("points zeros") << QByteArray("points") << QByteArray("0000000000000000000012,5") << "1250";
        QTest::newRow("points tail") << QByteArray("points") << QByteArray("12,5x") << "0";
        QTest::newRow("sqlText") << QByteArray("sqlText") << QByteArray("O'Neil \"x\"") << "'O''Neil \"x\"'";
        QTest::newRow("sqlText empty") << QByteArray("sqlText") << QByteArray() << "''";
        QTest::newRow("utf-8") << QByteArray("fromCString") << QByteArray("M\xc3\xbcller") << "Müller";
        QTest::newRow("latin-1") << QByteArray("fromCString") << QByteArray("M\xfcller") << "Müller";
        QTest::newRow("four-byte") << QByteArray("fromCString") << QByteArray("\xf0\x9f\x98\x80") << "😀";
        // Everything that is not strict UTF-8 is read as Latin-1.
        for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80", "ab\xc3"})
            QTest::addRow("bad %s", QByteArray(bad).toHex().constData())
                << QByteArray("fromCString") << QByteArray(bad) << QString::fromLatin1(bad);
    }

    void reads()
    {
        QFETCH(QByteArray, helper);
        QFETCH(QByteArray, in);
        QFETCH(QString, out);
        QCOMPARE(read(helper, in), out);
        if (helper == "fromCString") {
            // With an exact length and no NUL behind it (ASan checks the reads).
            std::unique_ptr<char[]> exact(new char[size_t(in.size())]);
            memcpy(exact.get(), in.constData(), size_t(in.size()));
            QString text;
            QCOMPARE(fromCString(text, exact.get(), in.size()), out);
        }
    }

    void writes_data()
    {
        QTest::addColumn<QByteArray>("helper");
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("text");

        QTest::newRow("points 1") << QByteArray("points") << 1 << QByteArray("0,01");
        QTest::newRow("points -5") << QByteArray("points") << -5 << QByteArray("-0,05");
        QTest::newRow("points -105") << QByteArray("points") << -105 << QByteArray("-1,05");
        QTest::newRow("points max") << QByteArray("points") << INT_MAX << QByteArray("21474836,47");
        QTest::newRow("points min") << QByteArray("points") << INT_MIN << QByteArray("-21474836,48");
        QTest::newRow("minutes 0") << QByteArray("minutes") << 0 << QByteArray("");
        QTest::newRow("minutes 1") << QByteArray("minutes") << 1 << QByteArray("0:01");
        QTest::newRow("minutes -5") << QByteArray("minutes") << -5 << QByteArray("");
        QTest::newRow("minutes max") << QByteArray("minutes") << INT_MAX << QByteArray("35791394:07");
        QTest::newRow("sex 2") << QByteArray("sex") << 2 << QByteArray("w");
        QTest::newRow("sex 3") << QByteArray("sex") << 3 << QByteArray("?");
        QTest::newRow("sex -1") << QByteArray("sex") << -1 << QByteArray("?");
        QTest::newRow("ak 7") << QByteArray("ak") << 7 << QByteArray("7");
        QTest::newRow("ak 8") << QByteArray("ak") << 8 << QByteArray("0");
        QTest::newRow("diszi 7") << QByteArray("diszi") << 7 << QByteArray("7");
        QTest::newRow("diszi 8") << QByteArray("diszi") << 8 << QByteArray("0");
        QTest::newRow("diszi -1") << QByteArray("diszi") << -1 << QByteArray("0");
    }

    void writes()
    {
        QFETCH(QByteArray, helper);
        QFETCH(int, value);
        QFETCH(QByteArray, text);
        QCOMPARE(write(helper, value), text);
    }

    void cStrings()
    {
        // Only whole characters, always NUL-ended, nothing past the size.
        const QString text = QString::fromUtf8("a\xc3\xa4\xf0\x9f\x98\x80");   // 1 + 2 + 4 bytes
        for (const auto& [size, written] : {std::pair<int, QByteArray>{1, QByteArray("", 1)}, {3, QByteArray("a", 2)},
                                            {4, QByteArray("a\xc3\xa4", 4)}, {7, QByteArray("a\xc3\xa4", 4)},
                                            {8, QByteArray("a\xc3\xa4\xf0\x9f\x98\x80", 8)}}) {
            char buffer[10];
            memset(buffer, 'X', sizeof buffer);
            QCOMPARE(toCString(buffer, text, size), buffer);
            QCOMPARE(QByteArray(buffer, 10), written + QByteArray(10 - written.size(), 'X'));
        }
        char buffer[4] = {'X', 'X', 'X', 'X'};
        toCString(buffer, "abc", 0);
        QCOMPARE(QByteArray(buffer, 4), QByteArray("XXXX"));
        QCOMPARE(toCString(nullptr, "abc", 4), static_cast<char*>(nullptr));

        QString out;
        QCOMPARE(fromCString(out, "ab\0cd", 5), QString("ab"));
        QCOMPARE(fromCString(out, "\xc3\xa4", 1), QString::fromLatin1("\xc3"));
        QCOMPARE(fromCString(out, nullptr), QString());
        QVERIFY(parseDate(nullptr).isNull() && disziFromExerciseNumber(nullptr) == 0);

        QByteArray inPlace("say \"hi\" a\\b A & B;");
        const QByteArray clean("say 'hi' a/b A + B,");
        QCOMPARE(cleanSqlText(QString::fromLatin1(inPlace)), QString::fromLatin1(clean));
        QCOMPARE(cleanSqlText(inPlace.constData()), QString::fromLatin1(clean));
        cleanSqlText(inPlace.data());
        QCOMPARE(inPlace, clean);
    }

    void base64_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QByteArray>("data");   // empty: refused

        for (const QByteArray& data : {QByteArray(50000, 'a'), noise(100000, 12345)})
            QTest::addRow("round trip %d", data.size()) << compressToBase64(data) << data;
        QTest::newRow("not base64") << "!!!!" << QByteArray();
        QTest::newRow("short") << QString::fromLatin1(QByteArray("ab").toBase64()) << QByteArray();
        QTest::newRow("not zlib") << QString::fromLatin1(QByteArray("\0\0\0\x10garbagegarbage", 18).toBase64())
                                  << QByteArray();
        // A header that claims 2 GB for a few bytes of stream.
        QTest::newRow("forged size") << QString::fromLatin1(QByteArray("\x7f\xff\xff\xf0\x78\x9c\x03\x00", 8).toBase64())
                                     << QByteArray();
        // An honest blob within zlib's ratio, but far beyond any logo.
        QByteArray bits = noise(17 * 1024 * 1024, 7);
        for (char& c : bits)
            c = char('0' + (c & 1));
        QTest::newRow("beyond 16 MB") << compressToBase64(bits) << QByteArray();
    }

    void base64()
    {
        QFETCH(QString, text);
        QFETCH(QByteArray, data);
        QCOMPARE(uncompressFromBase64(text), data);
        if (!data.isEmpty())
            QCOMPARE(QByteArray::fromBase64(text.toLatin1()).toBase64(), text.toLatin1());
    }

    void datesAndCategories()
    {
        QCOMPARE(dateToSeconds(QDate()), qint64(0));
        QCOMPARE(dateToSeconds(QDate(2000, 1, 1)), qint64(10957) * 86400 + 43200);
        QCOMPARE(secondsToDate(qint64(10957) * 86400 + 43200), QDate(2000, 1, 1));
        QCOMPARE(secondsToDate(129600 + 40000), QDate(1970, 1, 2));
        QCOMPARE(secondsToDate(1), QDate(1970, 1, 1));
        QCOMPARE(secondsToDate(0), QDate());
        QCOMPARE(secondsToDate(std::numeric_limits<qint64>::min()), QDate());

        QCOMPARE(packCategory(4, 2, 3), 115);
        for (int diszi = 1; diszi <= 7; ++diszi)
            for (int sex = 1; sex <= 2; ++sex)
                for (int ak = 1; ak <= 7; ++ak) {
                    int d = -1, s = -1, a = -1;
                    QVERIFY(unpackCategory(&d, &s, &a, packCategory(diszi, sex, ak)));
                    QCOMPARE(QVector<int>({d, s, a}), QVector<int>({diszi, sex, ak}));
                }
        // Out of range: refused, with what was read so far left behind.
        for (const auto& [category, parts] : {std::pair<int, QVector<int>>{0, {0, 0, 0}}, {201, {0, 1, 1}},
                                              {64, {2, 2, 0}}, {-1, {0, 0, 0}}, {INT_MAX, {0, 0, 7}}}) {
            int d = -1, s = -1, a = -1;
            QVERIFY(!unpackCategory(&d, &s, &a, category));
            QCOMPARE(QVector<int>({d, s, a}), parts);
        }
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
