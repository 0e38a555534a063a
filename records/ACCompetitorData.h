// One start entry of a competition: a single athlete or a team that starts in
// one discipline and age class, with its club, the name on the score sheet,
// its 30 exercise codes, its declared points and its team part. Stored as one
// row of the table "starter" beside its row in "Teams", and converted to and
// from the flat record Starter_t.
#pragma once

#include "db/RuvoDBList.h"
#include "records/ACTeamData.h"
#include "records/FigureList.h"

#include <QList>
#include <QString>

class MeldeListeDB;
class RuvoDB;
struct Starter_t;

class ACCompetitorData
{
public:
    // Order numbers of getACCompetitors.
    enum Order {
        Unordered = 0,
        ByDisci = 1,
        ByAgeClass = 2,
        ByGiven = 3,
        ByBest = 4,
        ByIdAscending = 5,
        ByIdDescending = 6,
    };

    ACCompetitorData();
    explicit ACCompetitorData(const Starter_t& record);
    ACCompetitorData(const ACCompetitorData&) = default;
    ACCompetitorData& operator=(const ACCompetitorData&) = default;
    virtual ~ACCompetitorData();

    void clear();
    Starter_t& toStarter(Starter_t& record) const;
    bool equalsStarter(const Starter_t& record) const;

    virtual bool isValid();   // keeps the bits in the team part's errorFlags
    virtual int clubId() const { return Verein; }
    virtual bool setGender(int gender);
    virtual bool setDisci(int disci, bool force);
    virtual bool setAgeClass(int ageClass);
    virtual bool setAthleteId(int position, int id);
    virtual bool setFigure(int index, const QString& code);
    virtual void setGiven(int hundredths);
    virtual void setGiven(double points);

    void setName(const QString& text);
    void setBestOrt(const QString& text);

    int gender() const { return team.gender; }
    int ageClass() const { return team.ageClass; }
    int disci() const;
    int athleteId(int i) const;
    Figure figure(int i) const { return figures.at(i); }
    bool figuresEmpty() const;

    bool operator==(const ACCompetitorData& other) const;
    bool operator!=(const ACCompetitorData& other) const { return !(*this == other); }
    bool isSame(const ACCompetitorData& other) const;
    bool isSimilar(const ACCompetitorData& other) const;
    void dump() const;

    // Takes over the other entry's data field by field; conflicts go to the
    // HTML report. True when anything was taken over.
    bool merge(const ACCompetitorData& other, bool force, QString* report);

    // The table "starter".
    static bool createTable(RuvoDB* db);
    static bool upgradeTable(RuvoDB* db);
    QString& insertSql();
    int insert(RuvoDB* db);
    bool update(RuvoDB* db);
    static QList<int> getIds(RuvoDB* db);
    static bool getACCompetitors(RuvoDB* db, RuvoDBList<ACCompetitorData>& out,
                                 const ACCompetitorData* filter, int order);
    // The SELECT that getACCompetitors runs for a filter (null: every entry).
    static QString selectText(const ACCompetitorData* filter, int order);
    // Gives the stored entries of the team's members and discipline that have
    // no team row yet the team's ID, all or none; the number given (0 for a
    // team without members), -1 for a team without ID or a failure.
    static int assignCompetitorsToTeam(MeldeListeDB* db, const ACTeamData& team);

    int netInfo = 0;      // carried between programs, not stored in "starter"
    int Verein = 0;       // the club's ID
    QString WbName;       // the name on the score sheet, kept cleaned for SQL
    FigureList figures;
    ACTeamData team;      // its ID is the entry's row in "Teams", 0: none
    int given = 0;        // declared points in hundredths
    int ID = 0;           // row in "starter"; 0 or less: not stored
    int errorCode = 0;    // 9 after an update of an entry without ID
    QString sqlText;      // the last statement insertSql built
};
