// The import framework's run and its duplicate handling.
#include "records/AddressImport.h"

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
    const int same = athletes.findSame(athlete);
    if (same >= 0) {
        athlete.ID = athletes.at(same).ID;
        return true;
    }
    athlete.ID = -(athletes.size() + 1);
    athletes.append(athlete);
    return true;
}

bool AddressImport::addClub(Club& club)
{
    const int same = clubs.findSame(club);
    if (same >= 0) {
        club.ID = clubs.at(same).ID;
        return true;
    }
    club.ID = -(clubs.size() + 1);
    clubs.append(club);
    return true;
}
