// A person's name, address, contact, sex, birth date and nation, with the name
// texts shown to the user in either name format.
#pragma once

#include <QDate>
#include <QString>

class Person
{
public:
    // The name formats of formatName; the NAMEFORMAT setting picks one.
    enum NameFormat { FirstNameFirst = 0, LastNameFirst = 1 };

    QString formatName(int format) const;
    QString displayName() const;

    // "Last, First" or "First Last and the rest", simplified.
    void setName(const QString& full);
    void setVorname(const QString& text);
    void setNachname(const QString& text);
    void setNation(const QString& text);

    // Every field equal.
    bool operator==(const Person& other) const;

    QString Vorname;
    QString Nachname;
    QString Strasse;
    QString PLZ;
    QString Ort;
    QString Telefon;
    QString Email;
    int Geschlecht = 0;   // 1 or 2; 0 not set
    QDate Geburtsdatum;
    QString Nation;
};
