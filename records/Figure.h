// One exercise code of the rules catalogue ("1101a", "4123ba"): a text that is
// either empty or a valid code; anything else given to it leaves it empty.
#pragma once

#include <QString>

class Figure
{
public:
    Figure() = default;
    explicit Figure(const QString& text);
    Figure(const Figure&) = default;
    Figure& operator=(const Figure&) = default;
    Figure& operator=(const QString& text);

    bool isValid() const { return !code.isEmpty(); }
    static bool isValidCode(const QString& text);

    int disci() const;
    int number() const;
    const QString& text() const { return code; }

    bool operator==(const QString& text) const { return code == text; }
    bool operator==(const Figure& other) const { return code == other.code; }

private:
    QString code;
};
