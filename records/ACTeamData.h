// The team record of the entry lists: sizes from the team-size table, a personal
// best and a contact address, stored as one row of the table "Teams".
#pragma once

#include "db/RuvoDBList.h"
#include "records/TeamDataBase.h"

#include <QDate>
#include <QString>

class RuvoDB;
struct Starter_t;

class ACTeamData : public TeamDataBase
{
public:
    ACTeamData();
    explicit ACTeamData(const TeamDataBase& base);
    ACTeamData(const ACTeamData&) = default;
    ACTeamData& operator=(const ACTeamData&) = default;
    ~ACTeamData() override;

    void clear() override;
    int minSportler() const override;
    int maxSportler() const override;
    int maxReserve() const override;
    void dump() const override;

    bool operator==(const ACTeamData& other) const;
    bool operator!=(const ACTeamData& other) const { return !(*this == other); }

    // The team part of the flat record: member IDs, discipline, name, personal
    // best, gender and age class. The name goes over whatever the field held.
    void toStarter(Starter_t& record) const;
    void fromStarter(const Starter_t& record);

    static bool createTable(RuvoDB* db);
    static bool upgradeTable(RuvoDB* db);
    QString& sqlReplaceText();
    int insert(RuvoDB* db);
    bool update(RuvoDB* db);
    static bool deleteTeam(RuvoDB* db, int id);
    static bool deleteAll(RuvoDB* db);
    static bool getById(RuvoDB* db, ACTeamData& team, int id);

    // The SELECT that getTeams runs for a filter (null: every team); empty for
    // a filter that names a member beyond the sixth position, which getTeams refuses.
    static QString selectText(const TeamDataBase* filter);

    QDate BestDatum;
    QString BestOrt;
    quint16 Best = 0;   // hundredths of a point
    QString Email;
    QString sqlText;    // the last statement this record built
};

bool getTeams(RuvoDB* db, RuvoDBList<ACTeamData>& list, const TeamDataBase* filter);
bool getTeams(RuvoDB* db, RuvoDBList<ACTeamData>& list, int disci);
