// The numbered standard texts.
#include "frame/texts/BaseText.h"

#include <QCoreApplication>

namespace {

const char* const scoreSheetTexts[] = {
    QT_TRANSLATE_NOOP("Wertungsbogen", "Wertungsbogen"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Trainingsbogen"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Wertungsblatt"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "für Kunstradsport-Wettbewerbe"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "UCI-ID"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Wettbewerber"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Pers. Bestl:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Pkt."),
    QT_TRANSLATE_NOOP("Wertungsbogen", "am:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "in"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Verband:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Verein:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Wettbewerb:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Datum/Ort:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Veranstalter:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Disziplin:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Startnummer"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Lfd.\nNr."),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Übungs\nNr."),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Übungstext"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Punkt-\nWert"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Takt-\nPunkte"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Schwierigkeit"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Ausführung\nZeichen"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Ausführung"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Wertungsbogen geprüft von:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Unterschrift"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Ansager:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Schreiber:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Chief:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "SCHWIERIGKEITS-PUNKTE:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "+ Taktische Punkte:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "GESAMTPUNKTE:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "ERGEBNIS:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "+ Ergebnis Jury 2"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "+ Ergebnis Jury 3"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Jury 1 + 2 (+ 3)"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Abzug Ausführung:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Abzug Schwierigkeit:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "ausgefahren:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Gesamtabzug:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", ": 2 oder 3 ="),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Punkte"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "aufgestellt:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "WB Name:"),
    QT_TRANSLATE_NOOP("Wertungsbogen", "Prüfsumme:"),
};

constexpr int scoreSheetTextCount = int(sizeof scoreSheetTexts / sizeof scoreSheetTexts[0]);
static_assert(scoreSheetTextCount == 46, "the score sheet uses texts 0 to 45");

constexpr int birthYearText = 61;

} // namespace

QString baseText(int n)
{
    if (n >= 0 && n < scoreSheetTextCount)
        return QCoreApplication::translate("Wertungsbogen", scoreSheetTexts[n]);
    if (n == birthYearText)
        return QCoreApplication::translate("AddressDB", "Jahrgang");
    return QString();
}
