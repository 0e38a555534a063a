// The score record of one start as one judge (or jury) gives it: deductions,
// the marks of the thirty exercise slots, tactical points and the ausgefahren
// time. A plain record copied by value; a new record is all zero.
#pragma once

#include <QtGlobal>

// One tactical entry: points in hundredths for one exercise.
struct TaktischWertung
{
    quint32 value = 0;
    quint8 exercise = 0;
    quint8 further = 0;
};

struct Wertung_t
{
    static constexpr int exerciseCount = 30;
    static constexpr int markCount = 5;      // X, ~, | and O counts, difficulty percentage
    static constexpr int tacticalCount = 9;
    static constexpr int nameSize = 32;
    static constexpr int ausgefahrenRowCount = 6;
    static constexpr int statusAbsent = 5;
    static constexpr int statusCertificate = 6;

    int starterRef = 0;
    int competitionId = 0;
    int startNumber = 0;
    quint32 startTime = 0;
    int status = 0;
    int judge = 0;
    char announcer[nameSize] = {};
    char scribe[nameSize] = {};
    char chief[nameSize] = {};
    quint32 deduction1 = 0;     // hundredths of a point
    quint32 deduction2 = 0;
    quint8 exercises[exerciseCount][markCount] = {};
    quint8 extra1[markCount] = {};
    quint8 extra2[markCount] = {};
    TaktischWertung tactical[tacticalCount] = {};
    quint16 ausgefahren = 0;
    quint8 ausgefahrenRows[ausgefahrenRowCount] = {};   // a 0 ends the list

    quint32 totalDeduction() const { return deduction1 + deduction2; }
};
