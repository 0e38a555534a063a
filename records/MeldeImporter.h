// The base of every importer of start entries: on top of the clubs and
// athletes it collects the entries read, merges an entry that is already
// listed into the listed one, and answers what it knows of the event with
// defaults a concrete importer may override.
#pragma once

#include "records/ACCompetitorData.h"
#include "records/AddressImport.h"

// The score sheet's list of judges' records, named as the score sheet names it.
struct Wertung_t;
template<class T> class RecordPtrList;
using WertungList = RecordPtrList<Wertung_t>;

class MeldeImporter : public AddressImport
{
    Q_OBJECT
public:
    explicit MeldeImporter(const QString& source);
    ~MeldeImporter() override;

    virtual int getKind();
    virtual int getYear();
    // Score records the source holds for its entries; none by default.
    virtual bool getEntries(WertungList& list);
    virtual int getNumber();
    // Builds the entries once clubs and athletes are read.
    virtual bool finish();

    // Reads clubs and athletes, lends the first club's contact person to the
    // clubs without one, then builds the entries. False when any step fails.
    bool run() override;

    // Appends a new entry, or merges it into the listed entry of the same
    // team (same discipline, same athletes), with the conflicts in report.
    // False when that merge took nothing over.
    bool mergeCompetitor(ACCompetitorData& competitor);

    RuvoDBList<ACCompetitorData> competitors;
};
