// The entry-list team record: its sizes and comparisons, its part of the flat
// record Starter_t, and the table "Teams"
// (creation, upgrade of older files, the statements that write, delete and
// read team rows; cells are read by position).
#include "records/ACTeamData.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"
#include "records/RecordWrites.h"
#include "records/Starter_t.h"
#include "records/TeamSize.h"

#include <QCoreApplication>
#include <QDebug>

namespace {

const char* const teamsTable = "Teams";
const int storedMembers = 6;
const int storedReserves = 2;

// Column positions of a row.
enum {
    ColId = 0,
    ColS0 = 1,
    ColDiszi = 7,
    ColName = 8,
    ColUciName = 9,
    ColBestDatum = 10,
    ColBestOrt = 11,
    ColBest = 12,
    ColGender = 13,
    ColAgeClass = 14,
    ColR1 = 15,
    ColEmail = 17,
};

const char* const createTeams =
    "CREATE TABLE %1 ( ID INTEGER PRIMARY KEY,s0 INTEGER,s1 INTEGER,s2 INTEGER,s3 INTEGER,"
    "s4 INTEGER,s5 INTEGER,Diszi CHAR,Name VARCHAR(32),UCIName  VARCHAR(4),BestDatum INTEGER,"
    "BestOrt VARCHAR(32),Best INTEGER,m_w CHAR,ak CHAR,r1 INTEGER,r2 INTEGER,Email VARCHAR(32) ) ;";

QString withTable(const char* statement)
{
    return QString::asprintf(statement, teamsTable);
}

// The pieces of a row's statement, each behind ", ". Appended in place: a
// caller that inserts thousands of teams builds thousands of these.
void addText(QString& s, const QString& text)
{
    s += QLatin1String(", ");
    s += sqlText(cleanSqlText(text));
}

void addCode(QString& s, char code)
{
    const char literal[] = { ',', ' ', '\'', code, '\'', '\0' };
    s += QLatin1String(literal);
}

void addNumber(QString& s, qint64 value)
{
    s += QLatin1String(", ");
    s += QString::number(value);
}

void addId(QString& s, const QList<int>& ids, int k)
{
    addNumber(s, k < ids.size() ? ids.at(k) : 0);
}

ACTeamData teamFromRow(const QStringList& row)
{
    ACTeamData team;
    team.ID = toInt(row.value(ColId));
    for (int k = 0; k < storedMembers; ++k)
        team.setMember(toInt(row.value(ColS0 + k)));
    team.disci = toInt(row.value(ColDiszi));
    team.Name = row.value(ColName);
    team.UCIName = row.value(ColUciName);
    team.BestDatum = secondsToDate(toInt64(row.value(ColBestDatum)));   // past 2038 in 64 bits
    team.BestOrt = row.value(ColBestOrt);
    team.Best = quint16(toInt(row.value(ColBest)));
    team.gender = sexFromText(row.value(ColGender));
    team.ageClass = akFromString(row.value(ColAgeClass));
    for (int k = 0; k < storedReserves; ++k)
        team.setReserve(toInt(row.value(ColR1 + k)));
    team.Email = row.value(ColEmail);
    return team;
}

// The first position beyond s5 at which the filter names a member, -1 when
// there is none. No column holds such a member, so no statement can match it.
int unstoredMemberPosition(const TeamDataBase* filter)
{
    if (!filter)
        return -1;
    for (int k = storedMembers; k < filter->members.size(); ++k)
        if (filter->members.at(k) > 0)
            return k;
    return -1;
}

} // namespace

ACTeamData::ACTeamData()
{
    ACTeamData::clear();
}

ACTeamData::ACTeamData(const TeamDataBase& base) : TeamDataBase(base)
{
}

ACTeamData::~ACTeamData() = default;

void ACTeamData::clear()
{
    TeamDataBase::clear();
    BestDatum = QDate();
    BestOrt.clear();
    Best = 0;
    Email.clear();
}

int ACTeamData::minSportler() const
{
    return getTeamSize(disci);
}

int ACTeamData::maxSportler() const
{
    return minSportler();
}

int ACTeamData::maxReserve() const
{
    const int size = maxSportler();
    return size < 3 ? 0 : size / 2 - 1;
}

void ACTeamData::dump() const
{
    TeamDataBase::dump();
    qDebug() << "ACTeamData: PbBest" << BestDatum << BestOrt << Best;
    qDebug() << "ACTeamData: Email:" << Email;
}

bool ACTeamData::operator==(const ACTeamData& other) const
{
    return TeamDataBase::operator==(other) && Best == other.Best && BestDatum == other.BestDatum
        && BestOrt == other.BestOrt && Email == other.Email;
}

void ACTeamData::toStarter(Starter_t& s) const
{
    for (int i = 0; i < Starter_t::MemberCount; ++i)
        s.members[i] = i < members.size() ? members.at(i) : 0;
    s.disci = disci;
    toCString(s.name, Name, Starter_t::NameSize);
    s.bestDate = BestDatum.isValid() ? int32_t(uint32_t(dateToSeconds(BestDatum))) : 0;
    toCString(s.bestPlace, BestOrt, Starter_t::PlaceSize);
    s.best = Best;
    s.gender = gender;
    s.ageClass = ageClass;
}

