// The conversion helpers and the SQL literal writer, case by case.
#include "db/Conversions.h"
#include "db/SqlLiteral.h"
#include "tests/support/DebugCapture.h"

#include <QtTest>

#include <climits>
#include <cstring>
#include <memory>

class TestConversions : public QObject
{
    Q_OBJECT
private slots:
    void toCStringWritesWholeCharacters_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("size");
        QTest::addColumn<QByteArray>("written");   // bytes up to and including the NUL

        QTest::newRow("fits") << "abc" << 10 << QByteArray("abc", 4);
        QTest::newRow("cut ascii") << "abcdef" << 4 << QByteArray("abc", 4);
        QTest::newRow("size one") << "abc" << 1 << QByteArray("", 1);
        QTest::newRow("two-byte cut") << QString::fromUtf8("a\xc3\xa4") << 3 << QByteArray("a", 2);
        QTest::newRow("three-byte cut after 2") << QString::fromUtf8("\xe2\x82\xac") << 3 << QByteArray("", 1);
        QTest::newRow("four-byte cut") << QString::fromUtf8("x\xf0\x9f\x98\x80") << 5 << QByteArray("x", 2);
        QTest::newRow("four-byte fits")
            << QString::fromUtf8("x\xf0\x9f\x98\x80") << 6 << QByteArray("x\xf0\x9f\x98\x80", 6);
    }

    void toCStringWritesWholeCharacters()
    {
        QFETCH(QString, text);
        QFETCH(int, size);
        QFETCH(QByteArray, written);

        char buffer[16];
        memset(buffer, 'X', sizeof buffer);
        QCOMPARE(toCString(buffer, text, size), buffer);
        QCOMPARE(QByteArray(buffer, written.size()), written);
        for (int i = written.size(); i < int(sizeof buffer); ++i)
            QCOMPARE(buffer[i], 'X');
    }

    void fromCStringValidatesUtf8_data()
    {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("expected");

        const QString muller = QString::fromUtf8("M\xc3\xbcller");
        QTest::newRow("ascii") << QByteArray("Meier") << "Meier";
        QTest::newRow("utf-8") << QByteArray("M\xc3\xbcller") << muller;
        QTest::newRow("latin-1") << QByteArray("M\xfcller") << muller;
        QTest::newRow("four-byte") << QByteArray("\xf0\x9f\x98\x80") << QString::fromUtf8("\xf0\x9f\x98\x80");
        // Everything that is not strict UTF-8 is read as Latin-1.
        for (const char* bad : {"\xc0\xaf", "\xed\xa0\x80", "\xf4\x90\x80\x80", "a\x80", "ab\xc3"})
            QTest::addRow("bad %s", QByteArray(bad).toHex().constData()) << QByteArray(bad) << QString::fromLatin1(bad);
        QTest::newRow("empty") << QByteArray("") << "";
    }

    void fromCStringValidatesUtf8()
    {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);

        QString out = "old";
        QCOMPARE(fromCString(out, bytes.constData()), expected);
        QCOMPARE(out, expected);

        // With an exact length and no NUL behind it (ASan checks the reads).
        std::unique_ptr<char[]> exact(new char[size_t(bytes.size()) + 1]);
        memcpy(exact.get(), bytes.constData(), size_t(bytes.size()));
        QCOMPARE(fromCString(out, exact.get(), bytes.size()), expected);
    }

    void cStringBounds()
    {
        char buffer[4] = {'X', 'X', 'X', 'X'};
        toCString(buffer, "abc", 0);
        toCString(buffer, "abc", -5);
        QCOMPARE(QByteArray(buffer, 4), QByteArray("XXXX"));
        QCOMPARE(toCString(nullptr, "abc", 4), static_cast<char*>(nullptr));

        QString out;
        QCOMPARE(fromCString(out, "abcdef", 3), QString("abc"));
        QCOMPARE(fromCString(out, "ab\0cd", 5), QString("ab"));
        QCOMPARE(fromCString(out, "abc", 0), QString(""));
        QCOMPARE(fromCString(out, "\xc3\xa4", 1), QString::fromLatin1("\xc3"));
        QCOMPARE(fromCString(out, nullptr), QString());
        QVERIFY(fromCString(out, nullptr, 5).isEmpty());
        // A buffer with no NUL at all: only len bytes may be read.
        std::unique_ptr<char[]> raw(new char[4]);
        memcpy(raw.get(), "w\xc3\xa4x", 4);
        QCOMPARE(fromCString(out, raw.get(), 4), QString::fromUtf8("w\xc3\xa4x"));
    }

    void toIntReadsLikeAtoi_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("value");
        QTest::addColumn<qint64>("value64");

        const qint64 max64 = std::numeric_limits<qint64>::max();
        QTest::newRow("plain") << "42" << 42 << qint64(42);
        QTest::newRow("sign and tail") << "  -7x" << -7 << qint64(-7);
        QTest::newRow("none") << "abc" << 0 << qint64(0);
        QTest::newRow("too big") << "99999999999" << INT_MAX << qint64(99999999999);
        QTest::newRow("past 2038 in seconds") << "2209032000" << INT_MAX << qint64(2209032000);
        QTest::newRow("64-bit max") << "9223372036854775807" << INT_MAX << max64;
        QTest::newRow("beyond 64 bits") << "18446744073709551617" << INT_MAX << max64;
        QTest::newRow("digit at byte 256") << QString(255, ' ') + "7" << 0 << qint64(0);
        QTest::newRow("digits cut at 255") << QString(253, ' ') + "123" << 12 << qint64(12);
    }

    void toIntReadsLikeAtoi()
    {
        QFETCH(QString, text);
        QFETCH(int, value);
        QFETCH(qint64, value64);
        QCOMPARE(toInt(text), value);
        QCOMPARE(toInt64(text), value64);
    }

    void cleanSqlTextInAllForms_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QByteArray>("clean");

        QTest::newRow("untouched") << QByteArray("Meier, Hans") << QByteArray("Meier, Hans");
        QTest::newRow("all four") << QByteArray("say \"hi\" a\\b A & B;") << QByteArray("say 'hi' a/b A + B,");
        QTest::newRow("empty") << QByteArray("") << QByteArray("");
    }

    void cleanSqlTextInAllForms()
    {
        QFETCH(QByteArray, text);
        QFETCH(QByteArray, clean);

        QCOMPARE(cleanSqlText(QString::fromUtf8(text)), QString::fromUtf8(clean));
        QCOMPARE(cleanSqlText(text.constData()), QString::fromUtf8(clean));
        QByteArray inPlace = text;
        cleanSqlText(inPlace.data());
        QCOMPARE(inPlace, clean);
    }

    void base64RoundTrip_data()
    {
        QTest::addColumn<QByteArray>("data");

        QByteArray noise(100000, '\0');
        quint32 x = 12345;
        for (char& c : noise) {
            x = x * 1103515245u + 12345u;
            c = char(x >> 24);
        }
        QTest::newRow("text") << QByteArray("Hallo Welt");
        QTest::newRow("repetitive") << QByteArray(50000, 'a');
        QTest::newRow("noise") << noise;
    }

    void base64RoundTrip()
    {
        QFETCH(QByteArray, data);
        const QString text = compressToBase64(data);
        QVERIFY(!text.isEmpty());
        QCOMPARE(QByteArray::fromBase64(text.toLatin1()).toBase64(), text.toLatin1());
        QCOMPARE(uncompressFromBase64(text), data);
    }

    void base64RejectsBadInput_data()
    {
        QTest::addColumn<QString>("text");

        QTest::newRow("empty") << QString();
        QTest::newRow("not base64") << "!!!!";
        QTest::newRow("short") << QString::fromLatin1(QByteArray("ab").toBase64());
        QTest::newRow("not zlib") << QString::fromLatin1(QByteArray("\x00\x00\x00\x10garbagegarbage", 18).toBase64());
        // A header that claims 2 GB for a few bytes of stream.
        QTest::newRow("forged size") << QString::fromLatin1(QByteArray("\x7f\xff\xff\xf0\x78\x9c\x03\x00", 8).toBase64());
        // An honest blob within zlib's ratio, but far beyond any logo.
        QByteArray bits(17 * 1024 * 1024, '0');
        quint32 x = 7;
        for (char& c : bits)
            c = char('0' + ((x = x * 1103515245u + 12345u) >> 31));
        QTest::newRow("beyond 16 MB") << compressToBase64(bits);
    }

    void base64RejectsBadInput()
    {
        QFETCH(QString, text);
        QVERIFY(uncompressFromBase64(text).isEmpty());
    }

    void datesAndSeconds_data()
    {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<qint64>("seconds");
        QTest::addColumn<bool>("both");   // false: only seconds -> date holds

        QTest::newRow("null") << QDate() << qint64(0) << true;
        QTest::newRow("next day") << QDate(1970, 1, 2) << qint64(86400 + 43200) << true;
        QTest::newRow("2000") << QDate(2000, 1, 1) << qint64(10957) * 86400 + 43200 << true;
        QTest::newRow("one second") << QDate(1970, 1, 1) << qint64(1) << false;
        QTest::newRow("evening of day 1") << QDate(1970, 1, 2) << qint64(129600 + 40000) << false;
        QTest::newRow("minimum") << QDate() << std::numeric_limits<qint64>::min() << false;
    }

    void datesAndSeconds()
    {
        QFETCH(QDate, date);
        QFETCH(qint64, seconds);
        QFETCH(bool, both);
        QCOMPARE(::secondsToDate(seconds), date);
        if (both)
            QCOMPARE(::dateToSeconds(date), seconds);
        QCOMPARE(::dateToSeconds(QDate(1970, 1, 1)), qint64(0));
    }

    void parseDate_data()
    {
        QTest::addColumn<QByteArray>("text");
        QTest::addColumn<QDate>("date");

        QTest::newRow("dots") << QByteArray("24.12.2003") << QDate(2003, 12, 24);
        QTest::newRow("dashes") << QByteArray("24-12-2003") << QDate(2003, 12, 24);
        QTest::newRow("year first") << QByteArray("2003-12-24") << QDate(2003, 12, 24);
        QTest::newRow("32 is a year") << QByteArray("32.1.5") << QDate(32, 1, 5);
        QTest::newRow("digits") << QByteArray("20031224") << QDate(2003, 12, 24);
        QTest::newRow("trailing time") << QByteArray("5.6.2007 12:00") << QDate(2007, 6, 5);
        QTest::newRow("two numbers") << QByteArray("24.12") << QDate();
        QTest::newRow("no day") << QByteArray("31.02.2003") << QDate();
        QTest::newRow("empty") << QByteArray("") << QDate();
        QTest::newRow("huge") << QByteArray("99999999999999999999999.1.1") << QDate();
        QTest::newRow("leading zeros") << QByteArray("0000000000000000000024.12.2003") << QDate(2003, 12, 24);
    }

    void parseDate()
    {
        QFETCH(QByteArray, text);
        QFETCH(QDate, date);
        QCOMPARE(::parseDate(text.constData()), date);
        QVERIFY(::parseDate(nullptr).isNull());
    }

    void sexCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("sex");

        QTest::newRow("m") << "m" << 1;
        QTest::newRow("Männlich") << QString::fromUtf8(" M\xc3\xa4nnlich") << 1;
        QTest::newRow("w") << "w" << 2;
        QTest::newRow("female") << "female" << 2;
        QTest::newRow("other") << "x" << 0;
    }

    void sexCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, sex);
        QCOMPARE(sexFromText(text), sex);
        QCOMPARE(sexToChar(sex), "?mw"[sex]);
        QCOMPARE(sexToChar(3), '?');
        QCOMPARE(sexToChar(-1), '?');
    }

    void akAndDisziCodes_data()
    {
        QTest::addColumn<int>("code");
        QTest::addColumn<char>("character");
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("parsed");

        QTest::newRow("0") << 0 << '0' << "0" << 0;
        QTest::newRow("4") << 4 << '4' << " 4 " << 4;
        QTest::newRow("7") << 7 << '7' << "7x" << 7;
        QTest::newRow("8") << 8 << '0' << "8" << 0;
        QTest::newRow("letters") << 100 << '0' << "abc" << 0;
    }

    void akAndDisziCodes()
    {
        QFETCH(int, code);
        QFETCH(char, character);
        QFETCH(QString, text);
        QFETCH(int, parsed);
        QCOMPARE(akToChar(code), character);
        QCOMPARE(disziToChar(code), character);
        QCOMPARE(akFromString(text), parsed);
        QCOMPARE(disziFromString(text), parsed);
    }

    void disziFromExerciseNumber_data()
    {
        QTest::addColumn<QByteArray>("code");
        QTest::addColumn<int>("diszi");

        QTest::newRow("1001") << QByteArray("1001") << 1;
        QTest::newRow("999") << QByteArray("999") << 0;
        QTest::newRow("8000") << QByteArray("8000") << 0;
        QTest::newRow("with tail") << QByteArray("3105a") << 3;
        QTest::newRow("huge") << QByteArray("99999999999999") << 0;
    }

    void disziFromExerciseNumber()
    {
        QFETCH(QByteArray, code);
        QFETCH(int, diszi);
        QCOMPARE(::disziFromExerciseNumber(code.constData()), diszi);
        QCOMPARE(::disziFromExerciseNumber(nullptr), 0);
    }

    void categoriesRoundTrip()
    {
        QCOMPARE(packCategory(4, 2, 3), 115);
        for (int diszi = 1; diszi <= 7; ++diszi)
            for (int sex = 1; sex <= 2; ++sex)
                for (int ak = 1; ak <= 7; ++ak) {
                    int d = -1, s = -1, a = -1;
                    QVERIFY(unpackCategory(&d, &s, &a, packCategory(diszi, sex, ak)));
                    QCOMPARE(QVector<int>({d, s, a}), QVector<int>({diszi, sex, ak}));
                }
    }

    void unpackCategoryRejectsOutOfRange_data()
    {
        QTest::addColumn<int>("category");
        QTest::addColumn<QVector<int>>("parts");   // diszi, sex, ak as left behind

        QTest::newRow("zero") << 0 << QVector<int>{0, 0, 0};
        QTest::newRow("diszi 8") << 201 << QVector<int>{0, 1, 1};
        QTest::newRow("ak 0") << 64 << QVector<int>{2, 2, 0};
        QTest::newRow("negative") << -1 << QVector<int>{0, 0, 0};
        QTest::newRow("int max") << INT_MAX << QVector<int>{0, 0, 7};
    }

    void unpackCategoryRejectsOutOfRange()
    {
        QFETCH(int, category);
        QFETCH(QVector<int>, parts);
        int d = -1, s = -1, a = -1;
        QVERIFY(!unpackCategory(&d, &s, &a, category));
        QCOMPARE(QVector<int>({d, s, a}), parts);
    }

    void pointsAndMinutesTexts_data()
    {
        QTest::addColumn<int>("value");
        QTest::addColumn<QByteArray>("points");
        QTest::addColumn<QByteArray>("minutes");

        QTest::newRow("0") << 0 << QByteArray("0,00") << QByteArray("");
        QTest::newRow("1") << 1 << QByteArray("0,01") << QByteArray("0:01");
        QTest::newRow("-5") << -5 << QByteArray("-0,05") << QByteArray("");
        QTest::newRow("-105") << -105 << QByteArray("-1,05") << QByteArray("");
        QTest::newRow("12345") << 12345 << QByteArray("123,45") << QByteArray("205:45");
        QTest::newRow("int max") << INT_MAX << QByteArray("21474836,47") << QByteArray("35791394:07");
        QTest::newRow("int min") << INT_MIN << QByteArray("-21474836,48") << QByteArray("");
    }

    void pointsAndMinutesTexts()
    {
        QFETCH(int, value);
        QFETCH(QByteArray, points);
        QFETCH(QByteArray, minutes);
        QCOMPARE(QByteArray(::pointsText(value)), points);
        QCOMPARE(QByteArray(::minutesText(value)), minutes);
    }

    void parsePoints_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("hundredths");

        QTest::newRow("comma") << "12,5" << 1250;
        QTest::newRow("dot") << "12.05" << 1205;
        QTest::newRow("negative") << "-0,05" << -5;
        QTest::newRow("largest") << "999,99" << 99999;
        QTest::newRow("too large") << "1000" << 0;
        QTest::newRow("three decimals") << "1,234" << 0;
        QTest::newRow("huge") << "99999999999999999999999" << 0;
        QTest::newRow("leading zeros") << "0000000000000000000012,5" << 1250;
        QTest::newRow("tail") << "12,5x" << 0;
    }

    void parsePoints()
    {
        QFETCH(QString, text);
        QFETCH(int, hundredths);
        QCOMPARE(::parsePoints(text), hundredths);
        if (hundredths != 0)
            QCOMPARE(::parsePoints(QString::fromLatin1(::pointsText(hundredths))), hundredths);
    }

    void sqlTextQuotes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("literal");

        QTest::newRow("plain") << "abc" << "'abc'";
        QTest::newRow("empty") << "" << "''";
        QTest::newRow("apostrophe") << "O'Neil" << "'O''Neil'";
        QTest::newRow("double quote kept") << "a\"b" << "'a\"b'";
    }

    void sqlTextQuotes()
    {
        QFETCH(QString, text);
        QFETCH(QString, literal);
        QCOMPARE(sqlText(text), literal);
    }
};

QTEST_GUILESS_MAIN(TestConversions)
#include "tst_conversions.moc"
