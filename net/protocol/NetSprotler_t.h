// One athlete of the starter record that the jury sends (68 bytes on the
// wire): the birth date packed into 16 bits, the gender and the two names.
#pragma once

#include <QDate>
#include <QtGlobal>

#include <cstdint>

struct NetSprotler_t
{
    static constexpr int Size = 68;
    static constexpr int NameSize = 32;

    quint16 birth = 0;            // (year mod 100) x 512 + (month - 1) x 32 + day
    quint8 gender = 0;
    char firstName[NameSize] = {};
    char lastName[NameSize] = {};

    // 0 for a date that is not valid.
    static quint16 packBirthDate(const QDate& date);
    // The two-digit year lies in the century of currentYear, or in the one
    // before when it is beyond currentYear's own two digits.
    QDate birthDate(int currentYear) const;

    void write(uint8_t* out) const;
    static NetSprotler_t read(const uint8_t* in);
};
