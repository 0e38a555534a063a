// The competition record: clear empties the event fields only, a copy keeps them all.
#include "records/Competition.h"

#include <QtTest>

class TestCompetition : public QObject
{
    Q_OBJECT
private slots:
    void clearAndCopy()
    {
        Competition c;
        QVERIFY(c.Datum.isNull() && c.Name.isEmpty() && c.sqlText.isEmpty());
        QCOMPARE(c.extraValue + c.ID, 0);
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
        QVERIFY(c.Datum.isNull() && c.Ort.isEmpty() && c.Veranstalter.isEmpty() && c.Name.isEmpty());
        QCOMPARE(c.ID, 0);
        QCOMPARE(c.extraText + c.sqlText, QStringLiteral("xSELECT 1;"));
        QCOMPARE(c.extraValue, 3);
        QCOMPARE(d.Datum, QDate(2026, 12, 6));
        QCOMPARE(d.Ort + d.Veranstalter + d.Name + d.extraText + d.sqlText, QStringLiteral("BergRV BergPokalxSELECT 1;"));
        QCOMPARE(d.extraValue * 10 + d.ID, 37);
    }
};

QTEST_MAIN(TestCompetition)
#include "tst_competition.moc"
