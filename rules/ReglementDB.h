// The rules catalogue "Reglement.ldb": a read-only database in each language
// folder. Its Descriptor carries the date from which it applies; that year
// chooses between the older rules and those from 2008 on.
#pragma once

#include "db/RuvoDB.h"
#include "db/RuvoDBString.h"
#include "rules/AgeClass.h"
#include "rules/CatalogueRecords.h"
#include "rules/RecordPtrList.h"
#include "rules/RestrictedPassage.h"
#include "rules/TacticalValue.h"
#include "rules/Uebung.h"
#include "rules/UebungFilter.h"

#include <QDate>
#include <QList>
#include <QString>

class ReglementDB : public RuvoDB
{
public:
    enum { Magic = 640925 };

    ReglementDB();
    ~ReglementDB() override;

    bool setupDB() override;

    bool isNewReglement();
    int catalogueYear();
    int validityYears();
    QString validityText();
    QString dateWarning(const QDate& today);

    static int getGrundpunktzahl(const ReglementDB* reglement);

    QList<RuvoDBString>& getDisziplinen();
    QString getDisziplinName(int code);

    // The catalogue's other tables; they only read. A limit is the count of
    // the table's short row for the discipline, 0 without one, -1 when the
    // table cannot be read. Every list is emptied before it is filled.
    int getFigures(int disci, int ak, int* maxOnOneCycle = nullptr, int* minOnOneCycle = nullptr);
    int getTurnsOnSpotList(QList<int>& list, int disci);
    int getSeparateList(QList<Figure>& list, int disci);
    int getStanddrehungen(RecordPtrList<ExerciseCode_t>& list, int disci);
    int getEinzeln(RecordPtrList<ExerciseCode_t>& list, int disci);
    bool getRestrictedPassagesList(QList<RestrictedPassage>& list, int disci);
    bool getUebergänge(RecordPtrList<Transition_t>& list, int disci);
    bool getTaktisch(TacticalValue& value, const Figure& nr);
    void getAltersklassen(QList<AgeClass>& list, int disci, int ak);
    void queryAltersklassen(RecordPtrList<AgeClass_t>& list, int disci, int ak);
    void getKategorien(QList<RuvoDBString>& list);
    QString getKategorieName(int code);
    QString getKategorieName(int disci, int sex, int ak);

    bool getUebungen(QList<Uebung>& list, const UebungFilter* filter);

    bool allAgeClasses = true;  // while false, the age-class queries leave out classes 0 to 4 in disciplines 4 to 7

private:
    QDate catalogueDate();

    QList<RuvoDBString> disziplinen;
    bool disziplinenDirty = true;
    int year = -1;  // -1 not read yet, 0 the date text is no valid date
};
