// The athlete record and the table "sportler": creation, upgrade, the
// statements that write, delete and read person rows.
#include "records/Athlete.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "records/RecordWrites.h"
#include "records/TableLayout.h"

#include <QDebug>

namespace {

const char roleLetters[] = "ACRF";

const TableLayout& layout()
{
    static const TableLayout table("sportler", {
        {"ID", "INTEGER PRIMARY KEY"}, {"Vorname", "VARCHAR(32)"}, {"Nachname", "VARCHAR(32)"},
        {"Verein", "INTEGER"}, {"Jahrgang", "INTEGER"}, {"m_w", "CHAR"}, {"Nation", "VARCHAR(3)"},
        {"Lizense", "VARCHAR(11)"}, {"Attributes", "VARCHAR(4)"}, {"Strasse", "VARCHAR(32)"},
        {"PLZ", "VARCHAR(8)"}, {"Ort", "VARCHAR(32)"}, {"Telefon", "VARCHAR(32)"}, {"Email", "VARCHAR(32)"},
    });
    return table;
}

enum { ColId, ColVorname, ColNachname, ColVerein, ColJahrgang, ColSex, ColNation, ColLizense,
       ColAttributes, ColStrasse, ColPlz, ColOrt, ColTelefon, ColEmail };

Athlete athleteFromRow(const QStringList& row)
{
    Athlete a;
    a.ID = toInt(row.value(ColId));
    a.Vorname = row.value(ColVorname);
    a.Nachname = row.value(ColNachname);
    a.Verein = toInt(row.value(ColVerein));
    a.Geburtsdatum = secondsToDate(toInt64(row.value(ColJahrgang)));
    a.Geschlecht = sexFromText(row.value(ColSex));
    a.Nation = row.value(ColNation);
    a.uciId = row.value(ColLizense);
    a.setRoles(row.value(ColAttributes));
    a.Strasse = row.value(ColStrasse);
    a.PLZ = row.value(ColPlz);
    a.Ort = row.value(ColOrt);
    a.Telefon = row.value(ColTelefon);
    a.Email = row.value(ColEmail);
    return a;
}

} // namespace

void Athlete::clear()
{
    *this = Athlete();
}

QString Athlete::rolesText() const
{
    QString letters;
    for (int bit = 0; roleLetters[bit]; ++bit)
        if (roles & (1 << bit))
            letters += QLatin1Char(roleLetters[bit]);
    return letters;
}

void Athlete::setRoles(const QString& letters)
{
    roles = 0;
    for (int bit = 0; roleLetters[bit]; ++bit)
        if (letters.contains(QLatin1Char(roleLetters[bit])))
            roles |= 1 << bit;
}

bool Athlete::operator==(const Athlete& o) const
{
    return Person::operator==(o) && Verein == o.Verein && uciId.text() == o.uciId.text() && roles == o.roles;
}

bool Athlete::createTable(RuvoDB* db)
{
    return layout().create(db);
}

bool Athlete::upgradeTable(RuvoDB* db)
{
    return layout().upgrade(db);
}

QString& Athlete::sqlReplaceText()
{
    const QStringList values = {
        ID > 0 ? QString::number(ID) : QStringLiteral("NULL"),
        TableLayout::text(Vorname), TableLayout::text(Nachname), QString::number(Verein),
        QString::number(dateToSeconds(Geburtsdatum)), TableLayout::text(QString(QLatin1Char(sexToChar(Geschlecht)))),
        TableLayout::text(Nation), TableLayout::text(uciId.text()), TableLayout::text(rolesText()),
        TableLayout::text(Strasse), TableLayout::text(PLZ), TableLayout::text(Ort),
        TableLayout::text(Telefon), TableLayout::text(Email),
    };
    sqlText = QStringLiteral("INSERT OR REPLACE INTO ") + layout().table() + QStringLiteral(" ( ")
        + layout().columnList() + QStringLiteral(" ) VALUES ( ") + values.join(QStringLiteral(", "))
        + QStringLiteral(" );");
    qDebug().noquote() << sqlText;
    return sqlText;
}

int Athlete::insert(RuvoDB* db)
{
    return RecordWrites::insert(*this, db);
}

bool Athlete::update(RuvoDB* db)
{
    return RecordWrites::update(*this, db);
}

bool Athlete::deleteAthlete(RuvoDB* db, int id)
{
    return RecordWrites::remove(db, layout().table(), id);
}

bool Athlete::getById(RuvoDB* db, Athlete& a, int id)
{
    Athlete filter;
    filter.ID = id;
    RuvoDBList<Athlete> found;
    if (id == 0 || !getAthletes(db, found, &filter, 0, 0) || found.size() != 1)
        return false;
    a = found.first();
    return true;
}

QString Athlete::selectText(const Athlete* filter, int roleMask, int order)
{
    QStringList conditions;
    if (filter) {
        if (filter->ID != 0)
            conditions << QStringLiteral(" ID = %1").arg(filter->ID);
        if (filter->Verein != 0)
            conditions << QStringLiteral(" Verein = %1").arg(filter->Verein);
        if (!filter->Vorname.isEmpty())
            conditions << QStringLiteral(" Vorname = ") + TableLayout::text(filter->Vorname);
        if (!filter->Nachname.isEmpty())
            conditions << QStringLiteral(" Nachname = ") + TableLayout::text(filter->Nachname);
        if (filter->Geschlecht != 0)
            conditions << QStringLiteral(" m_w = ") + TableLayout::text(QString(QLatin1Char(sexToChar(filter->Geschlecht))));
    }
    QStringList roleConditions;
    for (int bit = 0; roleLetters[bit]; ++bit)
        if (roleMask & (1 << bit))
            roleConditions << QStringLiteral("Attributes LIKE '%") + QLatin1Char(roleLetters[bit]) + QStringLiteral("%'");
    if (!roleConditions.isEmpty())
        conditions << QStringLiteral(" ( ") + roleConditions.join(QStringLiteral(" OR ")) + QStringLiteral(" )");

    static const char* const orders[] = {nullptr, "Nachname", "Verein", "Jahrgang"};
    QString s = QStringLiteral("SELECT ") + layout().columnList() + QStringLiteral(" FROM ") + layout().table()
        + TableLayout::where(conditions);
    if (order >= ByNachname && order <= ByJahrgang)
        s += QStringLiteral(" ORDER BY ") + QLatin1String(orders[order]);
    return s + QStringLiteral(";");
}

bool getAthletes(RuvoDB* db, RuvoDBList<Athlete>& list, const Athlete* filter, int roleMask, int order)
{
    list.clear();
    RuvoDBResult result;
    if (!db || !db->query(Athlete::selectText(filter, roleMask, order), &result))
        return false;
    for (const QStringList& row : qAsConst(result.rows))
        list.append(athleteFromRow(row));
    return true;
}
