// The entry-list lookups of the score sheet.
#include "rules/EntryListLookup.h"

#include "db/RuvoDB.h"
#include "records/Athlete.h"
#include "records/Club.h"
#include "records/Competition.h"
#include "records/ExpandedAthlete.h"

namespace {

// The address book is a RuvoDB by single inheritance.
RuvoDB* base(AddressDB* db)
{
    return reinterpret_cast<RuvoDB*>(db);
}

} // namespace

namespace EntryListLookup {

bool athlete(AddressDB* db, Athlete& a, int id)
{
    return Athlete::getById(base(db), a, id);
}

bool expandedAthlete(AddressDB* db, ExpandedAthlete& a, int id)
{
    if (!athlete(db, a, id))
        return false;
    Club c;
    const bool found = Club::getById(base(db), c, a.Verein, false);
    a.VereinName = c.Name;
    a.Verband = c.Verband;
    return found;
}

bool club(AddressDB* db, Club& c, int id)
{
    return Club::getById(base(db), c, id, true);
}

bool scoreListEvent(AddressDB* db, Competition& c, int id)
{
    return base(db)->inherits("WertungListeDB") && Competition::getById(base(db), c, id);
}

} // namespace EntryListLookup
