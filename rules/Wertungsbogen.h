// The score sheet of one start: a start record together with what it needs to
// be checked against the rules catalogue, to fill its printed header, to be
// printed with the judges' marks and to compare the judges with one another.
// The sheet owns none of its sources: the start record, the judges' records,
// the entry list, the catalogue and the event belong to the caller. Its checks
// write their results into the start record (two masks, one bit per check) and
// the report.
#pragma once

#include "records/ExpandedAthlete.h"
#include "records/Wertung_t.h"
#include "rules/CatalogueRecords.h"
#include "rules/RecordPtrList.h"
#include "rules/RuvoPrint.h"
#include "rules/Uebung.h"
#include "rules/WertungsbogenKopf.h"

#include <QList>
#include <QString>

class AddressDB;
class Competition;
class ReglementDB;
struct Starter_t;

using AK = int;   // age-class code, 0 to 7
using WertungList = RecordPtrList<Wertung_t>;

// How closely two judges agree, per mark kind: X, the wavy mark, the stroke,
// O and the difficulty percentage.
struct KorrelationEntry
{
    double x = 0, w = 0, s = 0, o = 0, p = 0;
};

class Wertungsbogen : public RuvoPrint
{
    Q_OBJECT
public:
    Wertungsbogen(AddressDB* db, Starter_t* starter, ReglementDB* reglement, Competition* wettkampf);
    ~Wertungsbogen() override;

    void setReglementDB(ReglementDB* reglement);
    // The event of sheets built later without one; null stops that.
    static void setWettkampf(const Competition* w);
    static void setNewSheetFlag(bool on);
    // Shares the caller's records, which the sheet never deletes: the caller
    // keeps them alive as long as the sheet uses them, and changes to them show.
    void setWertungen(const WertungList& list);
    const WertungList& getWertungen() const { return wertungen; }
    void rewindWertungen() { wertungen.index = 0; }

    int getTeamClass() const;
    int getEffectiveTeamClass() const;
    int getMaxUebungen();
    void updatePrufsumme();
    int getNummer() const;
    const QList<Uebung>& getReglementUebungen();
    bool getBogenUebungen(QList<Uebung>& out);

    bool getKopf(WertungsbogenKopf& kopf, const Wertung_t* wertung);
    bool getAthletes(QList<ExpandedAthlete>& list, int flag, bool upperCase);

    bool testAll(bool Handwertung);
    bool checkAthletes();
    bool checkAltersklasse();
    bool checkUebungen();
    bool checkUebergaenge();
    bool checkStanddrehungen();
    bool checkEinzeln();

    // As many pages as the judges' records need: four records to a landscape
    // printer page, else one; each page's records leave the list.
    void print(QPainter* painter, int& page) override;
    void drawPage(const QRect& rect) override;

    // One entry per pair of judges' records, in pair order.
    void korrelation(QList<KorrelationEntry>& out);

    const QString& getReport() const { return report; }
    Starter_t* getStarter() const { return starter; }
    ReglementDB* getReglementDB() const { return reglement; }
    bool isNewReglement() const { return newReglement; }
    const RecordPtrList<AgeClass_t>& getAltersklassen() const { return altersklassen; }

signals:
    void AkChanged(AK ak);
    void VereinChanged(int id);

private:
    // The checks read and correct what the sheet holds.
    friend class ScoreSheetChecks;

    // The report of a reader that has no entry list: false.
    bool noDatabase();
    // Four to a landscape printer page, else one.
    int recordsPerPage() const;
    // The event of a sheet drawn for wertung (null: the sheet's own).
    Competition kopfEvent(const Wertung_t* wertung);
    bool kopfClubTexts(WertungsbogenKopf& kopf);

    AddressDB* db;
    Starter_t* starter;
    ReglementDB* reglement;
    Competition* wettkampf;
    QString report;
    QList<Uebung> reglementUebungen;
    RecordPtrList<AgeClass_t> altersklassen;
    bool newTeamRule;
    bool newReglement = false;
    bool quotaUsed = false;
    WertungList wertungen;
};
