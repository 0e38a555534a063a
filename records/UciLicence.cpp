// UCI-ID checks against the licence patterns, and the warning for a person
// without a valid one.
#include "records/UciLicence.h"

#include "records/Athlete.h"
#include "records/UciPattern.h"

#include <QCoreApplication>
#include <QRegExp>
#include <QtDebug>

static UciLicence::Warning& installedWarning()
{
    static UciLicence::Warning warning;
    return warning;
}

void UciLicence::set(const QString& text)
{
    licence = text.simplified().remove(QLatin1Char(' '));
}

UciLicence& UciLicence::operator=(const QString& text)
{
    licence = text;
    return *this;
}

bool UciLicence::isValid(const QString& text)
{
    QRegExp matcher(uciPattern());
    return matcher.exactMatch(text);
}

QString UciLicence::nation(const QString& text)
{
    static const QRegExp nationPattern(QStringLiteral("[A-Z]{3}[0-9]{8}"), Qt::CaseSensitive, QRegExp::RegExp);
    QRegExp matcher(nationPattern);
    return matcher.exactMatch(text) ? text.left(3) : QString();
}

UciLicence::Warning UciLicence::setWarning(Warning warning)
{
    std::swap(installedWarning(), warning);
    return warning;
}

bool UciLicence::check(const Athlete& person, bool silent)
{
    const bool valid = person.uciId.isValid();
    if (valid || silent)
        return valid;
    const QString text = QCoreApplication::translate("UciLicence",
        "Für den Sportler <b>%1</b> ist nicht die <b>11-stellige UCI-ID</b> als Lizenz hinterlegt!"
        "<br><br>Bitte korrigieren Sie dies!").arg(person.displayName().toHtmlEscaped());
    if (installedWarning())
        installedWarning()(QStringLiteral("UCI-Licence"), text);
    else
        qWarning().noquote() << "UciLicence::check:" << text;
    return false;
}
