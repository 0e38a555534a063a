// The address book: set-up and upgrade of its file, the names table, the
// delegations to the club, person, competition and name-icon records with
// their signals, the join of two persons, and the person lookups.
#include "records/AddressDB.h"

#include "db/Conversions.h"
#include "db/RuvoTransaction.h"
#include "records/TableLayout.h"

#include <QDebug>

#include <climits>

namespace {

const char* const namenTable = "namen";

// -id without overflow: a club's ID from its contact's person id and back.
int negated(int id)
{
    return id == INT_MIN ? 0 : -id;
}

} // namespace

AddressDB::AddressDB(QObject* parent) : RuvoDB(parent)
{
    magicNumber = Magic;
}

bool AddressDB::setupDB()
{
    if (magic() == -1 && tables().isEmpty()) {
        qDebug("this is a new Database, setting up for usage ...");
        // All or nothing: a failed creation leaves the file without Descriptor.
        RuvoTransaction t(this);
        bool ok = setMagic(Magic);
        ok = Club::createTable(this) && ok;
        ok = Athlete::createTable(this) && ok;
        if (ok)
            t.commit();
    }
    if (magic() == Magic)
        return AddressDB::createTables();
    return refuseWrongType();
}

bool AddressDB::refuseWrongType()
{
    checkReadPassword(nullptr);
    checkWritePassword(nullptr);
    setLastError(errorText(ErrWrongType));
    qDebug().noquote() << lastError();
    return false;
}

bool AddressDB::createTables()
{
    if (!isOpen() || isReadLocked() || isWriteLocked())
        return true;
    RuvoTransaction t(this);
    if (!hasTable(QLatin1String(namenTable))) {
        qDebug("ADD TABLE namen");
        if (!exec(QStringLiteral("CREATE TABLE %1 ( ID INTEGER PRIMARY KEY,NAME VARCHAR );").arg(namenTable)))
            return false;
    }
    if (!hasTable(QStringLiteral("wettkampf"))) {
        qDebug("ADD TABLE wettkampf");
        if (!Competition::createTable(this))
            return false;
    }
    return Club::upgradeTable(this) && Athlete::upgradeTable(this) && t.commit();
}

QString AddressDB::nameSql(const NameEntry& entry)
{
    return QStringLiteral("INSERT OR REPLACE INTO %1 VALUES ( ").arg(namenTable)
        + (entry.ID > 0 ? QString::number(entry.ID) : QStringLiteral("NULL")) + QStringLiteral(", ")
        + TableLayout::text(entry.name) + QStringLiteral(" );");
}

int AddressDB::insertName(NameEntry& entry)
{
    entry.ID = 0;
    entry.ID = execInsert(nameSql(entry));
    if (entry.ID != -1)
        emit signalNameChanged(entry.ID);
    return entry.ID;
}

bool AddressDB::updateName(NameEntry& entry)
{
    const bool refused = entry.ID < 1;
    if (refused || !exec(nameSql(entry))) {
        setUpdateError("updateName", refused, ErrBadIndex);
        return false;
    }
    emit signalNameChanged(entry.ID);
    return true;
}

bool AddressDB::removeName(int id)
{
    if (!exec(QStringLiteral("DELETE FROM %1 WHERE ID = %2;").arg(namenTable).arg(id)))
        return false;
    emit signalNameRemoved(id);
    return true;
}

bool AddressDB::getNamen(QList<NameEntry>& out)
{
    out.clear();
    RuvoDBResult result;
    if (!query(QStringLiteral("SELECT ID, NAME FROM %1  ORDER BY NAME;").arg(namenTable), &result)) {
        qDebug().noquote() << "getNamen failed: " + lastError();
        return false;
    }
    for (const QStringList& row : qAsConst(result.rows)) {
        NameEntry e;
        e.ID = toInt(row.value(0));
        e.setName(row.value(1));
        out.append(e);
    }
    return true;
}

int AddressDB::insertVerein(Club& club)
{
    if (club.insert(this) != -1)
        emit signalVereinChanged(club.ID);
    return club.ID;
}

