// Exercise codes and the exercise list: which texts are codes, how a list keeps
// one discipline, and the checksum vectors printed on score sheets.
#include "records/FigureList.h"
#include "tests/support/DebugCapture.h"

#include <QtTest>

class TestFigure : public QObject
{
    Q_OBJECT

private slots:
    void validCodes_data();
    void validCodes();
    void assignmentKeepsOnlyCodes();
    void disciAndNumber_data();
    void disciAndNumber();
    void setOutsideTheList();
    void setKeepsOneDiscipline();
    void emptyOrInvalidTextOnEmptyList();
    void atOutsideTheList();
    void checksum_data();
    void checksum();
    void equalityAndSameCodes();
};

void TestFigure::validCodes_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("valid");
    const QStringList accepted = { "1101a", "7999z", "4123ba", "2101b", "5000aa", "6999y", "2202aa" };
    const QStringList rejected = {
        "", "1101A", "3101a", "0101a", "8101a", "9101a", "1101", "1101ab", "11010a",
        " 1101a", "1101a ", "1101aaa", "1101aA", "110a", "1101\xc3\xa4", "1101a{,1}",
        "a1101", "1101-a", "\xd9\xa1\xd9\xa1\xd9\xa0\xd9\xa1" "a",
    };
    for (const QString& t : accepted)
        QTest::newRow(qPrintable("accept " + t)) << t << true;
    for (const QString& t : rejected)
        QTest::newRow(qPrintable("reject '" + t + "'")) << t << false;
}

void TestFigure::validCodes()
{
    QFETCH(QString, text);
    QFETCH(bool, valid);
    QCOMPARE(Figure::isValidCode(text), valid);
    const Figure code(text);
    QCOMPARE(code.isValid(), valid);
    QCOMPARE(code.text(), valid ? text : QString());
}

void TestFigure::assignmentKeepsOnlyCodes()
{
    Figure code(QStringLiteral("1101a"));
    code = QStringLiteral("1101A");
    QVERIFY(!code.isValid());
    QVERIFY(code == QString());
    code = QStringLiteral("4123b");
    QVERIFY(code == QStringLiteral("4123b"));
    QVERIFY(!(code == QStringLiteral("4123B")));
    QVERIFY(code == Figure(QStringLiteral("4123b")));
}

void TestFigure::disciAndNumber_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("disci");
    QTest::addColumn<int>("number");
    QTest::newRow("4123b") << "4123b" << 4 << 4123;
    QTest::newRow("2101b") << "2101b" << 2 << 2101;
    QTest::newRow("7999za") << "7999za" << 7 << 7999;
    QTest::newRow("1000a") << "1000a" << 1 << 1000;
    QTest::newRow("empty") << "" << 0 << 0;
    QTest::newRow("invalid") << "3101a" << 0 << 0;
}

void TestFigure::disciAndNumber()
{
    QFETCH(QString, text);
    QFETCH(int, disci);
    QFETCH(int, number);
    const Figure code(text);
    QCOMPARE(code.disci(), disci);
    QCOMPARE(code.number(), number);
}

void TestFigure::setOutsideTheList()
{
    FigureList list;
    QVERIFY(list.setFigure(0, QStringLiteral("1101a")));
    QVERIFY(!list.set(30, Figure(QStringLiteral("1102a"))));
    QVERIFY(!list.set(-1, Figure(QStringLiteral("1102a"))));
    QCOMPARE(list.disci, 1);
    QCOMPARE(list.at(0).text(), QStringLiteral("1101a"));
    for (int i = 1; i < FigureList::Positions; ++i)
        QVERIFY(!list.at(i).isValid());
}

void TestFigure::setKeepsOneDiscipline()
{
    FigureList list;
    QVERIFY(list.isEmpty());
    QVERIFY(list.setFigure(3, QStringLiteral("1101a")));
    QCOMPARE(list.disci, 1);
    QVERIFY(list.fits(Figure(QStringLiteral("1999z"))));
    QVERIFY(!list.fits(Figure(QStringLiteral("2101a"))));

    // Another discipline on the only code's position empties it, and the list with it.
    QVERIFY(!list.setFigure(3, QStringLiteral("2101a")));
    QVERIFY(!list.at(3).isValid());
    QCOMPARE(list.disci, 0);
    QVERIFY(list.isEmpty());

    QVERIFY(list.setFigure(5, QStringLiteral("2101a")));
    QVERIFY(list.setFigure(1, QStringLiteral("2102b")));
    QVERIFY(!list.setFigure(5, QStringLiteral("")));
    QVERIFY(!list.setFigure(1, QStringLiteral("nonsense")));
    QCOMPARE(list.disci, 0);

    QVERIFY(list.setFigure(7, QStringLiteral("6101a")));
    QVERIFY(list.setFigure(2, QStringLiteral("6102a")));
    list.clear();
    QCOMPARE(list.disci, 0);
    QVERIFY(!list.at(2).isValid());
    QVERIFY(!list.at(7).isValid());
}

void TestFigure::emptyOrInvalidTextOnEmptyList()
{
    FigureList list;
    QVERIFY(list.setFigure(3, QString()));
    QVERIFY(list.setFigure(4, QStringLiteral("1101A")));
    QCOMPARE(list.disci, 0);
    QVERIFY(list.setFigure(0, QStringLiteral("1101a")));
    QVERIFY(!list.setFigure(3, QStringLiteral("1101A")));
    QCOMPARE(list.disci, 1);
}

void TestFigure::atOutsideTheList()
{
    FigureList list;
    list.setFigure(29, QStringLiteral("1101a"));
    DebugCapture capture;
    QVERIFY(!list.at(30).isValid());
    QVERIFY(!list.at(-1).isValid());
    QVERIFY(capture.contains(QStringLiteral("return Null figure")));
    QCOMPARE(list.at(29).text(), QStringLiteral("1101a"));
}

void TestFigure::checksum_data()
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

void TestFigure::checksum()
{
    QFETCH(QStringList, codes);
    QFETCH(quint32, crc);
    FigureList list;
    for (int i = 0; i < codes.size(); ++i)
        if (!codes.at(i).isEmpty())
            QVERIFY(list.setFigure(i, codes.at(i)));
    QCOMPARE(list.checksum(), crc);
}

void TestFigure::equalityAndSameCodes()
{
    FigureList a, b, c;
    a.setFigure(0, QStringLiteral("2101b"));
    a.setFigure(1, QStringLiteral("2202aa"));
    b.setFigure(4, QStringLiteral("2101b"));
    b.setFigure(9, QStringLiteral("2202aa"));
    c.setFigure(0, QStringLiteral("2202aa"));
    c.setFigure(1, QStringLiteral("2101b"));

    QVERIFY(a == b);
    QVERIFY(!a.sameCodes(b));
    QVERIFY(!(a == c));
    QVERIFY(!a.sameCodes(c));
    FigureList copy = a;
    QVERIFY(copy == a);
    QVERIFY(copy.sameCodes(a));
}

QTEST_GUILESS_MAIN(TestFigure)
#include "tst_figure.moc"
