// A person's UCI-ID: eleven decimal digits. Also finds the nation prefix of the
// older code form (three capital letters and eight digits).
#pragma once

#include <QString>

#include <functional>

class Athlete;

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

    // True when the person has a valid UCI-ID. Otherwise, unless silent,
    // warns the user first.
    static bool check(const Athlete& person, bool silent);

    // How check warns: through the function the program installs (the
    // frame's modal box). Without one the warning goes to the debug log and
    // nothing blocks; an empty function restores that. Returns the function
    // installed before.
    using Warning = std::function<void(const QString& title, const QString& text)>;
    static Warning setWarning(Warning warning);

private:
    QString licence;
};
