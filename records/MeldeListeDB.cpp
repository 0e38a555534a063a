// The entry list's file: set-up and upgrade, the join of two athletes with
// the renumbering of their start entries, team rows, and the guards that keep
// clubs, athletes and teams that start entries still name.
#include "records/MeldeListeDB.h"

#include "db/RuvoTransaction.h"

#include <QDebug>

MeldeListeDB::MeldeListeDB(QObject* parent) : AddressDB(parent)
{
    magicNumber = Magic;
}

bool MeldeListeDB::setupDB()
{
    if (magic() == -1) {
        // All or nothing: a failed creation leaves the file as it was, so it
        // is then refused as the wrong type.
        RuvoTransaction t(this);
        AddressDB::setupDB();   // an empty file becomes an address book first
        if (magic() != -1) {
            qDebug("this is a new Database, setting up for usage ...");
            bool ok = setMagic(Magic);
            if (ok) {
                ok = ACCompetitorData::createTable(this);
                ok = ACTeamData::createTable(this) && ok;
            }
            if (ok)
                t.commit();
        }
    }
    if (magic() == Magic)
        return MeldeListeDB::createTables();
    return refuseWrongType();
}

bool MeldeListeDB::createTables()
{
    if (!isOpen() || isReadLocked() || isWriteLocked())
        return true;
    RuvoTransaction t(this);
    const bool book = AddressDB::createTables();
    const bool starter = ACCompetitorData::upgradeTable(this);
    const bool teams = ACTeamData::upgradeTable(this);
    return book && starter && teams && t.commit();
}

int MeldeListeDB::joinSportler(int idA, int idB)
{
    // The base removal is refused while start entries name the dropped
    // athlete; once they are renumbered the second join can remove it.
    const int kept = AddressDB::joinSportler(idA, idB);
    if (!joined)
        return kept;
    const int dropped = kept == idA ? idB : idA;
    {
        RuvoTransaction t(this);
        bool ok = true;
        for (int i = 0; i < Starter_t::MemberCount && ok; ++i) {
            const QString sql = QString::asprintf("UPDATE starter SET s%d = %d WHERE s%d = %d;", i, kept, i, dropped);
            qDebug().noquote() << sql;
            ok = exec(sql);
        }
        if (ok)
            t.commit();
    }
    AddressDB::joinSportler(idA, idB);
    return kept;
}

int MeldeListeDB::insertTeam(ACTeamData& team)
{
    const int id = team.insert(this);
    if (id != -1)
        emit signalTeamChanged(id);
    return id;
}

bool MeldeListeDB::updateTeam(ACTeamData& team)
{
    return updateRecord(team, "updateTeam", [this](int id) { emit signalTeamChanged(id); });
}

bool MeldeListeDB::removeTeam(int teamId)
{
    if (teamId == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    RuvoTransaction t(this);   // the check and the deletion see the same file
    const int entries = countOf(QStringLiteral("SELECT COUNT(*) FROM starter WHERE teamID = %1;").arg(teamId));
    if (!noneLeft(entries, tr("Das Team kann nicht gelöscht werden, weil ihm noch Wertungsbogen zugeordnet sind!"))
        || !ACTeamData::deleteTeam(this, teamId) || !t.commit())
        return false;
    emit signalTeamRemoved(teamId);
    return true;
}

bool MeldeListeDB::getTeamById(ACTeamData& team, int id)
{
    return ACTeamData::getById(this, team, id);
}

bool MeldeListeDB::getTeams(RuvoDBList<ACTeamData>& list, const TeamDataBase* filter)
{
    return ::getTeams(this, list, filter);
}

bool MeldeListeDB::getTeams(RuvoDBList<ACTeamData>& list, int disci)
{
    return ::getTeams(this, list, disci);
}

int MeldeListeDB::assignCompetitorsToTeam(ACTeamData& team)
{
    return ACCompetitorData::assignCompetitorsToTeam(this, team);
}

bool MeldeListeDB::removeVerein(int id)
{
    RuvoTransaction t(this);
    const int entries = countOf(QStringLiteral("SELECT COUNT(*) FROM starter WHERE Verein = %1;").arg(id));
    return noneLeft(entries, tr("Dem Verein sind noch Wertungsbogen zugeordnet!")) && AddressDB::removeVerein(id)
        && t.commit();
}

bool MeldeListeDB::removeSportler(int id)
{
    RuvoTransaction t(this);
    Athlete filter;
    filter.ID = id;
    RuvoDBList<Athlete> persons;
    if (!getPersons(persons, &filter, 0))
        return false;
    if (id == 0 || persons.isEmpty())
        return true;   // no such person: nothing to remove

    // Every position of every entry and team, whatever club the athlete has now.
    QStringList named;
    for (const char* column : {"s0", "s1", "s2", "s3", "s4", "s5", "r1", "r2"})
        named << QStringLiteral("%1 = %2").arg(QLatin1String(column)).arg(id);
    const QString inEntries = named.mid(0, Starter_t::MemberCount).join(QStringLiteral(" OR "));
    const int entries = countOf(QStringLiteral("SELECT COUNT(*) FROM starter WHERE ") + inEntries + ';');
    if (!noneLeft(entries, tr("Der Sportler ist noch in Wertungsbögen enthalten!")))
        return false;
    const int teams = countOf(QStringLiteral("SELECT COUNT(*) FROM Teams WHERE ") + named.join(QStringLiteral(" OR ")) + ';');
    return noneLeft(teams, tr("Der Sportler ist noch in Teams enthalten!")) && AddressDB::removeSportler(id)
        && t.commit();
}

int MeldeListeDB::countOf(const QString& sql)
{
    RuvoDBResult result;
    if (!query(sql, &result) || result.rows.isEmpty())
        return -1;
    return result.rows.first().value(0).toInt();
}

bool MeldeListeDB::noneLeft(int count, const QString& text)
{
    if (count > 0)
        setLastError(text);
    return count == 0;
}
