// The base of a team record: the athletes that start together (members in
// position order, reserve riders), name, discipline, gender, age class, the
// validity rules and the comparisons used when entries are merged or imported.
#pragma once

#include <QList>
#include <QString>

class TeamDataBase
{
public:
    // Bits of errorFlags, as isValid finds them.
    enum {
        BadMembers = 1,
        NoName = 2,
        NoAgeClass = 4,
        NoDisci = 8,
        BadReserves = 16,
    };

    TeamDataBase();
    TeamDataBase(const TeamDataBase&) = default;
    TeamDataBase& operator=(const TeamDataBase&) = default;
    virtual ~TeamDataBase();

    virtual void clear();
    virtual bool isValid();
    virtual int minSportler() const = 0;
    virtual int maxSportler() const = 0;
    virtual int maxReserve() const = 0;
    virtual void dump() const;

    void setName(const QString& name);
    bool hasAthlete(int id) const;
    void setMember(int id);
    void setReserve(int id);
    void addReserve(int id);
    void setMembers(const QList<int>& ids);

    bool isSame(const TeamDataBase& other) const;
    bool isSimilar(const TeamDataBase& other) const;
    bool hasSameMembers(const TeamDataBase& other) const;
    bool operator==(const TeamDataBase& other) const;
    bool operator!=(const TeamDataBase& other) const { return !(*this == other); }

    QString UCIName;
    QList<int> members;   // position order; 0 marks an empty position
    QList<int> reserves;
    int disci = 0;
    int gender = 0;       // 1 male, 2 female, 0 not set
    int ageClass = 0;
    int errorCode = 0;    // of the last failed database operation, in RuvoDB's code space
    int errorFlags = 0;   // the bits of the last isValid
    QString Name;
    int ID = 0;           // row in "Teams"; 0 or less: not stored

private:
    int countMembersAndGaps(int* lastPosition) const;
    void checkReserves();
};
