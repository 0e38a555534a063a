// The score sheet's lookups in the entry list by ID: athletes, athletes with
// their club's texts, clubs, and the events that only a score-list database
// gives by ID.
#pragma once

class AddressDB;
class Athlete;
class Club;
class Competition;
class ExpandedAthlete;

namespace EntryListLookup {

bool athlete(AddressDB* db, Athlete& a, int id);
// False when the athlete or the athlete's club is missing; a missing club
// leaves the club texts empty.
bool expandedAthlete(AddressDB* db, ExpandedAthlete& a, int id);
bool club(AddressDB* db, Club& c, int id);
// Only a "WertungListeDB" knows events by ID; false for any other database.
bool scoreListEvent(AddressDB* db, Competition& c, int id);

} // namespace EntryListLookup
