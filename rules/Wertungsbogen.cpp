// The score sheet: settings, the judges' records, the shared operations, the
// header readers, the rule checks, printing and the judges' correlation. The
// drawing of one sheet is ScoreSheetPainter's.
#include "rules/Wertungsbogen.h"

#include "db/Conversions.h"
#include "db/RuvoProps.h"
#include "records/AddressDB.h"
#include "records/Athlete.h"
#include "records/Club.h"
#include "records/Competition.h"
#include "records/Starter_t.h"
#include "records/TeamSize.h"
#include "rules/PearsonCorrelation.h"
#include "rules/ReglementDB.h"
#include "rules/ScoreSheetPainter.h"
#include "rules/UebungFilter.h"

#include <QDateTime>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <QtDebug>

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

// Exercises up to this number of discipline 2 are ridden on two bikes, the
// higher ones on one.
const int lastTwoBikeNumber = 2260;
const int finalExercises[] = { 1301, 2250 };
const int codeSlots = Starter_t::CodeCount;
const char* const noDatabaseText = "no Melde-Database";

Competition& defaultWettkampf()
{
    static Competition event;
    return event;
}

bool& newTeamRuleDefault()
{
    static bool on = true;
    return on;
}

bool onTwoBikes(int number)
{
    return number <= lastTwoBikeNumber;
}

bool isFinal(int number)
{
    for (int n : finalExercises)
        if (number == n)
            return true;
    return false;
}

// The checksum step of one code: its variant letter and the last three digits
// of its number, scaled once more for a six-character code.
quint32 checksumValue(const QString& code)
{
    const ushort letter = code.size() > 4 ? code.at(4).unicode() : 0;
    const int c = (letter > 0xFF ? 0 : int(qint8(quint8(letter)))) - 'a';
    quint32 v = quint32(c + (toInt(code) % 1000) * 25);
    if (code.size() == 6)
        v *= 25;
    return v;
}

QString codeAt(const Starter_t* s, int i)
{
    return QString::fromLatin1(s->codes[i], int(strnlen(s->codes[i], Starter_t::CodeSize)));
}

// An exercise code's number is its leading integer: 2261 for "2261a".
int numberAt(const Starter_t* s, int i)
{
    return s->codes[i][0] ? toInt(codeAt(s, i)) : 0;
}

} // namespace

Wertungsbogen::Wertungsbogen(AddressDB* db, Starter_t* starter, ReglementDB* reglement, Competition* wettkampf)
    : db(db), starter(starter), reglement(reglement), wettkampf(wettkampf), newTeamRule(newTeamRuleDefault())
{
    altersklassen.autoDelete = true;
    wertungen.autoDelete = true;   // the sheet keeps copies of the judges' records
    if (reglement)
        newReglement = reglement->isNewReglement();
    if (!wettkampf && defaultWettkampf().Datum.isValid())
        this->wettkampf = &defaultWettkampf();
}

Wertungsbogen::~Wertungsbogen() = default;

void Wertungsbogen::setReglementDB(ReglementDB* r)
{
    reglement = r;
    if (reglement)
        newReglement = reglement->isNewReglement();
}

void Wertungsbogen::setWettkampf(const Competition* w)
{
    if (!w) {
        defaultWettkampf().Datum = QDate();
        return;
    }
    defaultWettkampf() = *w;
}

void Wertungsbogen::setNewSheetFlag(bool on)
{
    newTeamRuleDefault() = on;
}

void Wertungsbogen::setWertungen(const WertungList& list)
{
    if (&list == &wertungen)
        return;
    wertungen.clear();
    for (const Wertung_t* w : list)
        wertungen.append(new Wertung_t(*w));
    wertungen.index = 0;
}

int Wertungsbogen::getTeamClass() const
{
    switch (starter->disci) {
    case 2: case 4: case 5: return 1;
    case 6: case 7: return 2;
    default: return 0;
    }
}

int Wertungsbogen::getEffectiveTeamClass() const
{
    if (!newTeamRule)
        return getTeamClass();
    return starter->disci == 1 ? 0 : 2;
}

