// The person record's name texts.
#include "records/Person.h"

#include "db/RuvoProps.h"

QString Person::formatName(int format) const
{
    if (Vorname.isEmpty() && Nachname.isEmpty())
        return QString();
    if (format == FirstNameFirst)
        return Vorname + QLatin1Char(' ') + Nachname;
    return Nachname + QStringLiteral(", ") + Vorname;
}

QString Person::displayName() const
{
    return formatName(RuvoProps::nameFormat() ? LastNameFirst : FirstNameFirst);
}

void Person::setName(const QString& full)
{
    const QString text = full.simplified();
    const int comma = text.indexOf(QLatin1Char(','));
    if (comma >= 0) {
        setNachname(text.left(comma));
        setVorname(text.mid(comma + 1));
        return;
    }
    const int blank = text.indexOf(QLatin1Char(' '));
    setVorname(blank < 0 ? text : text.left(blank));
    setNachname(blank < 0 ? QString() : text.mid(blank + 1));
}

void Person::setVorname(const QString& text)
{
    Vorname = text.simplified();
}

void Person::setNachname(const QString& text)
{
    Nachname = text.simplified();
}

void Person::setNation(const QString& text)
{
    Nation = text.simplified();
}

bool Person::operator==(const Person& o) const
{
    return Vorname == o.Vorname && Nachname == o.Nachname && Strasse == o.Strasse && PLZ == o.PLZ
        && Ort == o.Ort && Telefon == o.Telefon && Email == o.Email && Geschlecht == o.Geschlecht
        && Geburtsdatum == o.Geburtsdatum && Nation == o.Nation;
}
