// The competition record: what construction, clear and copy give.
#include "records/Competition.h"

#include <QtTest>

class TestCompetition : public QObject
{
    Q_OBJECT
private slots:
    void constructedEmpty();
    void clearKeepsTheOtherFields();
    void copyTakesEveryField();
};

void TestCompetition::constructedEmpty()
{
    const Competition c;
    QVERIFY(c.Datum.isNull());
    QVERIFY(c.Ort.isEmpty() && c.Veranstalter.isEmpty() && c.Name.isEmpty());
    QVERIFY(c.extraText.isEmpty() && c.sqlText.isEmpty());
    QCOMPARE(c.extraValue, 0);
    QCOMPARE(c.ID, 0);
}

void TestCompetition::clearKeepsTheOtherFields()
{
    Competition c;
    c.Datum = QDate(2026, 12, 6);
    c.Ort = QStringLiteral("Berg");
    c.Veranstalter = QStringLiteral("RV Berg");
    c.Name = QStringLiteral("Pokal");
    c.extraText = QStringLiteral("x");
    c.extraValue = 3;
    c.ID = 7;
    c.sqlText = QStringLiteral("SELECT 1;");
    c.clear();
    QVERIFY(c.Datum.isNull());
    QVERIFY(c.Ort.isEmpty() && c.Veranstalter.isEmpty() && c.Name.isEmpty());
    QCOMPARE(c.ID, 0);
    QCOMPARE(c.extraText, QStringLiteral("x"));
    QCOMPARE(c.extraValue, 3);
    QCOMPARE(c.sqlText, QStringLiteral("SELECT 1;"));
}

void TestCompetition::copyTakesEveryField()
{
    Competition c;
    c.Datum = QDate(2026, 12, 6);
    c.Ort = QStringLiteral("Berg");
    c.Veranstalter = QStringLiteral("RV Berg");
    c.Name = QStringLiteral("Pokal");
    c.extraText = QStringLiteral("x");
    c.extraValue = 3;
    c.ID = 7;
    c.sqlText = QStringLiteral("SELECT 1;");
    Competition d;
    d = c;
    c.clear();
    QCOMPARE(d.Datum, QDate(2026, 12, 6));
    QCOMPARE(d.Ort + d.Veranstalter + d.Name + d.extraText, QStringLiteral("BergRV BergPokalx"));
    QCOMPARE(d.extraValue, 3);
    QCOMPARE(d.ID, 7);
    QCOMPARE(d.sqlText, QStringLiteral("SELECT 1;"));
}

QTEST_MAIN(TestCompetition)
#include "tst_competition.moc"
