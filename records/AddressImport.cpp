// The import framework's run and its duplicate handling.
#include "records/AddressImport.h"

namespace {

// The record takes the ID of an equal one in the list; a new one is appended
// and numbered -1, -2, ... by its place.
template<class Record>
void addOnce(RuvoDBList<Record>& list, Record& record)
{
    const int same = list.findSame(record);
    if (same >= 0) {
        record.ID = list.at(same).ID;
        return;
    }
    record.ID = -(list.size() + 1);
    list.append(record);
}

} // namespace

AddressImport::AddressImport(const QString& source) : sourceName(source)
{
}

AddressImport::~AddressImport() = default;

bool AddressImport::run()
{
    clubs.clear();
    athletes.clear();
    // The athletes refer to the clubs read, so without clubs there is nothing to read.
    if (!readClubs()) {
        if (report.isEmpty())
            report = tr("keinen Verein gefunden") + QStringLiteral("<br><br>");
        return false;
    }
    return readAthletes();
}

bool AddressImport::addAthlete(Athlete& athlete)
{
    if (athlete.Nation.isEmpty())
        athlete.Nation = UciLicence::nation(athlete.uciId.text());
    if (athlete.roles == 0)
        athlete.roles = Athlete::RoleA;
    addOnce(athletes, athlete);
    return true;
}

bool AddressImport::addClub(Club& club)
{
    addOnce(clubs, club);
    return true;
}
