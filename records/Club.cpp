// The club record and the table "vereine": creation, upgrade, the statements
// that write, delete and read club rows.
#include "records/Club.h"

#include "db/Conversions.h"
#include "db/RuvoDB.h"
#include "db/SqlLiteral.h"
#include "records/RecordWrites.h"
#include "records/TableLayout.h"


namespace {

const QSize logoLimit(300, 300);

const TableLayout& layout()
{
    static const TableLayout table("vereine", {
        {"ID", "INTEGER PRIMARY KEY"}, {"Name", "VARCHAR(32)"}, {"Verband", "VARCHAR(32)"},
        {"Nation", "VARCHAR(3)"}, {"Nummer", "VARCHAR(16)"}, {"Vorname", "VARCHAR(32)"},
        {"Nachname", "VARCHAR(32)"}, {"Strasse", "VARCHAR(32)"}, {"PLZ", "VARCHAR(8)"},
        {"Ort", "VARCHAR(32)"}, {"Telefon", "VARCHAR(32)"}, {"Email", "VARCHAR(32)"}, {"m_w", "CHAR"},
        {"Jahrgang", "INTEGER"}, {"Lizense", "VARCHAR(11)"}, {"Logo", "TEXT"},
    });
    return table;
}

enum { ColId, ColName, ColVerband, ColNation, ColNummer, ColVorname, ColNachname, ColStrasse, ColPlz,
       ColOrt, ColTelefon, ColEmail, ColSex, ColJahrgang, ColLizense, ColLogo };

Club clubFromRow(const QStringList& row)
{
    Club c;
    c.ID = toInt(row.value(ColId));
    c.Name = row.value(ColName);
    c.Verband = row.value(ColVerband);
    c.Nation = row.value(ColNation);
    c.Nummer = row.value(ColNummer);
    Athlete& k = c.Kontakt;
    k.Vorname = row.value(ColVorname);
    k.Nachname = row.value(ColNachname);
    k.Strasse = row.value(ColStrasse);
    k.PLZ = row.value(ColPlz);
    k.Ort = row.value(ColOrt);
    k.Telefon = row.value(ColTelefon);
    k.Email = row.value(ColEmail);
    k.Geschlecht = sexFromText(row.value(ColSex));
    k.Geburtsdatum = secondsToDate(toInt64(row.value(ColJahrgang)));
    k.uciId = row.value(ColLizense);
    if (row.size() > ColLogo && !row.at(ColLogo).isEmpty())
        c.logo.setData(uncompressFromBase64(row.at(ColLogo)));
    return c;
}

} // namespace

Club::Club() : logo(logoLimit)
{
}

void Club::setName(const QString& name)
{
    Name = name.simplified();
}

bool Club::operator==(const Club& o) const
{
    return Name == o.Name && Verband == o.Verband && Nation == o.Nation && Nummer == o.Nummer
        && Kontakt == o.Kontakt && logo == o.logo;
}

bool Club::createTable(RuvoDB* db)
{
    return layout().create(db);
}

bool Club::upgradeTable(RuvoDB* db)
{
    return layout().upgrade(db);
}

QString& Club::sqlReplaceText()
{
    const Athlete& k = Kontakt;
    const QStringList values = {
        ID > 0 ? QString::number(ID) : QStringLiteral("NULL"),
        TableLayout::text(Name), TableLayout::text(Verband), TableLayout::text(Nation), TableLayout::text(Nummer),
        TableLayout::text(k.Vorname), TableLayout::text(k.Nachname), TableLayout::text(k.Strasse),
        TableLayout::text(k.PLZ), TableLayout::text(k.Ort), TableLayout::text(k.Telefon), TableLayout::text(k.Email),
        TableLayout::text(QString(QLatin1Char(sexToChar(k.Geschlecht)))),
        QString::number(dateToSeconds(k.Geburtsdatum)), TableLayout::text(k.uciId.text()),
        ::sqlText(logo.data.isEmpty() ? QString() : compressToBase64(logo.data)),   // Base64 needs no cleaning
    };
    sqlText = QStringLiteral("INSERT OR REPLACE INTO ") + layout().table() + QStringLiteral(" ( ")
        + layout().columnList() + QStringLiteral(" ) VALUES ( ") + values.join(QStringLiteral(", "))
        + QStringLiteral(" );");
    return sqlText;   // not logged: the logo would flood the log
}

int Club::insert(RuvoDB* db)
{
    return RecordWrites::insert(*this, db);
}

bool Club::update(RuvoDB* db)
{
    return RecordWrites::update(*this, db);
}

bool Club::deleteClub(RuvoDB* db, int id)
{
    return RecordWrites::remove(db, layout().table(), id);
}

bool Club::deleteAll(RuvoDB* db)
{
    return RecordWrites::removeAll(db, layout().table(), "Club::deleteAll:");
}

bool Club::getById(RuvoDB* db, Club& club, int id, bool withLogo)
{
    Club filter;
    filter.ID = id;
    RuvoDBList<Club> found;
    if (id == 0 || !getClubs(db, found, &filter, 0, withLogo) || found.size() != 1)
        return false;
    club = found.first();
    return true;
}

QString Club::selectText(const Club* filter, int order, bool withLogo)
{
    QStringList conditions;
    if (filter) {
        if (filter->ID != 0)
            conditions << QStringLiteral(" ID = %1").arg(filter->ID);
        if (!filter->Name.isEmpty())
            conditions << QStringLiteral(" Name = ") + TableLayout::text(filter->Name);
        if (!filter->Nummer.isEmpty())
            conditions << QStringLiteral(" Nummer = ") + TableLayout::text(filter->Nummer);
    }
    static const char* const orders[] = {nullptr, "Name", "Verband", "PLZ"};
    QString s = QStringLiteral("SELECT ") + layout().columnList(withLogo ? -1 : ColLogo) + QStringLiteral(" FROM ")
        + layout().table() + TableLayout::where(conditions);
    if (order >= ByName && order <= ByPlz)
        s += QStringLiteral(" ORDER BY ") + QLatin1String(orders[order]);
    return s + QStringLiteral(";");
}

bool getClubs(RuvoDB* db, RuvoDBList<Club>& list, const Club* filter, int order, bool withLogo)
{
    list.clear();
    RuvoDBResult result;
    if (!db || !db->query(Club::selectText(filter, order, withLogo), &result))
        return false;
    for (const QStringList& row : qAsConst(result.rows))
        list.append(clubFromRow(row));
    return true;
}