bool AddressDB::updateVerein(Club& club)
{
    return updateRecord(club, "updateVerein", [this](int id) { emit signalVereinChanged(id); });
}

bool AddressDB::getVereineWithLogo(RuvoDBList<Club>& list, const Club* filter, int order)
{
    return getClubs(this, list, filter, order, true);
}

bool AddressDB::getVereine(RuvoDBList<Club>& list, const Club* filter, int order)
{
    return getClubs(this, list, filter, order, false);
}

bool AddressDB::getVerein(Club& club, int id, bool withLogo)
{
    return Club::getById(this, club, id, withLogo);
}

bool AddressDB::removeVerein(int id)
{
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    // The check and the deletion see the same file.
    RuvoTransaction t(this);
    Athlete members;
    members.Verein = id;
    if (!noPersonsLeft(&members) || !Club::deleteClub(this, id) || !t.commit())
        return false;
    emit signalVereinRemoved(id);
    return true;
}

bool AddressDB::removeAllVereine()
{
    // Not in one guard with the check: the deletion ends with a VACUUM,
    // which cannot run inside a transaction. The deletion is all or nothing.
    if (!noPersonsLeft(nullptr) || !Club::deleteAll(this))
        return false;
    emit signalVereinRemoved(0);
    return true;
}

bool AddressDB::noPersonsLeft(const Athlete* filter)
{
    RuvoDBList<Athlete> persons;
    if (!getAthletes(this, persons, filter, 0, 0))
        return false;   // keeps the read's error
    if (persons.isEmpty())
        return true;
    setLastError(tr("Dem Verein sind noch Sportler zugeordnet!"));
    return false;
}

int AddressDB::insertAthlete(Athlete& a)
{
    if (a.insert(this) != -1)
        emit signalSportlerChanged(a.ID);
    return a.ID;
}

bool AddressDB::updateAthlete(Athlete& a)
{
    return updateRecord(a, "updateAthlete", [this](int id) { emit signalSportlerChanged(id); });
}

bool AddressDB::getPersonsWithRoleA(RuvoDBList<Athlete>& list, const Athlete* filter, int order)
{
    return getAthletes(this, list, filter, Athlete::RoleA, order);
}

bool AddressDB::getPersonsWithRoleC(RuvoDBList<Athlete>& list, const Athlete* filter, int order)
{
    return getAthletes(this, list, filter, Athlete::RoleC, order);
}

bool AddressDB::getPersonsWithRoleR(RuvoDBList<Athlete>& list, const Athlete* filter, int order)
{
    return getAthletes(this, list, filter, Athlete::RoleR, order);
}

bool AddressDB::getPersons(RuvoDBList<Athlete>& list, const Athlete* filter, int order)
{
    return getAthletes(this, list, filter, 0, order);
}

bool AddressDB::getAthlete(Athlete& a, int id)
{
    return Athlete::getById(this, a, id);
}

bool AddressDB::removeSportler(int id)
{
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    if (!Athlete::deleteAthlete(this, id))
        return false;
    emit signalSportlerRemoved(id);
    return true;
}

int AddressDB::joinSportler(int idA, int idB)
{
    int result;
    if (idA == 0 && idB == 0) {
        result = -1;
    } else if (idA == idB || idA == 0 || idB == 0) {
        result = idA != 0 ? idA : idB;
    } else {
        const bool keepA = quint32(idA) < quint32(idB);
        const int keep = keepA ? idA : idB;
        const int drop = keepA ? idB : idA;
        joined = true;
        qDebug("doing joinSportler removing ID=%d", drop);
        removeSportler(drop);   // a refusal leaves both; the entry list retries
        qDebug("Sportler %d + %d joined to ID=%d", idA, idB, keep);
        return keep;
    }
    joined = false;
    qDebug("Sportler %d + %d joined to ID=%d", idA, idB, result);
    return result;
}

