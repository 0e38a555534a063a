// The start entries of the entry list: the storing statement of the flat
// record Starter_t, inserts and updates with their hooks and signals, and the
// readers of both forms (Starter_t and ACCompetitorData) with filters and
// orders. Texts go into statements cleaned, as literals; cells are read by
// position, fixed-width fields within their width.
//
// Every write and read of Starter_t records is done once more through the
// competitor records, and where the two routes to the table part ways the
// debug log says so: that is how a difference shows up in the field. The
// result always comes from the Starter_t route.
#include "records/MeldeListeDB.h"

#include "db/Conversions.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"
#include "records/StarterStatements.h"

#include <QDebug>

namespace {

const char* const refused = "refused by user";

using namespace StarterStatements;

// A fixed-width text field, read no further than its width.
QString field(const char* text, int width)
{
    QString s;
    return fromCString(s, text, width);
}

QString literal(const char* text, int width)
{
    return sqlText(cleanSqlText(field(text, width)));
}

void appendChar(QString& s, char c)
{
    const char piece[] = { ',', ' ', '\'', c, '\'', '\0' };
    s += QLatin1String(piece);
}

QString charCondition(const char* column, char c)
{
    return QLatin1String(column) + sqlText(QString(QLatin1Char(c)));
}

void fillStarter(Starter_t& s, const QStringList& row)
{
    s.id = toInt(row.at(ColId));
    s.clubId = toInt(row.at(ColVerein));
    toCString(s.name, row.at(ColWbName), Starter_t::NameSize);
    for (int k = 0; k < Starter_t::MemberCount; ++k)
        s.members[k] = toInt(row.at(ColS0 + k));
    s.checksum = uint32_t(toInt(row.at(ColPrufsumme)));
    s.bestDate = toInt(row.at(ColPbDatum));
    toCString(s.bestPlace, row.at(ColPbOrt), Starter_t::PlaceSize);
    s.gender = sexFromText(row.at(ColGender));
    s.disci = disziFromString(row.at(ColDiszi));
    s.ageClass = akFromString(row.at(ColAgeClass));
    s.best = uint16_t(toInt(row.at(ColBest)));
    s.given = uint16_t(toInt(row.at(ColGiven)));
    for (int i = 0; i < Starter_t::CodeCount; ++i)
        toCString(s.codes[i], row.at(ColU0 + i), Starter_t::CodeSize);
    s.teamId = toInt(row.at(ColTeamId));
    // A team row that is gone arrives as empty cells; the entry keeps its own best.
    const bool joined = !row.at(ColTeamBestDatum).isEmpty() || !row.at(ColTeamBestOrt).isEmpty()
        || !row.at(ColTeamBest).isEmpty();
    if (s.teamId < 1 || !joined)
        return;
    s.bestDate = toInt(row.at(ColTeamBestDatum));
    toCString(s.bestPlace, row.at(ColTeamBestOrt), Starter_t::PlaceSize);
    s.best = uint16_t(toInt(row.at(ColTeamBest)));
}

// The competitor record's statement for the same entry, logged beside this
// route's when the two differ.
void compareStatements(const char* tag, const QString& sql, const Starter_t& entry)
{
    ACCompetitorData competitor(entry);
    const QString& other = competitor.insertSql();
    if (other == sql)
        return;
    qDebug("%s", tag);
    qDebug().noquote() << sql;
    qDebug().noquote() << other;
}

// A comparison read: whatever it meets, the last error stays as the read
// that counts left it.
template<class Read>
bool readAside(RuvoDB& db, Read read)
{
    const QString error = db.lastError();
    const bool ok = read();
    db.setLastError(error);
    return ok;
}

} // namespace

template<class Entry>
bool MeldeListeDB::hookAllows(void (MeldeListeDB::*hook)(Entry&, bool&), Entry& entry, const char* operation)
{
    bool ok = true;
    emit (this->*hook)(entry, ok);
    if (!ok)
        setLastError(QLatin1String(operation) + QLatin1String(refused));
    return ok;
}

void MeldeListeDB::starterInsertSql(QString& sql, const Starter_t& e)
{
    sql.clear();
    sql.reserve(700);
    sql += QLatin1String("INSERT OR REPLACE INTO starter VALUES ( ");
    if (e.id < 1)
        sql += QLatin1String("NULL");
    else
        appendNumber(sql, "", e.id);
    appendNumber(sql, ", ", e.clubId);
    sql += QLatin1String(", ");
    sql += literal(e.name, Starter_t::NameSize);
    for (int id : e.members)
        appendNumber(sql, ", ", id);
    appendNumber(sql, ", ", int32_t(e.checksum));
    appendNumber(sql, ", ", e.bestDate);
    const QString place = literal(e.bestPlace, Starter_t::PlaceSize);
    sql += QLatin1String(", ");
    sql += place;
    appendChar(sql, sexToChar(e.gender));
    appendChar(sql, disziToChar(e.disci));
    appendChar(sql, akToChar(e.ageClass));
    appendNumber(sql, ", ", e.best);
    appendNumber(sql, ", ", e.given);
    for (const char* code : e.codes) {
        sql += QLatin1String(", ");
        sql += sqlText(field(code, Starter_t::CodeSize));
    }
    appendNumber(sql, ",  ", e.teamId);
    sql += QLatin1String("  ); ");
    if (e.teamId < 1)
        return;
    // The team row takes the best result of the entry stored last.
    appendNumber(sql, "UPDATE Teams SET BestDatum = ", e.bestDate);
    sql += QLatin1String(", BestOrt = ");
    sql += place;
    appendNumber(sql, ", Best = ", e.best);
    appendNumber(sql, " WHERE ID = ", e.teamId);
    sql += QLatin1Char(';');
}

