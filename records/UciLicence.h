// A person's UCI-ID: eleven decimal digits. Also finds the nation prefix of the
// older code form (three capital letters and eight digits).
#pragma once

#include <QString>

#include <functional>

class Athlete;
class QMessageBox;

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
    // warns the user in a modal box first.
    static bool check(const Athlete& person, bool silent);

    // While a hook is set, check hands its ready box to the hook instead of
    // showing it, so tests never block. Pass an empty function to remove it.
    using WarningHook = std::function<void(QMessageBox& box)>;
    static void setWarningHook(WarningHook hook);

private:
    QString licence;
};