int Wertungsbogen::getMaxUebungen()
{
    if (!reglement)
        return codeSlots;
    const int n = reglement->getFigures(starter->disci, starter->ageClass);
    if (starter->disci != 2)
        return n;
    int previous = -1;
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        if (previous >= 0) {
            const bool before = onTwoBikes(numberAt(starter, previous));
            const bool now = onTwoBikes(numberAt(starter, i));
            if ((before && !now) || (newReglement && !before && now))
                return qMin(codeSlots, n + i - previous - 1);
        }
        previous = i;
    }
    return n;
}

void Wertungsbogen::updatePrufsumme()
{
    quint32 crc = 0;
    for (int i = 0; i < codeSlots; ++i) {
        if (!starter->codes[i][0])
            continue;
        quint32 v = checksumValue(codeAt(starter, i));
        for (int bit = 0; bit < 16; ++bit) {
            crc = ((crc ^ v) & 1) ? (crc >> 1) ^ 0xEDB88320u : crc >> 1;
            v >>= 1;
        }
    }
    starter->checksum = crc;
}

int Wertungsbogen::getNummer() const
{
    if (!wertungen.isEmpty())
        return quint16(wertungen.at(0)->startNumber);
    return starter->netInfo > 99 ? starter->netInfo : 0;
}

const QList<Uebung>& Wertungsbogen::getReglementUebungen()
{
    if (!reglement) {
        reglementUebungen.clear();
        return reglementUebungen;
    }
    if (!reglementUebungen.isEmpty() && reglementUebungen.first().nr.disci() == starter->disci)
        return reglementUebungen;
    UebungFilter filter;
    filter.disziplin = starter->disci;
    reglement->getUebungen(reglementUebungen, &filter);
    return reglementUebungen;
}

bool Wertungsbogen::getBogenUebungen(QList<Uebung>& out)
{
    out.clear();
    int last = -1;
    for (int i = 0; i < codeSlots; ++i)
        if (starter->codes[i][0])
            last = i;
    const QList<Uebung>& catalogue = getReglementUebungen();
    for (int i = 0; i <= last; ++i) {
        Uebung u;
        if (starter->codes[i][0]) {
            const QString code = codeAt(starter, i);
            u.nr = code;
            for (const Uebung& c : catalogue) {
                if (c.nr == code) {
                    u = c;
                    break;
                }
            }
        }
        out.append(u);
    }
    return true;
}

// ---- header and athletes ----

Competition Wertungsbogen::kopfEvent(const Wertung_t* wertung)
{
    Competition event;
    if (!wertung) {
        if (wettkampf)
            event = *wettkampf;
        else
            event.clear();
        return event;
    }
    if (db && db->inherits("WertungListeDB") && db->getCompetition(event, wertung->competitionId)) {
        if (wertung->judge != 0)
            event.Name += QString::asprintf(" Kr=%d", wertung->judge);
        return event;
    }
    const QDateTime start = QDateTime::fromSecsSinceEpoch(wertung->startTime).toLocalTime();
    event.Name = QStringLiteral("Training");
    event.Datum = start.date();
    event.Ort = start.toString(QStringLiteral("hh:mm"));
    return event;
}

bool Wertungsbogen::getKopf(WertungsbogenKopf& kopf, const Wertung_t* wertung)
{
    if (starter->best != 0) {
        kopf.bestPunkte = QString::fromLatin1(pointsText(starter->best));
        kopf.bestOrt.clear();
        if (starter->bestPlace[0])
            fromCString(kopf.bestOrt, starter->bestPlace, Starter_t::PlaceSize);
        kopf.bestDatum = starter->bestDate == 0
            ? QString()
            : QDateTime::fromSecsSinceEpoch(starter->bestDate, Qt::UTC).toString(QStringLiteral("dd.MM.yyyy"));
    } else {
        kopf.bestPunkte.clear();
        kopf.bestOrt.clear();
        kopf.bestDatum.clear();
    }
    updatePrufsumme();
    kopf.pruefsumme = QString::asprintf("%08X", starter->checksum);
    kopf.kategorie.clear();
    if (reglement)
        kopf.kategorie = reglement->getKategorieName(starter->disci, starter->gender, starter->ageClass);
    kopf.aufgestellt = QString::fromLatin1(pointsText(starter->given));
    fromCString(kopf.name, starter->name, Starter_t::NameSize);
    if (const int n = getNummer())
        kopf.nummer = QString::number(n);
    kopf.wettkampf = kopfEvent(wertung);
    return kopfClubTexts(kopf);
}

