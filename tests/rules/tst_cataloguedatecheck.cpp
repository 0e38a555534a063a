// The catalogue date check: when a catalogue has expired, when the computer's
// clock lies well before it, and the texts the frame shows.
#include "rules/CatalogueDateCheck.h"

#include <QLocale>
#include <QtTest>

Q_DECLARE_METATYPE(CatalogueDate)

class TestCatalogueDateCheck : public QObject
{
    Q_OBJECT

private slots:
    void verdict_data()
    {
        QTest::addColumn<int>("year");
        QTest::addColumn<int>("validity");
        QTest::addColumn<QDate>("today");
        QTest::addColumn<CatalogueDate>("verdict");
        QTest::newRow("2020 in 2022") << 2020 << 2 << QDate(2022, 1, 1) << CatalogueDate::Expired;
        QTest::newRow("2020 on its last day") << 2020 << 2 << QDate(2021, 12, 31) << CatalogueDate::Current;
        QTest::newRow("2020 in 2020") << 2020 << 2 << QDate(2020, 6, 1) << CatalogueDate::Current;
        QTest::newRow("2020 in 2019") << 2020 << 2 << QDate(2019, 6, 1) << CatalogueDate::Current;
        QTest::newRow("2020 in 2018") << 2020 << 2 << QDate(2018, 6, 1) << CatalogueDate::ClockBehind;
        QTest::newRow("2022 in 2024") << 2022 << 3 << QDate(2024, 12, 31) << CatalogueDate::Current;
        QTest::newRow("2022 in 2025") << 2022 << 3 << QDate(2025, 1, 1) << CatalogueDate::Expired;
        QTest::newRow("2021 in 2021") << 2021 << 1 << QDate(2021, 12, 31) << CatalogueDate::Current;
        QTest::newRow("2021 in 2022") << 2021 << 1 << QDate(2022, 1, 1) << CatalogueDate::Expired;
        QTest::newRow("no date") << 0 << 1 << QDate(2026, 12, 6) << CatalogueDate::Expired;
    }

    void verdict()
    {
        QFETCH(int, year);
        QFETCH(int, validity);
        QFETCH(QDate, today);
        QFETCH(CatalogueDate, verdict);
        QCOMPARE(checkCatalogueDate(year, validity, today), verdict);
        QCOMPARE(catalogueDateWarning(year, validity, today).isEmpty(), verdict == CatalogueDate::Current);
    }

    void messages()
    {
        const QDate today(2018, 4, 9);
        QCOMPARE(catalogueDateMessage(CatalogueDate::Current, today), QString());
        QCOMPARE(catalogueDateMessage(CatalogueDate::Expired, today),
                 QString::fromUtf8("<b><font color=#FF0000>Das Reglement ist wahrscheinlich nicht mehr gültig!</font>"
                                   "<br><br>Bitte aktualisieren Sie die Software!</b>"));
        QCOMPARE(catalogueDateMessage(CatalogueDate::ClockBehind, today),
                 QString::fromUtf8("Das Datum ihres Rechner ist wesentlich älter als das Reglement!<br><br>"
                                   "Ist <b>heute</b> wirklich der <b><font color=#FF0000>%1</font></b>?")
                     .arg(QLocale::system().toString(today, QLocale::ShortFormat)));
        QCOMPARE(catalogueDateWarning(2020, 2, today), catalogueDateMessage(CatalogueDate::ClockBehind, today));
        QCOMPARE(catalogueOpenFailedMessage(),
                 QString::fromUtf8("<b>Das Reglement kann nicht geöffnet werden!</b><br><br>Wahrscheinlich: <ul>"
                                   "<li>ist Ihr Installation fehlerhaft!!</li><li>wird die ausgewählte Sprache nicht "
                                   "mehr unterstützt</li></ul><br><b>Wählen Sie unbedingt eine andere Sprache!</b>"));
    }

};

QTEST_GUILESS_MAIN(TestCatalogueDateCheck)
#include "tst_cataloguedatecheck.moc"