int AddressDB::insertCompetition(Competition& c)
{
    if (c.insert(this) > 0)
        emit signalWettkampfChanged(c.ID);
    return c.ID;
}

bool AddressDB::updateCompetition(Competition& c)
{
    return updateRecord(c, "updateCompetition", [this](int id) { emit signalWettkampfChanged(id); });
}

bool AddressDB::getCompetitions(RuvoDBList<Competition>& list, const Competition* filter)
{
    return ::getCompetitions(this, list, filter);
}

bool AddressDB::getCompetition(Competition& c, int id)
{
    return Competition::getById(this, c, id);
}

bool AddressDB::removeWettkampf(int id)
{
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    if (!Competition::deleteCompetition(this, id))
        return false;
    emit signalWettkampfRemoved(id);
    return true;
}

int AddressDB::insertNameIcon(NameIcon& item)
{
    if (item.insert(*this) != -1)
        emit signalNameIconChanged(item);
    return item.ID;
}

bool AddressDB::updateNameIcon(NameIcon& item)
{
    if (item.ID < 1) {
        setLastError(QStringLiteral("updateNameIcon(): failed"));
        return false;
    }
    if (!item.update(*this)) {
        setUpdateError("updateNameIcon", false, 0);
        return false;
    }
    emit signalNameIconChanged(item);
    return true;
}

bool AddressDB::removeNameIcon(NameIcon& item)
{
    if (item.ID < 1) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    const NameIcon removed = item;
    if (!item.remove(*this))
        return false;
    emit signalNameIconRemoved(removed);
    return true;
}

bool AddressDB::getPerson(Athlete& a, int id)
{
    if (id > 0)
        return getAthlete(a, id);
    if (id == 0)
        return false;
    Club club;
    const bool found = getVerein(club, negated(id), true);
    a = club.Kontakt;
    a.roles |= Athlete::RoleF;
    a.Verein = club.ID;
    a.setNation(club.Nation);
    return found;
}

bool AddressDB::getExpandedAthlete(ExpandedAthlete& a, int id)
{
    if (!getAthlete(a, id))
        return false;
    Club club;
    const bool found = getVerein(club, a.Verein, false);
    a.VereinName = club.Name;
    a.Verband = club.Verband;
    return found;
}

QString AddressDB::portablePerson(int id)
{
    QString text;
    int clubId = negated(id);
    if (id > 0) {
        Athlete person;
        getAthlete(person, id);
        text = person.formatName(Person::LastNameFirst) + QLatin1Char('|');
        clubId = person.Verein;
    }
    Club club;
    if (getVerein(club, clubId, false))   // only the name is needed
        text += club.Name;
    qDebug() << "portablePerson:" << id << "-->" << text << "-->" << findPortablePerson(text);
    return text;
}

int AddressDB::findPortablePerson(const QString& text)
{
    const QStringList parts = text.split(QLatin1Char('|'), Qt::KeepEmptyParts, Qt::CaseSensitive);
    if (parts.size() > 2)
        return 0;
    // An empty part would be a filter without condition, matching whichever
    // club or person happens to be the only one.
    for (const QString& part : parts)
        if (part.simplified().isEmpty())
            return 0;

    Club clubFilter;
    clubFilter.setName(parts.last());
    RuvoDBList<Club> clubs;
    if (!getClubs(this, clubs, &clubFilter, 0, false) || clubs.size() != 1)
        return 0;
    if (parts.size() == 1)
        return negated(clubs.first().ID);

    Athlete personFilter;
    personFilter.setName(parts.first());
    personFilter.Verein = clubs.first().ID;
    RuvoDBList<Athlete> persons;
    if ((personFilter.Vorname.isEmpty() && personFilter.Nachname.isEmpty())
        || !getAthletes(this, persons, &personFilter, 0, 0) || persons.size() != 1)
        return 0;
    return persons.first().ID;
}

void AddressDB::setUpdateError(const char* operation, bool refused, int recordCode)
{
    setLastError(QLatin1String(operation) + QStringLiteral("(): ") + (refused ? errorText(recordCode) : lastError()));
}
