// The rule checks of a score sheet.
#include "rules/ScoreSheetChecks.h"

#include "db/Conversions.h"
#include "db/RuvoProps.h"
#include "records/AddressDB.h"
#include "records/Athlete.h"
#include "records/Competition.h"
#include "records/Starter_t.h"
#include "records/TeamSize.h"
#include "rules/ExerciseSlots.h"
#include "rules/ReglementDB.h"
#include "rules/Uebung.h"
#include "rules/Wertungsbogen.h"

#include <QSet>
#include <QtDebug>

#include <algorithm>
#include <cstdio>
#include <cstring>

using ExerciseSlots::blockChange;
using ExerciseSlots::codeAt;
using ExerciseSlots::numberAt;
using ExerciseSlots::onTwoBikes;

namespace {

const int finalExercises[] = { 1301, 2250 };
const int codeSlots = Starter_t::CodeCount;

bool isFinal(int number)
{
    for (int n : finalExercises)
        if (number == n)
            return true;
    return false;
}

} // namespace

ScoreSheetChecks::ScoreSheetChecks(Wertungsbogen& sheet)
    : sheet(sheet), starter(sheet.starter), db(sheet.db), reglement(sheet.reglement), report(sheet.report)
{
}

void ScoreSheetChecks::setBit(uint32_t& mask, Check check, bool on)
{
    if (on)
        mask |= 1u << check;
    else
        mask &= ~(1u << check);
}

bool ScoreSheetChecks::hasError(Check check) const
{
    return starter->errorMask & (1u << check);
}

void ScoreSheetChecks::addLine(Check check, const QString& text, bool error)
{
    report += QString::asprintf("%02d: ", int(check)) + text + QLatin1Char('\n');
    if (error)
        setBit(starter->errorMask, check, true);
}

void ScoreSheetChecks::startCheck(Check check, bool tested)
{
    setBit(starter->errorMask, check, false);
    setBit(starter->testedMask, check, tested);
    report.clear();
}

bool ScoreSheetChecks::notTested(Check check, const QString& text)
{
    setBit(starter->testedMask, check, false);
    addLine(check, text, false);
    return true;
}

bool ScoreSheetChecks::noDatabase(Check check)
{
    setBit(starter->testedMask, check, false);
    return sheet.noDatabase();
}

bool ScoreSheetChecks::testAll(bool Handwertung)
{
    qDebug("Wertungsbogen::testAll( bool Handwertung )");
    starter->errorMask = 0;
    starter->testedMask = 0;
    if (starter->disci == 0) {
        for (int i = 0; i < codeSlots; ++i) {
            printf("%s\n", codeAt(starter, i).toLatin1().constData());
            if (!starter->codes[i][0])
                continue;
            const int d = numberAt(starter, i) / 1000;
            starter->disci = d >= 0 && d <= 7 ? d : 0;
            printf("Wertungsbogen::testAll Diszi set to=%d\n", starter->disci);
            break;
        }
    }
    QString collected;
    checkAthletes();
    collected += report;
    checkAltersklasse();
    collected += report;
    if (!Handwertung) {
        for (bool (ScoreSheetChecks::*check)() : { &ScoreSheetChecks::checkUebungen, &ScoreSheetChecks::checkUebergaenge,
                                                   &ScoreSheetChecks::checkStanddrehungen, &ScoreSheetChecks::checkEinzeln }) {
            (this->*check)();
            collected += report;
        }
    }
    report = collected;
    qDebug().noquote() << report;
    return starter->errorMask == 0;
}

