// The table "starter" of an entry list: one row per start entry, beside the
// entry's row in "Teams". Creation and upgrade of older files, the statement
// that stores an entry, and the readers with their filters and orders (cells
// are read by position).
#include "records/ACCompetitorData.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/RuvoTransaction.h"
#include "db/SqlLiteral.h"
#include "records/MeldeListeDB.h"
#include "records/StarterStatements.h"
#include "records/Starter_t.h"

#include <QDebug>

namespace {

const char* const starterTable = "starter";

const char* const createStarter =
    "CREATE TABLE starter ( ID INTEGER PRIMARY KEY,Verein INTEGER,WbName VARCHAR(32),s0 INTEGER,s1 INTEGER,"
    "s2 INTEGER,s3 INTEGER,s4 INTEGER,s5 INTEGER,Prufsumme INTEGER,PbDatum INTEGER,PbOrt VARCHAR(32),m_w CHAR,"
    "Diszi CHAR,AK CHAR,Bestleistung INTEGER,aufgestellt INTEGER,u0 CHAR(8),u1 CHAR(8),u2 CHAR(8),u3 CHAR(8),"
    "u4 CHAR(8),u5 CHAR(8),u6 CHAR(8),u7 CHAR(8),u8 CHAR(8),u9 CHAR(8),u10 CHAR(8),u11 CHAR(8),u12 CHAR(8),"
    "u13 CHAR(8),u14 CHAR(8),u15 CHAR(8),u16 CHAR(8),u17 CHAR(8),u18 CHAR(8),u19 CHAR(8),u20 CHAR(8),"
    "u21 CHAR(8),u22 CHAR(8),u23 CHAR(8),u24 CHAR(8),u25 CHAR(8),u26 CHAR(8),u27 CHAR(8),u28 CHAR(8),"
    "u29 CHAR(8),teamID INTEGER ) ;";

// The team row's columns that only the competitor records read, after the
// ones both readers share.
const char* const moreTeamColumns =
    ", Teams.Name, Teams.Diszi, Teams.Email , Teams.s0, Teams.s1, Teams.s2, Teams.s3, Teams.s4, Teams.s5, "
    "Teams.r1, Teams.r2";

using namespace StarterStatements;

// Result columns after the shared ones.
enum {
    ColTeamName = StarterColumnCount,
    ColTeamDiszi,
    ColTeamEmail,
    ColTeamS0,
    ColumnCount = ColTeamS0 + 8,   // six members and two reserves
};

// A text, cleaned, as an SQL literal.
QString literal(const QString& text)
{
    return sqlText(cleanSqlText(text));
}

void appendText(QString& s, const QString& text)
{
    s += QLatin1String(", ");
    s += literal(text);
}

QString charText(char c)
{
    return sqlText(QString(QLatin1Char(c)));
}

void addCondition(QString& s, bool& first, const QString& condition)
{
    s += first ? QStringLiteral(" WHERE ") : QStringLiteral(" AND ");
    s += condition;
    first = false;
}

bool hasColumn(const RuvoDBResult& names, const char* column)
{
    return names.columns.contains(QLatin1String(column));
}

bool alter(RuvoDB* db, const char* statement)
{
    const bool ok = db->exec(QLatin1String(statement));
    qDebug() << statement;
    return ok;
}

// Fills the entry from a result row. The team row's values count only when
// the join found that row: an entry whose team row is gone keeps its own.
void fillFromRow(ACCompetitorData& e, const QStringList& row)
{
    e.ID = toInt(row.at(ColId));
    e.Verein = toInt(row.at(ColVerein));
    e.setName(row.at(ColWbName));
    for (int k = 0; k < Starter_t::MemberCount; ++k)
        e.team.setMember(toInt(row.at(ColS0 + k)));
    e.team.BestDatum = secondsToDate(toInt64(row.at(ColPbDatum)));
    e.setBestOrt(row.at(ColPbOrt));
    e.team.gender = sexFromText(row.at(ColGender));
    e.team.disci = disziFromString(row.at(ColDiszi));
    e.team.ageClass = akFromString(row.at(ColAgeClass));
    e.team.Best = quint16(toInt(row.at(ColBest)));
    e.given = toInt(row.at(ColGiven));
    for (int i = 0; i < FigureList::Positions; ++i)
        e.setFigure(i, row.at(ColU0 + i));
    e.team.ID = toInt(row.at(ColTeamId));
    if (e.team.ID <= 0)
        return;
    bool joined = false;   // a missing row arrives as empty cells only
    for (int c = ColTeamBestDatum; c < ColumnCount && !joined; ++c)
        joined = !row.at(c).isEmpty();
    if (!joined) {
        e.team.ID = 0;
        return;
    }
    e.team.BestDatum = secondsToDate(toInt64(row.at(ColTeamBestDatum)));
    e.setBestOrt(row.at(ColTeamBestOrt));
    e.team.Best = quint16(toInt(row.at(ColTeamBest)));
    e.team.setName(row.at(ColTeamName));
    const int teamDisci = toInt(row.at(ColTeamDiszi));
    if (teamDisci < 1) {
        e.team.ID = 0;
        return;
    }
    e.team.disci = teamDisci;
    e.team.Email = row.at(ColTeamEmail);
    for (int c = ColTeamS0; c < ColumnCount; ++c)
        e.team.addReserve(toInt(row.at(c)));
}

} // namespace

