// The suite's address book: one database file with clubs ("vereine"), persons
// ("sportler"), competitions ("wettkampf") and a plain list of names
// ("namen"). The records carry their own SQL; this class creates and upgrades
// the tables, writes the names itself and announces every change with a
// signal, emitted only after the statement succeeded.
//
// Person ids: a positive id is a row of "sportler", 0 is none, and -n is the
// contact person of club n, who lives in the club's row.
//
// The entry list derives from this class and overrides the virtual
// operations, which are declared in a fixed order for it.
#pragma once

#include "db/RuvoDB.h"
#include "db/RuvoDBList.h"
#include "records/Athlete.h"
#include "records/Club.h"
#include "records/Competition.h"
#include "records/ExpandedAthlete.h"
#include "records/NameEntry.h"
#include "records/NameIcon.h"

#include <QList>
#include <QString>

class AddressDB : public RuvoDB
{
    Q_OBJECT
public:
    enum { Magic = 940829 };

    explicit AddressDB(QObject* parent = nullptr);

    // Makes a new empty file an address book, upgrades one, and locks any
    // other file with the wrong-type error.
    bool setupDB() override;
    // Refused while persons belong to the club.
    virtual bool removeVerein(int id);
    virtual bool removeSportler(int id);
    // Merges two persons: removes the larger id (compared unsigned, so a
    // negative one is the larger) and returns the one that remains.
    virtual int joinSportler(int idA, int idB);
    virtual bool removeWettkampf(int id);
    // Adds the missing tables and columns; changes nothing in a locked file.
    virtual bool createTables();

    int insertName(NameEntry& entry);
    bool updateName(NameEntry& entry);
    bool removeName(int id);
    // Sorted by name.
    bool getNamen(QList<NameEntry>& out);
    static QString nameSql(const NameEntry& entry);

    int insertVerein(Club& club);
    bool updateVerein(Club& club);
    bool getVereineWithLogo(RuvoDBList<Club>& list, const Club* filter, int order);
    bool getVereine(RuvoDBList<Club>& list, const Club* filter, int order);
    bool getVerein(Club& club, int id, bool withLogo);
    bool removeAllVereine();

    int insertAthlete(Athlete& a);
    bool updateAthlete(Athlete& a);
    bool getPersonsWithRoleA(RuvoDBList<Athlete>& list, const Athlete* filter, int order);
    bool getPersonsWithRoleC(RuvoDBList<Athlete>& list, const Athlete* filter, int order);
    bool getPersonsWithRoleR(RuvoDBList<Athlete>& list, const Athlete* filter, int order);
    bool getPersons(RuvoDBList<Athlete>& list, const Athlete* filter, int order);
    bool getAthlete(Athlete& a, int id);

    int insertCompetition(Competition& c);
    bool updateCompetition(Competition& c);
    bool getCompetitions(RuvoDBList<Competition>& list, const Competition* filter);
    bool getCompetition(Competition& c, int id);

    int insertNameIcon(NameIcon& item);
    bool updateNameIcon(NameIcon& item);
    bool removeNameIcon(NameIcon& item);

    // A person of either kind of id; a club's contact carries role F, the
    // club's ID and its nation.
    bool getPerson(Athlete& a, int id);
    // The athlete with the name and association of the athlete's club.
    bool getExpandedAthlete(ExpandedAthlete& a, int id);
    // "Last, First|Club", or the club's name alone for a club's contact: a
    // form of the person that another file can turn back into its id.
    QString portablePerson(int id);
    // The id of a portable person text, 0 when none or more than one match.
    int findPortablePerson(const QString& text);

signals:
    void signalNameChanged(int ID);
    void signalVereinChanged(int ID);
    void signalSportlerChanged(int ID);
    void signalNameRemoved(int ID);
    void signalVereinRemoved(int ID);
    void signalSportlerRemoved(int ID);
    void signalWettkampfChanged(int ID);
    void signalWettkampfRemoved(int ID);
    void signalNameIconChanged(NameIcon item);
    void signalNameIconRemoved(NameIcon item);

protected:
    // Whether the last joinSportler removed one of the two persons.
    bool joined = false;

    // A file of another kind: locked for reading and writing, with the
    // wrong-type error. Returns false, setupDB's answer for it.
    bool refuseWrongType();
    // A refused update leaves its reason in the record's error code, a failed
    // statement in the database's error text.
    void setUpdateError(const char* operation, bool refused, int recordCode);
    // Stores a changed record; on success announces its ID, on failure sets
    // the error text for the operation.
    template<class Record, class Announce>
    bool updateRecord(Record& record, const char* operation, Announce announce)
    {
        if (!record.update(this)) {
            setUpdateError(operation, record.ID < 1, record.errorCode);
            return false;
        }
        announce(record.ID);
        return true;
    }

private:
    // Refuses, with the reason in the error text, while persons match the filter.
    bool noPersonsLeft(const Athlete* filter);
};