bool ScoreSheetChecks::checkAthletes()
{
    const int clubBefore = starter->clubId;
    startCheck(CheckAthletes, true);
    if (!db)
        return noDatabase(CheckAthletes);
    const int disci = starter->disci;
    const bool mixedGenders = sheet.newTeamRule ? disci != 1 : sheet.getTeamClass() != 0;
    int count = 0;
    int lastClub = 0;
    for (int pos = 0; pos < Starter_t::MemberCount; ++pos) {
        const int id = starter->members[pos];
        if (id == 0)
            continue;
        ++count;
        Athlete a;
        if (!db->getAthlete(a, id)) {
            addLine(CheckAthletes, tr("Sportler Nummer %1 nicht in der Datenbank!").arg(pos));
            break;
        }
        lastClub = a.Verein;
        const QString name = a.displayName();
        for (int later = pos + 1; later < Starter_t::MemberCount; ++later) {
            if (starter->members[later] == id) {
                addLine(CheckAthletes, name + QStringLiteral("   --- ") + tr("mehrfach enthalten"));
                break;
            }
        }
        if (count == 1) {
            const bool keepMale = starter->gender == 1 && (sheet.newTeamRule ? disci != 1 : sheet.getTeamClass() == 2);
            if (!keepMale)
                starter->gender = a.Geschlecht;
            starter->clubId = a.Verein;
            continue;
        }
        if (a.Geschlecht != starter->gender) {
            if (mixedGenders)
                starter->gender = 1;
            else
                addLine(CheckAthletes, name + QStringLiteral(" --- ") + tr("hat falsches Geschlecht"));
        }
        if (starter->clubId > 0 && starter->clubId != a.Verein) {
            if (RuvoProps::startGemeinschaft(disci))
                starter->clubId = -starter->clubId;
            else
                addLine(CheckAthletes, name + QStringLiteral(" --- ") + tr("ist von anderem Verein"));
        }
    }
    const int size = getTeamSize(disci);
    if (count < size)
        addLine(CheckAthletes, tr("zu wenig Sportler"));
    else if (count > size)
        addLine(CheckAthletes, tr("zu viele Sportler"));
    if (starter->clubId != clubBefore)
        emit sheet.VereinChanged(lastClub);
    return !hasError(CheckAthletes);
}

bool ScoreSheetChecks::checkAltersklasse()
{
    startCheck(CheckAltersklasse, true);
    sheet.quotaUsed = false;
    if (!db)
        return noDatabase(CheckAltersklasse);
    const Competition* event = sheet.wettkampf;
    const int year = event && event->Datum.isValid() ? event->Datum.year() : QDate::currentDate().year();
    RecordPtrList<AgeClass_t> rows;
    if (reglement)
        reglement->queryAltersklassen(rows, starter->disci, 0);

    QSet<int> common;
    bool anyLoaded = false;
    bool anySet = false;
    for (int pos = 0; pos < getTeamSize(starter->disci); ++pos) {
        const int id = starter->members[pos];
        if (id == 0)
            continue;
        Athlete a;
        if (!db->getAthlete(a, id)) {
            addLine(CheckAltersklasse, tr("Sportler Nummer %1 nicht in der Datenbank!").arg(pos));
            break;
        }
        anyLoaded = true;
        const int age = year - a.Geburtsdatum.year();
        if (age < 3 || age > 70) {
            addLine(CheckAltersklasse,
                    a.displayName() + QStringLiteral("  --- ") + tr("kein/falscher Jahrgang (Alter=%1)").arg(age));
            continue;
        }
        QSet<int> classes;
        for (AgeClass_t* row : rows) {
            if (row->quota < 0 || age < row->minAge || age > row->maxAge)
                continue;
            classes.insert(row->ak);
            if (row->quota != 0) {
                sheet.quotaUsed = true;
                // A used-up quota row counts no more.
                row->quota = row->quota == 1 ? -1 : row->quota - 1;
            }
        }
        common = anySet ? common.intersect(classes) : classes;
        anySet = true;
    }
    if (!anyLoaded)
        rows.clear();
    sheet.altersklassen.clear();
    if (hasError(CheckAltersklasse)) {
        sheet.quotaUsed = false;
        return false;
    }
    if (!reglement)
        return notTested(CheckAltersklasse, tr("Altersklasse nicht getestet --- no Reglement-Database"));
    for (const AgeClass_t* row : rows)
        if (row->quota == 0 && common.contains(row->ak))
            sheet.altersklassen.append(new AgeClass_t(*row));
    if (sheet.altersklassen.isEmpty()) {
        addLine(CheckAltersklasse, tr("Keine gemeinsame Altersklasse"));
        return false;
    }
    if (!common.contains(starter->ageClass)) {
        const AgeClass_t* first = sheet.altersklassen.at(0);
        starter->ageClass = first->ak;
        QString name;
        fromCString(name, starter->gender == 1 ? first->nameMale : first->nameFemale, 32);
        addLine(CheckAltersklasse, tr("Altersklasse korrigiert auf '%1'").arg(name), false);
        emit sheet.AkChanged(first->ak);
    }
    return true;
}