bool Wertungsbogen::kopfClubTexts(WertungsbogenKopf& kopf)
{
    if (!db) {
        report = QString::fromLatin1(noDatabaseText);
        return false;
    }
    const auto clubMissing = [this](int id) {
        report = QString::asprintf("Verein ID=%d not found in Melde-Database", id);
        return false;
    };
    Club club;
    if (starter->clubId >= 1) {
        if (!db->getVerein(club, starter->clubId, true))
            return clubMissing(starter->clubId);
        kopf.verein = club.Name;
        kopf.verband = club.Verband;
        return true;
    }
    // A start group: the clubs of its athletes, each once.
    kopf.verein.clear();
    kopf.verband.clear();
    QSet<int> handled;
    for (int id : starter->members) {
        Athlete a;
        if (id == 0 || !db->getAthlete(a, id) || handled.contains(a.Verein))
            continue;
        handled.insert(a.Verein);
        if (!db->getVerein(club, a.Verein, true))
            return clubMissing(a.Verein);
        if (!kopf.verein.isEmpty())
            kopf.verein += QStringLiteral(" / ");
        kopf.verein += club.Name;
        if (kopf.verband.isEmpty())
            kopf.verband = club.Verband;
    }
    return true;
}

bool Wertungsbogen::getAthletes(QList<ExpandedAthlete>& list, int, bool upperCase)
{
    list.clear();
    if (!db) {
        report = QString::fromLatin1(noDatabaseText);
        return false;
    }
    int last = Starter_t::MemberCount - 1;
    while (last >= 0 && starter->members[last] == 0)
        --last;
    for (int pos = 0; pos <= last; ++pos) {
        ExpandedAthlete a;
        const int id = starter->members[pos];
        // An athlete whose club is gone still starts; only the club texts stay empty.
        if (id != 0 && !db->getExpandedAthlete(a, id) && !db->getAthlete(a, id)) {
            report = QString::asprintf("Sportler ID=%d not found in Melde-Database", id);
            return false;
        }
        if (upperCase)
            a.Nachname = a.Nachname.toUpper();
        list.append(a);
    }
    return true;
}

// ---- rule checks ----

void Wertungsbogen::setBit(uint32_t& mask, Check check, bool on)
{
    if (on)
        mask |= 1u << check;
    else
        mask &= ~(1u << check);
}

bool Wertungsbogen::hasError(Check check) const
{
    return starter->errorMask & (1u << check);
}

void Wertungsbogen::addLine(Check check, const QString& text, bool error)
{
    report += QString::asprintf("%02d: ", int(check)) + text + QLatin1Char('\n');
    if (error)
        setBit(starter->errorMask, check, true);
}

bool Wertungsbogen::noDatabase(Check check)
{
    report = QString::fromLatin1(noDatabaseText);
    setBit(starter->testedMask, check, false);
    return false;
}

bool Wertungsbogen::testAll(bool Handwertung)
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
        for (bool (Wertungsbogen::*check)() : { &Wertungsbogen::checkUebungen, &Wertungsbogen::checkUebergaenge,
                                                &Wertungsbogen::checkStanddrehungen, &Wertungsbogen::checkEinzeln }) {
            (this->*check)();
            collected += report;
        }
    }
    report = collected;
    qDebug().noquote() << report;
    return starter->errorMask == 0;
}

bool Wertungsbogen::checkAthletes()
{
    setBit(starter->errorMask, CheckAthletes, false);
    const int clubBefore = starter->clubId;
    report.clear();
    if (!db)
        return noDatabase(CheckAthletes);
    setBit(starter->testedMask, CheckAthletes, true);
    const int disci = starter->disci;
    const bool mixedGenders = newTeamRule ? disci != 1 : getTeamClass() != 0;
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
            const bool keepMale = starter->gender == 1 && (newTeamRule ? disci != 1 : getTeamClass() == 2);
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
        emit VereinChanged(lastClub);
    return !hasError(CheckAthletes);
}

