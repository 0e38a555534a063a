// A person's UCI-ID: eleven decimal digits. Also finds the nation prefix of the
// older code form (three capital letters and eight digits).
#pragma once

#include <QString>

class UciLicence
{
public:
    UciLicence() = default;

    void set(const QString& text);
    UciLicence& operator=(const QString& text);

    const QString& text() const { return licence; }
    bool isValid() const { return isValid(licence); }
    static bool isValid(const QString& text);
    static QString nation(const QString& text);

private:
    QString licence;
};
