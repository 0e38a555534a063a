// The rule checks of a score sheet: the athletes, their age class, the
// exercise list, the transitions between exercises, the turns on the spot and
// the separate exercises. Each check empties the sheet's report and writes its
// lines into it, keeps its own bit in the start record's error and tested
// masks, may correct the start record, and answers whether it found no fault.
#pragma once

#include "rules/CatalogueRecords.h"
#include "rules/RecordPtrList.h"

#include <QCoreApplication>
#include <QString>

#include <cstdint>

class AddressDB;
class ReglementDB;
class Wertungsbogen;
struct Starter_t;

class ScoreSheetChecks
{
    // The sheet's texts, translated as the sheet's own.
    Q_DECLARE_TR_FUNCTIONS(Wertungsbogen)
public:
    // Each check owns this bit in the start record's masks and prints the
    // number in front of its message lines.
    enum Check {
        CheckAthletes = 0,
        CheckAltersklasse = 1,
        CheckUebungen = 2,
        CheckUebergaenge = 3,
        CheckStanddrehungen = 4,
        CheckEinzeln = 5,
    };

    explicit ScoreSheetChecks(Wertungsbogen& sheet);

    // The athletes and their age class, and unless scored by hand the rest;
    // the report collects every check's lines.
    bool testAll(bool Handwertung);
    bool checkAthletes();
    bool checkAltersklasse();
    bool checkUebungen();
    bool checkUebergaenge();
    bool checkStanddrehungen();
    bool checkEinzeln();

private:
    // A message line of a check: "%02d: ", the text and a line break.
    void addLine(Check check, const QString& text, bool error = true);
    static void setBit(uint32_t& mask, Check check, bool on);
    bool hasError(Check check) const;
    // A check begins with its error bit clear, its tested bit as given and
    // the report empty.
    void startCheck(Check check, bool tested);
    // A check that could not run: its tested bit clear and a line that is no
    // fault; true.
    bool notTested(Check check, const QString& text);
    bool noDatabase(Check check);
    int countOfPrefixes(const RecordPtrList<ExerciseCode_t>& prefixes) const;
    bool checkCodeList(Check check, int limit, const RecordPtrList<ExerciseCode_t>& prefixes,
                       const QString& tooMany);

    Wertungsbogen& sheet;
    Starter_t* starter;
    AddressDB* db;
    ReglementDB* reglement;
    QString& report;
};
