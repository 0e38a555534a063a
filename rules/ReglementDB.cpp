// The rules catalogue: file check, catalogue year and validity, base score,
// discipline list and the team sizes.
#include "rules/ReglementDB.h"

#include "db/Conversions.h"
#include "rules/CatalogueDateCheck.h"

#include <QDebug>

namespace {

const int lastOldRulesYear = 2007;
const int oldRulesBaseScore = 200;
const int dateTextSize = 64;

struct Discipline { int code; const char* name; };

// Used when the catalogue's table cannot be read; code 3 has no entry.
const Discipline fixedDisciplines[] = {
    { 1, "1er Kunst" }, { 2, "2er Kunst" }, { 4, "4er Kunst" },
    { 5, "4er Einrad" }, { 6, "6er Kunst" }, { 7, "6er Einrad" },
};

} // namespace

ReglementDB::ReglementDB()
{
    magicNumber = Magic;
}

ReglementDB::~ReglementDB() = default;

bool ReglementDB::setupDB()
{
    bool ok = true;
    if (magic() != Magic) {
        checkReadPassword(nullptr);
        qDebug("This is not a Reglement-DB\n");
        ok = false;
    }
    disziplinenDirty = true;
    checkWritePassword(nullptr);
    year = -1;
    return ok;
}

QDate ReglementDB::catalogueDate()
{
    char text[dateTextSize];
    toCString(text, version(), dateTextSize);
    return parseDate(text);
}

bool ReglementDB::isNewReglement()
{
    return catalogueYear() > lastOldRulesYear;
}

int ReglementDB::catalogueYear()
{
    if (year == -1) {
        const QDate date = catalogueDate();
        year = date.isValid() ? date.year() : 0;
    }
    return year;
}

int ReglementDB::validityYears()
{
    switch (catalogueYear()) {
    case 2017: return 3;
    case 2020: return 2;
    case 2022: return 3;
    default: return 1;
    }
}

QString ReglementDB::validityText()
{
    const QDate date = catalogueDate();
    const int firstYear = date.isValid() ? date.year() : 0;
    return version() + QString::asprintf(" - 31.12.%d", firstYear + validityYears() - 1);
}

QString ReglementDB::dateWarning(const QDate& today)
{
    return catalogueDateWarning(catalogueYear(), validityYears(), today);
}

int ReglementDB::getGrundpunktzahl(const ReglementDB* reglement)
{
    if (!reglement)
        return 0;
    // Asking for the rules only fills the year cache; the catalogue itself is not changed.
    return const_cast<ReglementDB*>(reglement)->isNewReglement() ? 0 : oldRulesBaseScore;
}

QList<RuvoDBString>& ReglementDB::getDisziplinen()
{
    if (!disziplinenDirty)
        return disziplinen;
    disziplinenDirty = false;
    disziplinen.clear();
    RuvoDBResult result;
    if (!query(QString::asprintf("SELECT * FROM %s ORDER BY art;", "Disziplinen"), &result)) {
        for (const Discipline& d : fixedDisciplines)
            disziplinen.append(RuvoDBString(QString::fromUtf8(d.name), d.code));
        return disziplinen;
    }
    for (const QStringList& row : qAsConst(result.rows)) {
        const int code = toInt(row.value(0));
        disziplinen.append(RuvoDBString(row.value(1), code >= 1 && code <= 7 ? code : 0));
    }
    return disziplinen;
}

QString ReglementDB::getDisziplinName(int code)
{
    for (const RuvoDBString& entry : qAsConst(getDisziplinen()))
        if (entry.id == code)
            return entry.text;
    return QString();
}

int getTeamSize(int disci)
{
    switch (disci) {
    case 2: return 2;
    case 3: return 1;
    case 4: case 5: return 4;
    case 6: case 7: return 6;
    default: return 1;
    }
}
