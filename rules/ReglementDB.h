// The rules catalogue "Reglement.ldb": a read-only database in each language
// folder. Its Descriptor carries the date from which it applies; that year
// chooses between the older rules and those from 2008 on.
#pragma once

#include "db/RuvoDB.h"
#include "db/RuvoDBString.h"

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

    bool allAgeClasses = true;  // while false, the age-class queries leave out classes 0 to 4 in disciplines 4 to 7

private:
    QDate catalogueDate();

    QList<RuvoDBString> disziplinen;
    bool disziplinenDirty = true;
    int year = -1;  // -1 not read yet, 0 the date text is no valid date
};

// Athletes that form one start in a discipline; needs no catalogue.
int getTeamSize(int disci);
