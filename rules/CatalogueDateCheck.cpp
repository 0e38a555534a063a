// The catalogue's date check and its three messages.
#include "rules/CatalogueDateCheck.h"

#include <QCoreApplication>
#include <QLocale>

namespace {

const char* const frameContext = "ApplicationWindow";

// A clock this many years before the catalogue is taken to be wrong.
const int clockBehindYears = 2;

const char* const expiredText = QT_TRANSLATE_NOOP("ApplicationWindow",
    "<b><font color=#FF0000>Das Reglement ist wahrscheinlich nicht mehr gültig!</font><br><br>"
    "Bitte aktualisieren Sie die Software!</b>");

const char* const clockBehindText = QT_TRANSLATE_NOOP("ApplicationWindow",
    "Das Datum ihres Rechner ist wesentlich älter als das Reglement!<br><br>"
    "Ist <b>heute</b> wirklich der <b><font color=#FF0000>%1</font></b>?");

const char* const openFailedText = QT_TRANSLATE_NOOP("ApplicationWindow",
    "<b>Das Reglement kann nicht geöffnet werden!</b><br><br>Wahrscheinlich: <ul>"
    "<li>ist Ihr Installation fehlerhaft!!</li>"
    "<li>wird die ausgewählte Sprache nicht mehr unterstützt</li></ul><br>"
    "<b>Wählen Sie unbedingt eine andere Sprache!</b>");

QString translated(const char* text)
{
    return QCoreApplication::translate(frameContext, text);
}

} // namespace

CatalogueDate checkCatalogueDate(int year, int validity, const QDate& today)
{
    const int currentYear = today.year();
    if (year + validity <= currentYear)
        return CatalogueDate::Expired;
    if (year - currentYear >= clockBehindYears)
        return CatalogueDate::ClockBehind;
    return CatalogueDate::Current;
}

QString catalogueDateMessage(CatalogueDate verdict, const QDate& today)
{
    switch (verdict) {
    case CatalogueDate::Expired:
        return translated(expiredText);
    case CatalogueDate::ClockBehind:
        return translated(clockBehindText).arg(QLocale::system().toString(today, QLocale::ShortFormat));
    case CatalogueDate::Current:
        break;
    }
    return QString();
}

QString catalogueDateWarning(int year, int validity, const QDate& today)
{
    return catalogueDateMessage(checkCatalogueDate(year, validity, today), today);
}

QString catalogueOpenFailedMessage()
{
    return translated(openFailedText);
}