bool Wertungsbogen::checkAltersklasse()
{
    setBit(starter->errorMask, CheckAltersklasse, false);
    quotaUsed = false;
    report.clear();
    if (!db)
        return noDatabase(CheckAltersklasse);
    setBit(starter->testedMask, CheckAltersklasse, true);
    const int year = wettkampf && wettkampf->Datum.isValid() ? wettkampf->Datum.year() : QDate::currentDate().year();
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
                quotaUsed = true;
                // A used-up quota row counts no more.
                row->quota = row->quota == 1 ? -1 : row->quota - 1;
            }
        }
        common = anySet ? common.intersect(classes) : classes;
        anySet = true;
    }
    if (!anyLoaded)
        rows.clear();
    altersklassen.clear();
    if (hasError(CheckAltersklasse)) {
        quotaUsed = false;
        return false;
    }
    if (!reglement) {
        setBit(starter->testedMask, CheckAltersklasse, false);
        addLine(CheckAltersklasse, tr("Altersklasse nicht getestet --- no Reglement-Database"), false);
        return true;
    }
    for (const AgeClass_t* row : rows)
        if (row->quota == 0 && common.contains(row->ak))
            altersklassen.append(new AgeClass_t(*row));
    if (altersklassen.isEmpty()) {
        addLine(CheckAltersklasse, tr("Keine gemeinsame Altersklasse"));
        return false;
    }
    if (!common.contains(starter->ageClass)) {
        const AgeClass_t* first = altersklassen.at(0);
        starter->ageClass = first->ak;
        QString name;
        fromCString(name, starter->gender == 1 ? first->nameMale : first->nameFemale, 32);
        addLine(CheckAltersklasse, tr("Altersklasse korrigiert auf '%1'").arg(name), false);
        emit AkChanged(first->ak);
    }
    return true;
}

