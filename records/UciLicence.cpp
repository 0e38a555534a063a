// UCI-ID checks against the licence patterns.
#include "records/UciLicence.h"

#include "records/UciPattern.h"

#include <QRegExp>

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
