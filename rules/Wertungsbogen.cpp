// The score sheet: settings, the judges' records, the shared operations, the
// header readers, printing and the judges' correlation. The rule checks are
// ScoreSheetChecks', the drawing of one sheet is ScoreSheetPainter's.
#include "rules/Wertungsbogen.h"

#include "db/Conversions.h"
#include "records/AddressDB.h"
#include "records/Athlete.h"
#include "records/Club.h"
#include "records/Competition.h"
#include "records/Starter_t.h"
#include "rules/ExerciseSlots.h"
#include "rules/PearsonCorrelation.h"
#include "rules/ReglementDB.h"
#include "rules/ScoreSheetChecks.h"
#include "rules/ScoreSheetPainter.h"
#include "rules/UebungFilter.h"

#include <QDateTime>
#include <QPainter>
#include <QPrinter>
#include <QSet>
#include <QtDebug>

using ExerciseSlots::blockChange;
using ExerciseSlots::codeAt;
using ExerciseSlots::numberAt;

namespace {

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

} // namespace

Wertungsbogen::Wertungsbogen(AddressDB* db, Starter_t* starter, ReglementDB* reglement, Competition* wettkampf)
    : db(db), starter(starter), reglement(reglement), wettkampf(wettkampf), newTeamRule(newTeamRuleDefault())
{
    altersklassen.autoDelete = true;
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
    const bool owned = wertungen.autoDelete;
    wertungen.clear();
    for (Wertung_t* w : list)
        wertungen.append(w);
    wertungen.index = 0;
    if (!owned)
        return;
    // From here on the records are the caller's: the sheet must not delete them.
    qDebug("deep copy mapped to simple copy!!");
    wertungen.autoDelete = false;
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
        if (previous >= 0 && blockChange(numberAt(starter, previous), numberAt(starter, i), newReglement))
            return qMin(codeSlots, n + i - previous - 1);
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

bool Wertungsbogen::noDatabase()
{
    report = QString::fromLatin1(noDatabaseText);
    return false;
}

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
    if (!db)
        return noDatabase();
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
    if (!db)
        return noDatabase();
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

bool Wertungsbogen::testAll(bool Handwertung)
{
    return ScoreSheetChecks(*this).testAll(Handwertung);
}

bool Wertungsbogen::checkAthletes()
{
    return ScoreSheetChecks(*this).checkAthletes();
}

bool Wertungsbogen::checkAltersklasse()
{
    return ScoreSheetChecks(*this).checkAltersklasse();
}

bool Wertungsbogen::checkUebungen()
{
    return ScoreSheetChecks(*this).checkUebungen();
}

bool Wertungsbogen::checkUebergaenge()
{
    return ScoreSheetChecks(*this).checkUebergaenge();
}

bool Wertungsbogen::checkStanddrehungen()
{
    return ScoreSheetChecks(*this).checkStanddrehungen();
}

bool Wertungsbogen::checkEinzeln()
{
    return ScoreSheetChecks(*this).checkEinzeln();
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