bool Wertungsbogen::checkUebungen()
{
    setBit(starter->errorMask, CheckUebungen, false);
    report.clear();
    setBit(starter->testedMask, CheckUebungen, true);
    const int disci = starter->disci;
    // Block order: 0 none yet, 1 the one-bike block first, 2 the two-bike block first.
    enum { NoBlock = 0, OneBikeFirst = 1, TwoBikesFirst = 2 };
    int order = !newReglement && disci == 2 ? TwoBikesFirst : NoBlock;
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
            const int before = previous >= 0 ? numberAt(starter, previous) : 0;
            const bool blockChange = disci == 2 && previous >= 0
                && ((onTwoBikes(before) && !onTwoBikes(n)) || (newReglement && !onTwoBikes(before) && onTwoBikes(n)));
            if (!blockChange)
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
    updatePrufsumme();
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
    if (newReglement) {
        if (maxOnOneCycle != 0 && maxOnOneCycle < ein)
            addLine(CheckUebungen, tr("mehr als die erlaubten %1 Übungen auf einem Rad").arg(maxOnOneCycle));
        if (minOnOneCycle != 0 && minOnOneCycle > ein)
            addLine(CheckUebungen, tr("weniger als die erforderlichen %1 Übungen auf einem Rad").arg(minOnOneCycle));
        if (disci == 2 && zwei == 0)
            addLine(CheckUebungen, tr("keine Übung auf zwei Rädern"));
    }
    double total = ReglementDB::getGrundpunktzahl(reglement);
    const QList<Uebung>& catalogue = getReglementUebungen();
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

bool Wertungsbogen::checkUebergaenge()
{
    setBit(starter->errorMask, CheckUebergaenge, false);
    setBit(starter->testedMask, CheckUebergaenge, true);
    report.clear();
    if (!reglement) {
        setBit(starter->testedMask, CheckUebergaenge, false);
        addLine(CheckUebergaenge, tr("Übergänge nicht getestet --- no Reglement-Database"), false);
        return true;
    }
    RecordPtrList<Transition_t> rows;
    if (!reglement->getUebergaenge(rows, starter->disci)) {
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

int Wertungsbogen::countOfPrefixes(const RecordPtrList<ExerciseCode_t>& prefixes) const
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

bool Wertungsbogen::checkCodeList(Check check, int limit, const RecordPtrList<ExerciseCode_t>& prefixes,
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

bool Wertungsbogen::checkStanddrehungen()
{
    setBit(starter->errorMask, CheckStanddrehungen, false);
    setBit(starter->testedMask, CheckStanddrehungen, false);
    report.clear();
    if (!reglement) {
        addLine(CheckStanddrehungen, tr("Standdrehungen nicht getestet --- no Reglement-Database"), false);
        return true;
    }
    RecordPtrList<ExerciseCode_t> prefixes;
    const int limit = reglement->getStanddrehungen(prefixes, starter->disci);
    return checkCodeList(CheckStanddrehungen, limit, prefixes, tr("mehr als die erlaubten %1 Standdrehungen"));
}

bool Wertungsbogen::checkEinzeln()
{
    setBit(starter->errorMask, CheckEinzeln, false);
    setBit(starter->testedMask, CheckEinzeln, false);
    report.clear();
    if (!reglement) {
        addLine(CheckEinzeln, tr("Einzeln nicht getestet --- no Reglement-Database"), false);
        return true;
    }
    if (!newReglement) {
        addLine(CheckEinzeln, tr("'Einzeln' gibt es erst ab 2008"), false);
        return true;
    }
    RecordPtrList<ExerciseCode_t> prefixes;
    const int limit = reglement->getEinzeln(prefixes, starter->disci);
    return checkCodeList(CheckEinzeln, limit, prefixes, tr("mehr als die erlaubten %1 Einzel Übungen"));
}

// ---- printing ----

int Wertungsbogen::recordsPerPage() const
{
    QPaintDevice* device = painter ? painter->device() : nullptr;
    if (device && device->devType() == QInternal::Printer
        && static_cast<QPrinter*>(device)->pageLayout().orientation() == QPageLayout::Landscape)
        return 4;
    return 1;
}

void Wertungsbogen::print(QPainter* p, int& page)
{
    if (!p) {
        qWarning("Wertungsbogen::print: no painter");
        return;
    }
    painter = p;
    // Decided once the printer exists: a painter without device gets it in the first newPage.
    int perPage = 0;
    do {
        // Pages beyond the printer's range take their records along unprinted.
        if (printer && printer->toPage() > 0 && page >= printer->toPage()) {
            ++page;
        } else {
            QRect rect;
            if (!newPage(page, rect))
                break;
            if (perPage == 0)
                perPage = recordsPerPage();
            painter->setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing
                                    | QPainter::SmoothPixmapTransform);
            if (!printer || printer->fromPage() == 0 || page >= printer->fromPage())
                drawPage(rect);
        }
        for (int i = 0; i < perPage; ++i)
            wertungen.removeFirst();
    } while (!wertungen.isEmpty());
    if (ownsPrinter)
        endPainting();
}

void Wertungsbogen::drawPage(const QRect& rect)
{
    if (!currentPainter)
        return;
    ScoreSheetPainter(*this, *currentPainter).drawPage(rect);
}

// ---- correlation ----

void Wertungsbogen::korrelation(QList<KorrelationEntry>& out)
{
    out.clear();
    const int n = wertungen.size();
    for (int a = 0; a < n; ++a) {
        for (int b = a + 1; b < n; ++b) {
            const Wertung_t& ra = *wertungen.at(a);
            const Wertung_t& rb = *wertungen.at(b);
            double r[Wertung_t::markCount];
            for (int k = 0; k < Wertung_t::markCount; ++k) {
                double x[codeSlots], y[codeSlots];
                int j = 0;
                for (int i = 0; i < codeSlots; ++i) {
                    if (!starter->codes[i][0])
                        continue;
                    x[j] = ra.exercises[i][k];
                    y[j] = rb.exercises[i][k];
                    ++j;
                }
                if (j == 0) {
                    qDebug("keine Uebungen --> keine Korrelation");
                    return;
                }
                x[0] += ra.extra1[k] + ra.extra2[k];
                y[0] += rb.extra1[k] + rb.extra2[k];
                r[k] = pearsonCorrelation(x, y, j);
            }
            qDebug("Korrelation (%d): X=%.5f  W=%.5f S=%.5f O=%.5f P=%.5f", starter->netInfo, r[0], r[1], r[2], r[3], r[4]);
            out.append(KorrelationEntry { r[0], r[1], r[2], r[3], r[4] });
        }
    }
}