bool ScoreSheetChecks::checkUebungen()
{
    startCheck(CheckUebungen, true);
    const int disci = starter->disci;
    // Block order: 0 none yet, 1 the one-bike block first, 2 the two-bike block first.
    enum { NoBlock = 0, OneBikeFirst = 1, TwoBikesFirst = 2 };
    int order = !sheet.newReglement && disci == 2 ? TwoBikesFirst : NoBlock;
    int all = 0, zwei = 0, ein = 0;
    bool afterFinal = false;
    int previous = -1;
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        const QString code = codeAt(starter, i);
        const int n = numberAt(starter, i);
        ++all;
        if (i - previous >= 2) {
            // In discipline 2 the gap between the two blocks is meant.
            const bool betweenBlocks
                = disci == 2 && previous >= 0 && blockChange(numberAt(starter, previous), n, sheet.newReglement);
            if (!betweenBlocks)
                addLine(CheckUebungen, tr("Übung %1 bis %2 nicht definiert").arg(previous + 2).arg(i));
        }
        if (n / 1000 != disci)
            addLine(CheckUebungen, tr("Übung '%1' von anderer Disziplin").arg(code));
        if (onTwoBikes(n)) {
            if (zwei == 0)
                afterFinal = false;
            if (ein == 0 && order == NoBlock)
                order = TwoBikesFirst;
            else if (ein != 0 && order == TwoBikesFirst)
                addLine(CheckUebungen, tr("Übung %1 auf zwei Rädern '%2' nach Übung auf einem Rad.").arg(i + 1).arg(n));
            ++zwei;
        } else {
            if (ein == 0)
                afterFinal = false;
            if (zwei == 0 && order == NoBlock)
                order = OneBikeFirst;
            else if (zwei != 0 && order == OneBikeFirst)
                addLine(CheckUebungen, tr("Übung %1 auf einem Rad '%2' nach Übung auf zwei Rädern.").arg(i + 1).arg(n));
            else if (order == TwoBikesFirst && zwei == 0)
                addLine(CheckUebungen, tr("Übung %1 auf einem Rad '%2' vor Übung auf zwei Rädern.").arg(i + 1).arg(n));
            ++ein;
        }
        for (int j = i + 1; j < codeSlots; ++j) {
            if (numberAt(starter, j) == n) {
                addLine(CheckUebungen, tr("Übungsgruppe '%1' mehrfach enthalten (%2 + %3)").arg(n).arg(i + 1).arg(j + 1));
                break;
            }
        }
        if (afterFinal)
            addLine(CheckUebungen, tr("Übung %1 nach der Schlußübung!").arg(i + 1));
        if (isFinal(n))
            afterFinal = true;
        previous = i;
    }
    sheet.updatePrufsumme();
    if (!reglement) {
        if (!hasError(CheckUebungen))
            setBit(starter->testedMask, CheckUebungen, false);
        addLine(CheckUebungen, tr("Übungen nicht getestet --- no Reglement-Database"), false);
        return !hasError(CheckUebungen);
    }
    int maxOnOneCycle = 0, minOnOneCycle = 0;
    const int max = reglement->getFigures(disci, starter->ageClass, &maxOnOneCycle, &minOnOneCycle);
    // -1: the catalogue sets no maximum.
    if (max >= 0 && all > max)
        addLine(CheckUebungen, tr("mehr als die erlaubten %1 Übungen definiert").arg(max));
    if (sheet.newReglement) {
        if (maxOnOneCycle != 0 && maxOnOneCycle < ein)
            addLine(CheckUebungen, tr("mehr als die erlaubten %1 Übungen auf einem Rad").arg(maxOnOneCycle));
        if (minOnOneCycle != 0 && minOnOneCycle > ein)
            addLine(CheckUebungen, tr("weniger als die erforderlichen %1 Übungen auf einem Rad").arg(minOnOneCycle));
        if (disci == 2 && zwei == 0)
            addLine(CheckUebungen, tr("keine Übung auf zwei Rädern"));
    }
    double total = ReglementDB::getGrundpunktzahl(reglement);
    const QList<Uebung>& catalogue = sheet.getReglementUebungen();
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        const QString code = codeAt(starter, i);
        const auto found = std::find_if(catalogue.begin(), catalogue.end(), [&](const Uebung& u) { return u.nr == code; });
        if (found == catalogue.end())
            addLine(CheckUebungen, tr("Nr %1: Übung '%2' nicht im Reglement").arg(i + 1).arg(code));
        else
            total += found->ziffer;
    }
    starter->given = uint16_t(int(total * 100 + 0.5));
    return !hasError(CheckUebungen);
}

