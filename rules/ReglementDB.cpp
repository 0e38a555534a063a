// The rules catalogue: file check, catalogue year and validity, base score,
// discipline list, the team sizes and the queries on the other tables.
#include "rules/ReglementDB.h"

#include "db/Conversions.h"
#include "rules/CatalogueDateCheck.h"
#include "rules/CatalogueSql.h"

#include <QDebug>

#include <algorithm>
#include <cstring>
#include <new>

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

// ---- The catalogue's other tables ----

namespace {

const int shortestExerciseNumber = 1000;   // "Nr" values below name a limit, not an exercise

// The exercise limits when the catalogue sets none, by rules generation,
// discipline and age class; only the pair discipline sets the limits on one cycle.
int fixedFigureCount(bool newRules, int disci, int ak, int* maxOnOneCycle, int* minOnOneCycle)
{
    const bool older = ak > 5;
    switch (disci) {
    case 1:
        return newRules ? (older ? 30 : 25) : (older ? 28 : 22);
    case 2: {
        struct Limits { int most, maxOnOne, minOnOne; };
        static const Limits pairs[2][2] = { { { 18, 11, 9 }, { 22, 13, 11 } },    // older rules
                                            { { 20, 12, 4 }, { 25, 15, 8 } } };  // from 2008 on
        const Limits& l = pairs[newRules][older];
        if (maxOnOneCycle)
            *maxOnOneCycle = l.maxOnOne;
        if (minOnOneCycle)
            *minOnOneCycle = l.minOnOne;
        return l.most;
    }
    case 4: case 5: case 6: case 7:
        return newRules || older ? 25 : 22;
    default:
        return -1;
    }
}

// Walks the rows of a discipline in a "Nr" list: a number above 999 names an
// exercise and goes to add (false: stop, the list could not grow); a shorter
// one carries the limit in its last digit, and a later one wins.
template<class Add>
int readLimitList(ReglementDB& db, const char* table, int disci, const char* tag, Add add)
{
    RuvoDBResult result;
    if (!db.query(CatalogueSql::byDiscipline(table, disci), &result)) {
        qDebug().noquote() << tag << "failed: " + db.lastError();
        return -1;
    }
    int limit = 0;
    for (const QStringList& row : qAsConst(result.rows)) {
        const QString nr = row.value(0);
        const int n = toInt(nr);
        if (n < shortestExerciseNumber)
            limit = n % 10;
        else if (!add(nr))
            break;
    }
    return limit;
}

template<class T>
T* newRecord()
{
    T* record = new (std::nothrow) T;
    if (record)
        memset(record, 0, sizeof(T));
    return record;
}

int readCodeRecords(ReglementDB& db, RecordPtrList<ExerciseCode_t>& list, const char* table, int disci,
                    const char* tag)
{
    list.clear();
    list.autoDelete = true;
    return readLimitList(db, table, disci, tag, [&list](const QString& nr) {
        ExerciseCode_t* record = newRecord<ExerciseCode_t>();
        if (!record) {
            list.clear();
            return false;
        }
        toCString(record->nr, nr, sizeof record->nr);
        list.append(record);
        return true;
    });
}

// One row of "Altersklassen" as both age-class queries read it.
struct AgeRow
{
    int ak, minAge, maxAge, quota;
    QString nameMale, nameFemale;
};

bool readAgeRows(ReglementDB& db, int disci, int ak, QList<AgeRow>& rows)
{
    RuvoDBResult result;
    if (!db.query(CatalogueSql::altersklassen(disci, ak), &result))
        return false;
    for (const QStringList& cells : qAsConst(result.rows)) {
        const AgeRow row = { akFromString(cells.value(0)), toInt(cells.value(1)), toInt(cells.value(2)),
                             toInt(cells.value(4)), cells.value(5), cells.value(6) };
        // The youngest classes of the team disciplines, while they are switched off.
        if (!db.allAgeClasses && disci > 3 && row.ak <= 4)
            continue;
        rows.append(row);
    }
    return true;
}

} // namespace