int MeldeListeDB::insertStarter(Starter_t& entry)
{
    entry.id = 0;
    if (!hookAllows(&MeldeListeDB::starterHook, entry, "insertStarter(): "))
        return -1;
    entry.id = 0;   // an insert makes a new row, whatever the hook did
    QString sql;
    starterInsertSql(sql, entry);
    compareStatements("insertStarter differ", sql, entry);
    // The entry, its team row's best and the read of the stored form land together.
    RuvoTransaction t(this);
    const int id = execInsert(sql);
    entry.id = id;
    if (id == -1)
        return -1;
    StarterList stored;
    const bool read = getStarter(stored, &entry, 0);
    if (read && stored.items.size() != 1)
        setLastError(errorText(ErrResults));
    if (!read || stored.items.size() != 1 || !t.commit()) {
        entry.id = -1;
        return -1;
    }
    entry = *stored.items.first();   // cleaned texts, the team's best, netInfo
    emit signalStarterChanged(entry.id);
    return entry.id;
}

int MeldeListeDB::insertStarter(ACCompetitorData& entry)
{
    entry.ID = 0;
    if (!hookAllows(&MeldeListeDB::competitorHook, entry, "insertStarter(): "))
        return -1;
    const int id = entry.insert(this);   // atomic with its team row's best
    if (id <= 0)
        return -1;
    emit signalStarterChanged(id);
    return id;
}

bool MeldeListeDB::updateStarter(Starter_t& entry)
{
    if (entry.id < 1) {
        setLastError(QStringLiteral("updateStarter (): ") + errorText(ErrBadIndex));
        return false;
    }
    if (!hookAllows(&MeldeListeDB::starterHook, entry, "updateStarter (): "))
        return false;
    QString sql;
    starterInsertSql(sql, entry);
    compareStatements("updateStarter differ", sql, entry);
    RuvoTransaction t(this);
    if (!exec(sql) || !t.commit())
        return false;
    emit signalStarterChanged(entry.id);
    return true;
}

bool MeldeListeDB::updateStarter(ACCompetitorData& entry)
{
    if (!hookAllows(&MeldeListeDB::competitorHook, entry, "updateStarter (): "))
        return false;
    return updateACCompetitor(entry);
}

bool MeldeListeDB::updateACCompetitor(ACCompetitorData& entry)
{
    return updateRecord(entry, "updateACCompetitor", [this](int id) { emit signalStarterChanged(id); });
}

bool MeldeListeDB::updateWbName(int id, const QString& name)
{
    return exec(QStringLiteral("UPDATE starter SET  WbName = ") + sqlText(cleanSqlText(name))
                + QStringLiteral(" WHERE ID = ") + QString::number(id) + QLatin1Char(';'));
}

bool MeldeListeDB::removeStarter(int id)
{
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    if (!exec(QString::asprintf("DELETE FROM starter WHERE ID = %d", id)))
        return false;
    emit signalStarterRemoved(id);
    return true;
}

int MeldeListeDB::starterNetInfo(int)
{
    return 0;
}

int MeldeListeDB::starterCount()
{
    return count("starter");
}

QString MeldeListeDB::starterSelectText(const Starter_t* filter, int order)
{
    QStringList conditions;
    if (filter && filter->id != 0) {
        conditions << QStringLiteral("starter.ID = %1").arg(filter->id);
    } else if (filter && filter->teamId > 0) {
        conditions << QStringLiteral("starter.TeamID = %1").arg(filter->teamId);
    } else if (filter) {
        // A club's entries come with every start group's (club ID below 0).
        if (filter->clubId != 0)
            conditions << QStringLiteral("(starter.Verein = %1 OR starter.Verein < 0)").arg(filter->clubId);
        if (filter->name[0])
            conditions << QStringLiteral("starter.WbName = ") + literal(filter->name, Starter_t::NameSize);
        if (filter->gender != 0)
            conditions << charCondition("starter.m_w = ", sexToChar(filter->gender));
        if (filter->disci != 0)
            conditions << charCondition("starter.Diszi = ", disziToChar(filter->disci));
        if (filter->ageClass != 0)
            conditions << charCondition("starter.AK = ", akToChar(filter->ageClass));
        if (filter->given != 0)
            conditions << QStringLiteral("starter.aufgestellt = %1").arg(filter->given);
        for (int i = 0; i < Starter_t::MemberCount; ++i)
            if (filter->members[i] != 0)
                conditions << QStringLiteral("starter.s%1 = %2 ").arg(i).arg(filter->members[i]);
    }
    QString s = StarterStatements::selectText();
    if (!conditions.isEmpty())
        s += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    return s + StarterStatements::orderText(order);
}

