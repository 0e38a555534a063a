// The competition record and the table "wettkampf": creation, the statements
// that write and delete event rows, and the competition query.
#include "records/Competition.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "records/RecordWrites.h"
#include "records/TableLayout.h"

#include <QDebug>

#include <cstdlib>

namespace {

const char* const table = "wettkampf";
const char* const createWettkampf =
    "CREATE TABLE %s ( ID INTEGER PRIMARY KEY,Datum INTEGER,Ort VARCHAR(32),Veranstalter VARCHAR(32),Name VARCHAR(32) ) ;";

// Small values are no dates: files of old versions kept other numbers there.
const qint64 smallestDate = 2999;

enum { ColId, ColDatum, ColOrt, ColVeranstalter, ColName };

Competition competitionFromRow(const QStringList& row)
{
    Competition c;
    c.ID = toInt(row.value(ColId));
    const qint64 seconds = toInt64(row.value(ColDatum));
    c.Datum = std::llabs(seconds) > smallestDate ? secondsToDate(seconds) : QDate();
    c.Ort = row.value(ColOrt);
    c.Veranstalter = row.value(ColVeranstalter);
    c.Name = row.value(ColName);
    return c;
}

} // namespace

Competition::Competition()
{
    clear();
}

void Competition::clear()
{
    Datum = QDate();
    Ort.clear();
    Veranstalter.clear();
    Name.clear();
    ID = 0;
}

bool Competition::createTable(RuvoDB* db)
{
    if (!db)
        return false;
    if (db->hasTable(QString::fromLatin1(table)))
        return true;
    return db->exec(QString::asprintf(createWettkampf, table));
}

QString& Competition::sqlReplaceText()
{
    sqlText = QStringLiteral("INSERT OR REPLACE INTO ") + QLatin1String(table) + QStringLiteral(" VALUES ( ")
        + (ID > 0 ? QString::number(ID) : QStringLiteral("NULL")) + QStringLiteral(", ")
        + QString::number(dateToSeconds(Datum)) + QStringLiteral(", ") + TableLayout::text(Ort)
        + QStringLiteral(", ") + TableLayout::text(Veranstalter) + QStringLiteral(", ") + TableLayout::text(Name)
        + QStringLiteral(" );");
    qDebug().noquote() << sqlText;
    return sqlText;
}

int Competition::insert(RuvoDB* db)
{
    return RecordWrites::insert(*this, db);
}

bool Competition::update(RuvoDB* db)
{
    return RecordWrites::update(*this, db);
}

bool Competition::deleteCompetition(RuvoDB* db, int id)
{
    return RecordWrites::remove(db, QLatin1String(table), id);
}

bool Competition::getById(RuvoDB* db, Competition& out, int id)
{
    Competition filter;
    filter.ID = id;
    RuvoDBList<Competition> found;
    if (id == 0 || !getCompetitions(db, found, &filter) || found.size() != 1)
        return false;
    out = found.first();
    return true;
}

QString Competition::selectText(const Competition* filter)
{
    QStringList conditions;
    if (filter) {
        if (filter->ID != 0)
            conditions << QStringLiteral(" ID = %1").arg(filter->ID);
        // Literals, cleaned as the stored texts are, so a place named like a
        // column is compared as a text.
        if (!filter->Ort.isEmpty())
            conditions << QStringLiteral(" Ort = ") + TableLayout::text(filter->Ort);
        if (!filter->Name.isEmpty())
            conditions << QStringLiteral(" Name = ") + TableLayout::text(filter->Name);
        if (!filter->Veranstalter.isEmpty())
            conditions << QStringLiteral(" Veranstalter = ") + TableLayout::text(filter->Veranstalter);
    }
    return QStringLiteral("SELECT * FROM ") + QLatin1String(table) + TableLayout::where(conditions) + QStringLiteral(";");
}

bool getCompetitions(RuvoDB* db, RuvoDBList<Competition>& list, const Competition* filter)
{
    list.clear();
    RuvoDBResult result;
    if (!db || !db->query(Competition::selectText(filter), &result))
        return false;
    for (const QStringList& row : qAsConst(result.rows))
        list.append(competitionFromRow(row));
    return true;
}