int ReglementDB::getFigures(int disci, int ak, int* maxOnOneCycle, int* minOnOneCycle)
{
    if (maxOnOneCycle)
        *maxOnOneCycle = 0;
    if (minOnOneCycle)
        *minOnOneCycle = 0;
    RuvoDBResult result;
    if (query(CatalogueSql::figures(disci, ak), &result) && !result.rows.isEmpty()) {
        const QStringList& row = result.rows.first();
        if (minOnOneCycle && row.size() > 4)
            *minOnOneCycle = toInt(row.at(4));
        if (maxOnOneCycle && row.size() > 5)
            *maxOnOneCycle = toInt(row.at(5));
        const int most = row.size() > 2 ? toInt(row.at(2)) : -1;
        if (most != -1)
            return most;
    }
    return fixedFigureCount(isNewReglement(), disci, ak, maxOnOneCycle, minOnOneCycle);
}

int ReglementDB::getTurnsOnSpotList(QList<int>& list, int disci)
{
    list.clear();
    return readLimitList(*this, "Standdrehungen", disci, "getTurnsOnSpotList", [&list](const QString& nr) {
        list.append(toInt(nr));
        return true;
    });
}

int ReglementDB::getSeparateList(QList<Figure>& list, int disci)
{
    list.clear();
    return readLimitList(*this, "einzeln", disci, "getSeparateList", [&list](const QString& nr) {
        list.append(Figure(nr));
        return true;
    });
}

int ReglementDB::getStanddrehungen(RecordPtrList<ExerciseCode_t>& list, int disci)
{
    return readCodeRecords(*this, list, "Standdrehungen", disci, "getStanddrehungen");
}

int ReglementDB::getEinzeln(RecordPtrList<ExerciseCode_t>& list, int disci)
{
    return readCodeRecords(*this, list, "einzeln", disci, "getEinzeln");
}

bool ReglementDB::getRestrictedPassagesList(QList<RestrictedPassage>& list, int disci)
{
    list.clear();
    RuvoDBResult result;
    if (!query(CatalogueSql::byDiscipline("Folgeuebungen", disci), &result)) {
        qDebug().noquote() << "getRestrictedPassagesList failed: " + lastError();
        return false;
    }
    bool complete = true;
    for (const QStringList& row : qAsConst(result.rows)) {
        RestrictedPassage passage;
        passage.nr = Figure(row.value(0));
        for (int i = 1; i < row.size(); ++i)
            passage.next.append(toInt(row.at(i)));
        if (passage.nr.isValid() && !passage.next.isEmpty()) {
            list.append(passage);
        } else {
            qWarning("getRestrictedPassagesList failed");
            complete = false;
        }
    }
    return complete;
}

bool ReglementDB::getUebergänge(RecordPtrList<Transition_t>& list, int disci)
{
    list.clear();
    list.autoDelete = true;
    RuvoDBResult result;
    if (!query(CatalogueSql::byDiscipline("Folgeuebungen", disci), &result)) {
        qDebug().noquote() << QString::fromUtf8("getUebergänge failed: ") + lastError();
        return false;
    }
    for (const QStringList& row : qAsConst(result.rows)) {
        Transition_t* record = newRecord<Transition_t>();
        if (!record) {
            list.clear();
            break;
        }
        toCString(record->nr, row.value(0), sizeof record->nr);
        for (int i = 1; i < row.size() && i <= 6; ++i)
            record->next[i - 1] = qint16(toInt(row.at(i)));
        list.append(record);
    }
    return true;
}

bool ReglementDB::getTaktisch(TacticalValue& value, const Figure& nr)
{
    value.nr = nr.text();
    value.anzahl = 0;
    value.ziffern.clear();
    RuvoDBResult result;
    if (!query(CatalogueSql::taktisch(nr), &result))
        return false;
    if (!result.rows.isEmpty())
        value.anzahl = toInt(result.rows.first().value(0));
    for (const QStringList& row : qAsConst(result.rows))
        value.ziffern.append(parsePoints(row.value(1)));
    return true;
}