void ACTeamData::fromStarter(const Starter_t& s)
{
    clear();
    for (int id : s.members)
        setMember(id);
    disci = s.disci;
    QString text;
    setName(fromCString(text, s.name, Starter_t::NameSize));
    BestDatum = secondsToDate(s.bestDate);
    BestOrt = fromCString(text, s.bestPlace, Starter_t::PlaceSize);
    Best = s.best;
    gender = s.gender;
    ageClass = s.ageClass;
}

bool ACTeamData::createTable(RuvoDB* db)
{
    if (!db)
        return false;
    if (db->hasTable(QString::fromLatin1(teamsTable)))
        return upgradeTable(db);
    return db->exec(QString::fromLatin1(createTeams).arg(QLatin1String(teamsTable)));
}

bool ACTeamData::upgradeTable(RuvoDB* db)
{
    if (!db || !db->hasTable(QString::fromLatin1(teamsTable)))
        return false;
    RuvoDBResult names;
    db->columns(teamsTable, &names);  // no columns read: every column counts as missing
    if (!names.columns.contains(QStringLiteral("m_w"))) {
        qDebug() << "ALTE MELDELISTE update TEAMS";
        db->exec(withTable("ALTER TABLE %s ADD COLUMN m_w CHAR;"));
        db->exec(withTable("ALTER TABLE %s ADD COLUMN ak CHAR;"));
        db->exec(withTable("ALTER TABLE %s ADD COLUMN r1 INTEGER;"));
        if (!db->exec(withTable("ALTER TABLE %s ADD COLUMN r2 INTEGER;")))
            return false;
    }
    if (!names.columns.contains(QStringLiteral("Email"))) {
        qDebug() << "ALTE MELDELISTE update TEAMS";
        return db->exec(withTable("ALTER TABLE %s ADD COLUMN Email VARCHAR(32);"));
    }
    return true;
}

QString& ACTeamData::sqlReplaceText()
{
    QString s;
    s.reserve(256);
    s += QLatin1String("INSERT OR REPLACE INTO ");
    s += QLatin1String(teamsTable);
    s += QLatin1String(" VALUES ( ");
    s += ID > 0 ? QString::number(ID) : QStringLiteral("NULL");
    for (int k = 0; k < storedMembers; ++k)
        addId(s, members, k);
    addNumber(s, disci);
    addText(s, Name);
    addText(s, UCIName);
    addNumber(s, dateToSeconds(BestDatum));
    addText(s, BestOrt);
    addNumber(s, Best);
    addCode(s, sexToChar(gender));
    addCode(s, akToChar(ageClass));
    for (int k = 0; k < storedReserves; ++k)
        addId(s, reserves, k);
    addText(s, Email);
    s += QLatin1String(" );");
    sqlText = s;
    qDebug().noquote() << sqlText;
    return sqlText;
}

int ACTeamData::insert(RuvoDB* db)
{
    return RecordWrites::insert(*this, db);
}

bool ACTeamData::update(RuvoDB* db)
{
    return RecordWrites::update(*this, db);
}

bool ACTeamData::deleteTeam(RuvoDB* db, int id)
{
    return RecordWrites::remove(db, QLatin1String(teamsTable), id);
}

bool ACTeamData::deleteAll(RuvoDB* db)
{
    return RecordWrites::removeAll(db, QLatin1String(teamsTable), "ACTeamData::deleteAll:");
}

QString ACTeamData::selectText(const TeamDataBase* filter)
{
    if (unstoredMemberPosition(filter) >= 0)
        return QString();
    QString s = withTable("SELECT * FROM %s");
    if (filter) {
        QStringList conditions;
        if (filter->disci != 0)
            conditions << QStringLiteral(" Diszi = %1").arg(filter->disci);
        // Empty positions (0 or less) and an ID of 0 or less add no condition.
        for (int k = 0; k < filter->members.size() && k < storedMembers; ++k)
            if (filter->members.at(k) > 0)
                conditions << QStringLiteral(" s%1 = %2").arg(k).arg(filter->members.at(k));
        if (filter->ID > 0)
            conditions << QStringLiteral(" ID = %1").arg(filter->ID);
        if (!conditions.isEmpty())
            s += QStringLiteral(" WHERE ") + conditions.join(QStringLiteral(" AND "));
    }
    return s + QStringLiteral(";");
}

bool ACTeamData::getById(RuvoDB* db, ACTeamData& team, int id)
{
    RuvoDBList<ACTeamData> found;
    ACTeamData filter;
    filter.ID = id;
    if (id <= 0 || !getTeams(db, found, &filter) || found.size() != 1) {
        team.clear();
        return false;
    }
    team = found.first();
    return true;
}

bool getTeams(RuvoDB* db, RuvoDBList<ACTeamData>& list, const TeamDataBase* filter)
{
    list.clear();
    if (!db)
        return false;
    // Dropping the condition would hand out teams without that member.
    const int unstored = unstoredMemberPosition(filter);
    if (unstored >= 0) {
        db->setLastError(QCoreApplication::translate("ACTeamData",
            "Ein Team hat nur die Positionen 0 bis 5; der Filter nennt ein Mitglied an Position %1.")
                             .arg(unstored));
        return false;
    }
    RuvoDBResult result;
    if (!db->query(ACTeamData::selectText(filter), &result))
        return false;
    for (const QStringList& row : qAsConst(result.rows))
        list.append(teamFromRow(row));
    return true;
}

bool getTeams(RuvoDB* db, RuvoDBList<ACTeamData>& list, int disci)
{
    ACTeamData filter;
    filter.disci = disci;
    return getTeams(db, list, &filter);
}