bool MeldeListeDB::getStarter(StarterList& list, const Starter_t* filter, int order)
{
    const bool ok = readStarters(list, filter, order);
    const ACCompetitorData competitorFilter = filter ? ACCompetitorData(*filter) : ACCompetitorData();
    RuvoDBList<ACCompetitorData> competitors;
    const bool competitorsOk = readAside(*this, [&] {
        return getACCompetitors(competitors, filter ? &competitorFilter : nullptr, order);
    });
    if (competitors.size() != list.items.size())
        qDebug("ACCompetitorList differ in size: %d -- %d", int(list.items.size()), int(competitors.size()));
    if (competitorsOk != ok)
        qDebug("ACCompetitorList differ in return: %d -- %d", int(ok), int(competitorsOk));
    return ok;
}

bool MeldeListeDB::readStarters(StarterList& list, const Starter_t* filter, int order)
{
    list.clear();
    list.autoDelete = true;
    RuvoDBResult result;
    if (!query(starterSelectText(filter, order), &result)) {
        qDebug().noquote() << "getStarter failed: " + lastError();
        return false;
    }
    list.items.reserve(result.rows.size());
    for (const QStringList& row : qAsConst(result.rows)) {
        if (row.size() < StarterColumnCount)
            continue;
        auto* entry = new Starter_t;
        fillStarter(*entry, row);
        cleanStarter(*entry);
        entry->netInfo = starterNetInfo(entry->id);
        list.items.append(entry);
    }
    return true;
}

void MeldeListeDB::cleanStarter(Starter_t& entry)
{
    entry.name[Starter_t::NameSize - 1] = '\0';
    cleanSqlText(entry.name);
    entry.bestPlace[Starter_t::PlaceSize - 1] = '\0';
    cleanSqlText(entry.bestPlace);
    for (char* code : entry.codes)
        code[Starter_t::CodeSize - 1] = '\0';
}

bool MeldeListeDB::getStarterByCategory(StarterList& list, int category, int order)
{
    Starter_t filter;
    unpackCategory(&filter.disci, &filter.gender, &filter.ageClass, category);
    return getStarter(list, &filter, order);
}

bool MeldeListeDB::getStarterOfTeam(StarterList& list, int teamId, int order)
{
    Starter_t filter;
    filter.teamId = teamId;
    return getStarter(list, &filter, order);
}

bool MeldeListeDB::getStarterById(Starter_t& entry, int id)
{
    entry = Starter_t();
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    Starter_t filter;
    filter.id = id;
    StarterList found;
    const bool ok = getStarter(found, &filter, 0) && found.items.size() == 1;
    if (ok)
        entry = *found.items.first();
    ACCompetitorData competitor;
    const bool competitorOk = readAside(*this, [&] { return getACCompetitorById(competitor, id); });
    if (competitorOk != ok)
        qDebug() << "MeldeListeDB::getStarterById return differ:" << ok << competitorOk;
    return ok;
}

bool MeldeListeDB::getACCompetitors(RuvoDBList<ACCompetitorData>& list, const ACCompetitorData* filter, int order)
{
    const bool ok = ACCompetitorData::getACCompetitors(this, list, filter, order);
    for (ACCompetitorData& e : list)
        e.netInfo = starterNetInfo(e.ID);
    return ok;
}

bool MeldeListeDB::getACCompetitorsByCategory(RuvoDBList<ACCompetitorData>& list, int category, int order)
{
    ACCompetitorData filter;
    unpackCategory(&filter.team.disci, &filter.team.gender, &filter.team.ageClass, category);
    return getACCompetitors(list, &filter, order);
}

bool MeldeListeDB::getACCompetitorsOfTeam(RuvoDBList<ACCompetitorData>& list, int teamId, int order)
{
    ACCompetitorData filter;
    filter.team.ID = teamId;
    return getACCompetitors(list, &filter, order);
}

bool MeldeListeDB::getACCompetitorById(ACCompetitorData& entry, int id)
{
    entry.clear();
    if (id == 0) {
        setLastError(errorText(ErrBadIndex));
        return false;
    }
    ACCompetitorData filter;
    filter.ID = id;
    RuvoDBList<ACCompetitorData> found;
    if (!getACCompetitors(found, &filter, 0) || found.size() != 1)
        return false;
    entry = found.first();
    return true;
}