bool ACCompetitorData::createTable(RuvoDB* db)
{
    if (!db)
        return false;
    if (db->hasTable(QLatin1String(starterTable)))
        return upgradeTable(db);
    RuvoTransaction t(db);
    const bool created = db->exec(QLatin1String(createStarter));
    const bool teams = ACTeamData::createTable(db);
    return created && teams && t.commit();
}

bool ACCompetitorData::upgradeTable(RuvoDB* db)
{
    if (!db)
        return false;
    if (!db->isOpen() || db->isReadLocked() || db->isWriteLocked())
        return true;
    if (!db->hasTable(QLatin1String(starterTable)))
        return false;
    RuvoDBResult names;
    db->columns(starterTable, &names);   // no names read: every column counts as missing
    RuvoTransaction t(db);
    bool ok = true;
    if (!hasColumn(names, "u28")) {
        qDebug() << "ALTE MELDELISTE";
        alter(db, "ALTER TABLE starter ADD COLUMN u28 CHAR(8);");
        ok = alter(db, "ALTER TABLE starter ADD COLUMN u29 CHAR(8);");
    }
    if (ok && !hasColumn(names, "teamID"))
        ok = alter(db, "ALTER TABLE starter ADD COLUMN teamID INTEGER;");
    // A file from before team rows gets its "Teams" table here.
    const bool teams = ACTeamData::createTable(db);
    return ok && teams && t.commit();
}

QString& ACCompetitorData::insertSql()
{
    QString s;
    s.reserve(640);
    s += QLatin1String("INSERT OR REPLACE INTO starter VALUES ( ");
    if (ID > 0)
        appendNumber(s, "", ID);
    else
        s += QLatin1String("NULL");
    appendNumber(s, ", ", Verein);
    appendText(s, WbName);
    for (int k = 0; k < Starter_t::MemberCount; ++k)
        appendNumber(s, ", ", athleteId(k));
    appendNumber(s, ", ", qint32(figures.checksum()));
    const qint64 bestDate = dateToSeconds(team.BestDatum);
    appendNumber(s, ", ", bestDate);
    appendText(s, team.BestOrt);
    for (char c : { sexToChar(gender()), disziToChar(disci()), akToChar(ageClass()) })
        appendText(s, QString(QLatin1Char(c)));
    appendNumber(s, ", ", team.Best);
    appendNumber(s, ", ", given);
    for (int i = 0; i < FigureList::Positions; ++i)
        appendText(s, figures.at(i).text());
    appendNumber(s, ",  ", team.ID);
    s += QLatin1String("  ); ");
    if (team.ID >= 1) {
        // The team's personal best follows the entry into its team row.
        appendNumber(s, "UPDATE Teams SET BestDatum = ", bestDate);
        s += QLatin1String(", BestOrt = ");
        s += literal(team.BestOrt);
        appendNumber(s, ", Best = ", team.Best);
        appendNumber(s, " WHERE ID = ", team.ID);
        s += QLatin1Char(';');
    }
    sqlText = s;
    return sqlText;
}

int ACCompetitorData::insert(RuvoDB* db)
{
    ID = 0;
    if (!db) {
        ID = -1;
        return ID;
    }
    const QString& sql = insertSql();
    if (team.ID < 1) {
        ID = db->execInsert(sql);
        return ID;
    }
    RuvoTransaction t(db);   // the entry and its team row's best land together
    const int id = db->execInsert(sql);
    ID = id >= 0 && t.commit() ? id : -1;
    return ID;
}

bool ACCompetitorData::update(RuvoDB* db)
{
    if (ID < 1) {
        errorCode = RuvoDB::ErrBadIndex;
        return false;
    }
    if (!db)
        return false;
    const QString& sql = insertSql();
    if (team.ID < 1)
        return db->exec(sql);
    RuvoTransaction t(db);
    return db->exec(sql) && t.commit();
}