bool ScoreSheetChecks::checkUebergaenge()
{
    startCheck(CheckUebergaenge, true);
    if (!reglement)
        return notTested(CheckUebergaenge, tr("Übergänge nicht getestet --- no Reglement-Database"));
    RecordPtrList<Transition_t> rows;
    if (!reglement->getUebergänge(rows, starter->disci)) {
        addLine(CheckUebergaenge, tr("Reglement-Database Fehler"));
        return false;
    }
    if (rows.isEmpty()) {
        setBit(starter->testedMask, CheckUebergaenge, false);
        return true;
    }
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        const int next = i < codeSlots - 1 ? numberAt(starter, i + 1) : 0;
        for (const Transition_t* row : rows) {
            if (strncmp(row->nr, starter->codes[i], sizeof row->nr) != 0)
                continue;
            const bool allowed = next > 0 && std::find(std::begin(row->next), std::end(row->next), next) != std::end(row->next);
            if (!allowed)
                addLine(CheckUebergaenge, tr("Übung %1 '%2' --- keine/falsche Folgeübung").arg(i + 1).arg(codeAt(starter, i)));
        }
    }
    return !hasError(CheckUebergaenge);
}

int ScoreSheetChecks::countOfPrefixes(const RecordPtrList<ExerciseCode_t>& prefixes) const
{
    int count = 0;
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        const QString code = codeAt(starter, i);
        for (const ExerciseCode_t* prefix : prefixes) {
            if (code.startsWith(QString::fromUtf8(prefix->nr, int(strnlen(prefix->nr, sizeof prefix->nr))))) {
                ++count;
                break;
            }
        }
    }
    return count;
}

bool ScoreSheetChecks::checkCodeList(Check check, int limit, const RecordPtrList<ExerciseCode_t>& prefixes,
                                  const QString& tooMany)
{
    if (limit < 0) {
        setBit(starter->testedMask, check, true);
        addLine(check, tr("Reglement-Database Fehler"));
        return false;
    }
    if (limit == 0)
        return true;
    setBit(starter->testedMask, check, true);
    if (countOfPrefixes(prefixes) > limit)
        addLine(check, tooMany.arg(limit));
    return !hasError(check);
}

bool ScoreSheetChecks::checkStanddrehungen()
{
    startCheck(CheckStanddrehungen, false);
    if (!reglement)
        return notTested(CheckStanddrehungen, tr("Standdrehungen nicht getestet --- no Reglement-Database"));
    RecordPtrList<ExerciseCode_t> prefixes;
    const int limit = reglement->getStanddrehungen(prefixes, starter->disci);
    return checkCodeList(CheckStanddrehungen, limit, prefixes, tr("mehr als die erlaubten %1 Standdrehungen"));
}

bool ScoreSheetChecks::checkEinzeln()
{
    startCheck(CheckEinzeln, false);
    if (!reglement)
        return notTested(CheckEinzeln, tr("Einzeln nicht getestet --- no Reglement-Database"));
    if (!sheet.newReglement)
        return notTested(CheckEinzeln, tr("'Einzeln' gibt es erst ab 2008"));
    RecordPtrList<ExerciseCode_t> prefixes;
    const int limit = reglement->getEinzeln(prefixes, starter->disci);
    return checkCodeList(CheckEinzeln, limit, prefixes, tr("mehr als die erlaubten %1 Einzel Übungen"));
}

