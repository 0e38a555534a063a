// The numbered standard texts: each text, and each through its own context.
#include "frame/BaseText.h"

#include <QCoreApplication>
#include <QTranslator>
#include <QtTest>

namespace {

// Marks every text with the context it was looked up in.
class ContextTranslator : public QTranslator
{
public:
    QString translate(const char* context, const char* source, const char*, int) const override
    {
        return QString::fromUtf8(context) + "|" + QString::fromUtf8(source);
    }
    bool isEmpty() const override { return false; }
};

} // namespace

class TestBaseText : public QObject
{
    Q_OBJECT
private slots:
    void texts_data()
    {
        QTest::addColumn<int>("n");
        QTest::addColumn<QString>("context");
        QTest::addColumn<QString>("text");

        const char* const expected[] = {
            "Wertungsbogen", "Trainingsbogen", "Wertungsblatt", "f\xc3\xbcr Kunstradsport-Wettbewerbe", "UCI-ID",
            "Wettbewerber", "Pers. Bestl:", "Pkt.", "am:", "in", "Verband:", "Verein:", "Wettbewerb:", "Datum/Ort:",
            "Veranstalter:", "Disziplin:", "Startnummer", "Lfd.\nNr.", "\xc3\x9c" "bungs\nNr.",
            "\xc3\x9c" "bungstext", "Punkt-\nWert", "Takt-\nPunkte", "Schwierigkeit", "Ausf\xc3\xbchrung\nZeichen",
            "Ausf\xc3\xbchrung", "Wertungsbogen gepr\xc3\xbc" "ft von:", "Unterschrift", "Ansager:", "Schreiber:",
            "Chief:", "SCHWIERIGKEITS-PUNKTE:", "+ Taktische Punkte:", "GESAMTPUNKTE:", "ERGEBNIS:",
            "+ Ergebnis Jury 2", "+ Ergebnis Jury 3", "Jury 1 + 2 (+ 3)", "Abzug Ausf\xc3\xbchrung:",
            "Abzug Schwierigkeit:", "ausgefahren:", "Gesamtabzug:", ": 2 oder 3 =", "Punkte", "aufgestellt:",
            "WB Name:", "Pr\xc3\xbc" "fsumme:",
        };
        QCOMPARE(int(sizeof expected / sizeof expected[0]), 46);
        for (int n = 0; n < 46; ++n)
            QTest::addRow("%d", n) << n << "Wertungsbogen" << QString::fromUtf8(expected[n]);
        QTest::newRow("61") << 61 << "AddressDB" << "Jahrgang";
    }

    void texts()
    {
        QFETCH(int, n);
        QFETCH(QString, context);
        QFETCH(QString, text);
        QCOMPARE(baseText(n), text);

        ContextTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        const QString translated = baseText(n);
        QCoreApplication::removeTranslator(&translator);
        QCOMPARE(translated, context + "|" + text);
    }

    void otherNumbersAreEmpty()
    {
        for (int n : {-1, 46, 50, 60, 62, 1000})
            QVERIFY2(baseText(n).isEmpty(), qPrintable(QString::number(n)));
    }

};

QTEST_GUILESS_MAIN(TestBaseText)
#include "tst_basetext.moc"
