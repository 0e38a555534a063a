// Exercise codes and the exercise list: which texts are codes, how a list keeps
// one discipline, and the checksum vectors printed on score sheets.
#include "records/FigureList.h"
#include "tests/support/DebugCapture.h"

#include <QtTest>

class TestFigure : public QObject
{
    Q_OBJECT

private slots:
    void validCodes_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("number");   // 0: not a code
        const int accepted[] = { 1101, 7999, 4123, 2101, 5000, 6999, 2202, 1000 };
        const char* const letters[] = { "a", "z", "ba", "b", "aa", "y", "aa", "a" };
        const QStringList rejected = {
            "", "1101A", "3101a", "0101a", "8101a", "9101a", "1101", "1101ab", "11010a",
            " 1101a", "1101a ", "1101aaa", "1101aA", "110a", "1101\xc3\xa4", "1101a{,1}",
            "a1101", "1101-a", "\xd9\xa1\xd9\xa1\xd9\xa0\xd9\xa1" "a",
        };
        for (int i = 0; i < 8; ++i) {
            const QString t = QString::number(accepted[i]) + letters[i];
            QTest::newRow(qPrintable("accept " + t)) << t << accepted[i];
        }
        for (const QString& t : rejected)
            QTest::newRow(qPrintable("reject '" + t + "'")) << t << 0;
    }

    void validCodes()
    {
        QFETCH(QString, text);
        QFETCH(int, number);
        const bool valid = number != 0;
        QCOMPARE(Figure::isValidCode(text), valid);
        const Figure code(text);
        QCOMPARE(code.isValid(), valid);
        QCOMPARE(code.text(), valid ? text : QString());
        QCOMPARE(code.number(), number);
        QCOMPARE(code.disci(), number / 1000);
    }

    void assignmentKeepsOnlyCodes()
    {
        Figure code(QStringLiteral("1101a"));
        code = QStringLiteral("1101A");
        QVERIFY(!code.isValid() && code == QString());
        code = QStringLiteral("4123b");
        QVERIFY(code == QStringLiteral("4123b") && !(code == QStringLiteral("4123B")) && code == Figure(QStringLiteral("4123b")));
    }

    void outsideTheList()
    {
        FigureList list;
        QVERIFY(list.setFigure(29, QStringLiteral("1101a")));
        QVERIFY(!list.set(30, Figure(QStringLiteral("1102a"))) && !list.set(-1, Figure(QStringLiteral("1102a"))));
        DebugCapture capture;
        QVERIFY(!list.at(30).isValid() && !list.at(-1).isValid());
        QVERIFY(capture.contains(QStringLiteral("return Null figure")));
        for (int i = 0; i < 29; ++i)
            QVERIFY(!list.at(i).isValid());
        QCOMPARE(QString::number(list.disci) + list.at(29).text(), QStringLiteral("11101a"));
    }

    // Each step: position, text, the result of setFigure, the discipline after.
    void setKeepsOneDiscipline()
    {
        FigureList list;
        QVERIFY(list.isEmpty());
        const struct { int at; const char* text; bool ok; int disci; } steps[] = {
            { 3, "", true, 0 }, { 4, "1101A", true, 0 },   // no change of discipline on an empty list
            { 3, "1101a", true, 1 },
            { 3, "2101a", false, 0 },   // another discipline on the only code's position empties the list
            { 0, "1101a", true, 1 }, { 3, "1101A", false, 1 }, { 0, "", false, 0 },
            { 5, "2101a", true, 2 }, { 1, "2102b", true, 2 }, { 5, "", false, 2 }, { 1, "nonsense", false, 0 },
            { 7, "6101a", true, 6 }, { 2, "6102a", true, 6 },
        };
        for (const auto& step : steps) {
            QCOMPARE(list.setFigure(step.at, QString::fromLatin1(step.text)), step.ok);
            QCOMPARE(list.disci, step.disci);
        }
        QVERIFY(list.isEmpty() == false && list.fits(Figure(QStringLiteral("6999z"))) && !list.fits(Figure(QStringLiteral("2101a"))));
        list.clear();
        QVERIFY(list.disci == 0 && !list.at(2).isValid() && !list.at(7).isValid());
    }

    void checksum_data()
    {
        QTest::addColumn<QStringList>("codes");  // position i holds codes[i]; "" leaves it empty
        QTest::addColumn<quint32>("crc");
        QTest::newRow("empty list") << QStringList() << quint32(0);
        QTest::newRow("1101a first") << QStringList{ "1101a" } << quint32(0x4D4A03F6);
        QTest::newRow("1101a last") << (QStringList() << QVector<QString>(29).toList() << "1101a") << quint32(0x4D4A03F6);
        QTest::newRow("1101aa") << QStringList{ "", "", "1101aa" } << quint32(0x58E82976);
        QTest::newRow("2101b before 2202aa") << QStringList{ "2101b", "", "2202aa" } << quint32(0x788AA7C8);
        QTest::newRow("2202aa before 2101b") << QStringList{ "2202aa", "2101b" } << quint32(0x08D25C9C);
        QTest::newRow("7999z") << QStringList{ "7999z" } << quint32(0x5C6B672F);
        QTest::newRow("4123ba, 4001a") << QStringList{ "4123ba", "4001a" } << quint32(0x1E1376C8);
    }

    void checksum()
    {
        QFETCH(QStringList, codes);
        QFETCH(quint32, crc);
        FigureList list;
        for (int i = 0; i < codes.size(); ++i)
            if (!codes.at(i).isEmpty())
                QVERIFY(list.setFigure(i, codes.at(i)));
        QCOMPARE(list.checksum(), crc);
    }

    void equalityAndSameCodes()
    {
        FigureList a, b, c;
        QVERIFY(a.setFigure(0, "2101b") && a.setFigure(1, "2202aa") && b.setFigure(4, "2101b") && b.setFigure(9, "2202aa"));
        QVERIFY(c.setFigure(0, "2202aa") && c.setFigure(1, "2101b"));
        QVERIFY(a == b && !a.sameCodes(b) && !(a == c) && !a.sameCodes(c));
        const FigureList copy = a;
        QVERIFY(copy == a && copy.sameCodes(a));
    }
};

QTEST_GUILESS_MAIN(TestFigure)
#include "tst_figure.moc"