QList<int> ACCompetitorData::getIds(RuvoDB* db)
{
    QList<int> ids;
    RuvoDBResult result;
    if (!db || !db->query("SELECT ID FROM starter ORDER by ID;", &result))
        return ids;
    for (const QStringList& row : qAsConst(result.rows))
        if (row.size() == 1)
            ids << toInt(row.first());
    return ids;
}

QString ACCompetitorData::selectText(const ACCompetitorData* filter, int order)
{
    QString s = StarterStatements::selectText(moreTeamColumns);
    bool first = true;
    if (filter && filter->ID != 0) {
        addCondition(s, first, QStringLiteral("starter.ID = ") + QString::number(filter->ID));
    } else if (filter) {
        if (filter->team.ID >= 1) {
            addCondition(s, first, QStringLiteral("starter.TeamID = ") + QString::number(filter->team.ID));
        } else {
            if (filter->disci() != 0)
                addCondition(s, first, QStringLiteral("starter.Diszi = ") + charText(disziToChar(filter->disci())));
            ACTeamData memberSet;
            memberSet.setMembers(filter->team.members);
            if (memberSet.members.size() == 1)
                addCondition(s, first, QStringLiteral("starter.s0 = %1 ").arg(memberSet.members.first()));
            if (memberSet.members.isEmpty()) {
                if (filter->Verein != 0)
                    addCondition(s, first, QStringLiteral("(starter.Verein = %1 OR starter.Verein < 0)")
                                               .arg(filter->Verein));
                if (filter->gender() != 0)
                    addCondition(s, first, QStringLiteral("starter.m_w = ") + charText(sexToChar(filter->gender())));
                if (filter->ageClass() != 0 && filter->given == 0)
                    addCondition(s, first, QStringLiteral("starter.AK = ") + charText(akToChar(filter->ageClass())));
            }
        }
        if (filter->figures.checksum() != 0)
            addCondition(s, first,
                         QStringLiteral("starter.Prufsumme = ") + QString::number(qint32(filter->figures.checksum())));
        if (!filter->WbName.isEmpty())
            addCondition(s, first, QStringLiteral("starter.WbName = ") + literal(filter->WbName));
    }
    return s + StarterStatements::orderText(order);
}

bool ACCompetitorData::getACCompetitors(RuvoDB* db, RuvoDBList<ACCompetitorData>& out,
                                        const ACCompetitorData* filter, int order)
{
    out.clear();
    if (!db)
        return false;
    RuvoDBResult result;
    if (!db->query(selectText(filter, order), &result)) {
        qDebug() << "getStarter failed: " << db->lastError();
        return false;
    }
    ACTeamData memberSet;
    if (filter && filter->ID == 0 && filter->team.ID < 1)
        memberSet.setMembers(filter->team.members);
    const bool byTeam = memberSet.members.size() >= 2;
    ACCompetitorData e;
    for (const QStringList& row : qAsConst(result.rows)) {
        if (row.size() < ColumnCount)
            continue;
        e.clear();
        fillFromRow(e, row);
        if (byTeam && !memberSet.hasSameMembers(e.team))
            continue;
        if (byTeam && e.team.members != memberSet.members)
            qDebug().noquote() << "ACCompetitorData::getACCompetitors team filter:" << ('"' + e.WbName + '"')
                               << memberSet.members << e.team.members;
        out.append(e);
    }
    return true;
}

int ACCompetitorData::assignCompetitorsToTeam(MeldeListeDB* db, const ACTeamData& team)
{
    if (team.ID <= 0 || !db)
        return -1;
    ACCompetitorData filter;
    filter.team.setMembers(team.members);
    // No members would leave only the discipline as condition and link every
    // free entry of it (of all of them for discipline 0).
    if (filter.team.members.isEmpty())
        return 0;
    filter.setDisci(team.disci, true);
    RuvoDBList<ACCompetitorData> entries;
    if (!getACCompetitors(db, entries, &filter, Unordered))
        return -1;
    RuvoTransaction t(db);
    int withTeam = 0;
    int assigned = 0;
    for (ACCompetitorData& e : entries) {
        if (e.team.ID != 0) {
            ++withTeam;
            continue;
        }
        e.team.ID = team.ID;
        if (!db->updateStarter(e))
            return -1;   // a refused or failed update undoes the others
        ++assigned;
    }
    if (!t.commit())
        return -1;
    qDebug("ACCompetitorData::assignCompetitorsToTeam %d found, %d withTeam, %d assigned", int(entries.size()),
           withTeam, assigned);
    return assigned;
}
