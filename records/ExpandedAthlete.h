// An athlete together with the name and association of the athlete's club,
// as the address book hands it out for score sheets.
#pragma once

#include "records/Athlete.h"

#include <QString>

class ExpandedAthlete : public Athlete
{
public:
    QString VereinName;   // the club's Name
    QString Verband;      // the club's association
};
