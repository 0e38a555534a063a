// The suite's entry list: an address book (clubs, persons, names,
// competitions) that also holds the start entries of a competition (table
// "starter") and their team rows (table "Teams"). It refuses to remove a
// club, an athlete or a team that start entries still name, renumbers the
// entries when two athletes are joined, and builds an entry's name from its
// athletes or clubs.
//
// Inserts and updates of entries first ask a hook, which may change the entry
// or refuse; receivers must be connected directly, the arguments live in the
// caller's frame. Change signals are emitted only after the change landed.
#pragma once

#include "db/RuvoDBList.h"
#include "records/ACCompetitorData.h"
#include "records/ACTeamData.h"
#include "records/AddressDB.h"
#include "records/StarterList.h"
#include "records/Starter_t.h"

class MeldeListeDB : public AddressDB
{
    Q_OBJECT
public:
    enum { Magic = 640111 };

    explicit MeldeListeDB(QObject* parent = nullptr);

    // Makes a new empty file an entry list, upgrades one, and locks any other
    // file (an address book too) with the wrong-type error.
    bool setupDB() override;
    // Refused while start entries name the club.
    bool removeVerein(int id) override;
    // Refused while start entries or teams name the athlete; true, removing
    // nothing, when there is no such person.
    bool removeSportler(int id) override;
    // The base join, with the start entries of the dropped athlete moved to
    // the kept one.
    int joinSportler(int idA, int idB) override;
    bool createTables() override;
    virtual bool updateStarter(Starter_t& entry);
    virtual bool updateStarter(ACCompetitorData& entry);
    virtual bool updateACCompetitor(ACCompetitorData& entry);
    virtual bool removeStarter(int id);
    // The netInfo every entry read receives; other programs supply their own.
    virtual int starterNetInfo(int starterId);

    // Start entries. Order numbers as ACCompetitorData::Order. The writes and
    // reads of Starter_t records also go through the competitor records and
    // log where the two differ; their results come from Starter_t alone.
    static void starterInsertSql(QString& sql, const Starter_t& entry);
    int insertStarter(Starter_t& entry);
    int insertStarter(ACCompetitorData& entry);
    bool updateWbName(int id, const QString& name);
    int starterCount();
    bool getStarter(StarterList& list, const Starter_t* filter, int order);
    bool getStarterByCategory(StarterList& list, int category, int order);
    bool getStarterOfTeam(StarterList& list, int teamId, int order);
    bool getStarterById(Starter_t& entry, int id);
    static void cleanStarter(Starter_t& entry);
    bool getACCompetitors(RuvoDBList<ACCompetitorData>& list, const ACCompetitorData* filter, int order);
    bool getACCompetitorsByCategory(RuvoDBList<ACCompetitorData>& list, int category, int order);
    bool getACCompetitorsOfTeam(RuvoDBList<ACCompetitorData>& list, int teamId, int order);
    bool getACCompetitorById(ACCompetitorData& entry, int id);
    // The SELECT that getStarter runs for a filter (null: every entry).
    static QString starterSelectText(const Starter_t* filter, int order);

    // Teams.
    int insertTeam(ACTeamData& team);
    bool updateTeam(ACTeamData& team);
    // Refused while start entries belong to the team.
    bool removeTeam(int teamId);
    bool getTeamById(ACTeamData& team, int id);
    bool getTeams(RuvoDBList<ACTeamData>& list, const TeamDataBase* filter);
    bool getTeams(RuvoDBList<ACTeamData>& list, int disci);
    int assignCompetitorsToTeam(ACTeamData& team);

    // The entry's name from its athlete, its pair or its club (or the clubs of
    // a start group); a team's number carries over. Stores nothing.
    void makeWbName(Starter_t& entry);

signals:
    void starterHook(Starter_t& starter, bool& ok);
    void competitorHook(ACCompetitorData& competitor, bool& ok);
    void signalStarterChanged(int ID);
    void signalStarterRemoved(int ID);
    void signalTeamChanged(int ID);
    void signalTeamRemoved(int ID);

private:
    // Asks a hook before an entry is stored; a refusal leaves the operation
    // and "refused by user" in the error text.
    template<class Entry>
    bool hookAllows(void (MeldeListeDB::*hook)(Entry&, bool&), Entry& entry, const char* operation);
    // getStarter's own read, without the comparison read beside it.
    bool readStarters(StarterList& list, const Starter_t* filter, int order);
    // The single count a SELECT COUNT(*) gives, -1 when the read fails.
    int countOf(const QString& sql);
    // Refuses with text while count is above 0; a failed count (-1) refuses
    // and keeps the read's error.
    bool noneLeft(int count, const QString& text);
    QString pairName(const Athlete& a, const Athlete& b) const;
    QString clubsName(const Starter_t& entry);
};
