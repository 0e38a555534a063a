// A person of the address book (a row of the table "sportler"): the club, the
// UCI-ID and the roles the person takes.
#pragma once

#include "records/Person.h"
#include "records/UciLicence.h"

// The table operations follow once the columns of "sportler" are settled.
class Athlete : public Person
{
public:
    // Bits of the role word, stored as the letters A, C, R and F.
    enum Role { RoleA = 1, RoleC = 2, RoleR = 4, RoleF = 8 };

    Athlete() = default;

    void clear();

    int Verein = 0;      // the club's ID
    int ID = 0;          // row in "sportler"; 0 or less: not stored
    int errorCode = 0;   // of the last failed database operation, in RuvoDB's code space
    UciLicence uciId;
    int roles = 0;
};