void ReglementDB::getAltersklassen(QList<AgeClass>& list, int disci, int ak)
{
    list.clear();
    QList<AgeRow> rows;
    if (!readAgeRows(*this, disci, ak, rows))
        return;
    for (const AgeRow& row : qAsConst(rows)) {
        auto known = std::find_if(list.begin(), list.end(), [&row](const AgeClass& c) { return c.ak == row.ak; });
        if (known == list.end()) {
            AgeClass added;
            added.ak = row.ak;
            added.minAge = row.minAge;
            added.maxAge = row.maxAge;
            added.nameMale = row.nameMale;
            added.nameFemale = row.nameFemale;
            if (row.quota != 0)
                added.quotas.append(AgeQuota{ row.quota, row.minAge, row.maxAge });
            list.append(added);
        } else if (row.quota == 0) {
            known->minAge = row.minAge;
            known->maxAge = row.maxAge;
            known->nameMale = row.nameMale;
            known->nameFemale = row.nameFemale;
        } else {
            known->quotas.append(AgeQuota{ row.quota, row.minAge, row.maxAge });
        }
    }
}

void ReglementDB::queryAltersklassen(RecordPtrList<AgeClass_t>& list, int disci, int ak)
{
    list.clear();
    list.autoDelete = true;
    QList<AgeRow> rows;
    if (!readAgeRows(*this, disci, ak, rows))
        return;
    for (const AgeRow& row : qAsConst(rows)) {
        AgeClass_t* record = newRecord<AgeClass_t>();
        if (!record) {
            list.clear();
            return;
        }
        record->ak = row.ak;
        record->minAge = row.minAge;
        record->maxAge = row.maxAge;
        record->quota = row.quota;
        toCString(record->nameMale, row.nameMale, sizeof record->nameMale);
        toCString(record->nameFemale, row.nameFemale, sizeof record->nameFemale);
        list.append(record);
        if (disci == 0)
            return;
    }
}

void ReglementDB::getKategorien(QList<RuvoDBString>& list)
{
    const QList<RuvoDBString> disciplines = getDisziplinen();
    list.clear();
    for (const RuvoDBString& discipline : disciplines) {
        QList<AgeClass> classes;
        getAltersklassen(classes, discipline.id, 0);
        int previousAk = 0;
        for (const AgeClass& c : qAsConst(classes)) {
            if (c.ak == previousAk)
                continue;
            list.append(RuvoDBString(discipline.text + QLatin1Char(' ') + c.nameFemale, packCategory(discipline.id, 2, c.ak)));
            list.append(RuvoDBString(discipline.text + QLatin1Char(' ') + c.nameMale, packCategory(discipline.id, 1, c.ak)));
            previousAk = c.ak;
        }
    }
}

QString ReglementDB::getKategorieName(int code)
{
    QList<RuvoDBString> categories;
    getKategorien(categories);
    for (const RuvoDBString& category : qAsConst(categories))
        if (category.id == code)
            return category.text;
    return QString();
}

QString ReglementDB::getKategorieName(int disci, int sex, int ak)
{
    return getKategorieName(packCategory(disci, sex, ak));
}

bool ReglementDB::getUebungen(QList<Uebung>& list, const UebungFilter* filter)
{
    list.clear();
    RuvoDBResult result;
    if (!query(CatalogueSql::uebungen(filter), &result)) {
        qDebug().noquote() << "getUebungen failed: " + lastError();
        return false;
    }
    for (const QStringList& row : qAsConst(result.rows)) {
        Uebung uebung;
        uebung.nr = Figure(row.value(0));
        uebung.text = row.value(1);
        uebung.ziffer = parsePoints(row.value(2)) / 100.0;
        if (uebung.text.isEmpty())
            qDebug().noquote() << row.value(0) << "no data";
        list.append(uebung);
    }
    return true;
}
