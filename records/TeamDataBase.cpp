// Team records: validity rules, member and reserve lists, comparisons.
#include "records/TeamDataBase.h"

#include <QDebug>

namespace {

// A copy of the list without the empty (0 or less) entries at its end.
QList<int> withoutTrailingEmpty(QList<int> ids)
{
    while (!ids.isEmpty() && ids.last() <= 0)
        ids.removeLast();
    return ids;
}

// One field of the comparison; the first that differs is logged.
template<class T>
bool sameField(const char* field, const T& mine, const T& theirs)
{
    if (mine == theirs)
        return true;
    qDebug() << "TeamDataBase==" << field << mine << theirs;
    return false;
}

// Lists of IDs compare without their empty entries at the end.
bool sameIds(const char* field, const QList<int>& mine, const QList<int>& theirs)
{
    if (withoutTrailingEmpty(mine) == withoutTrailingEmpty(theirs))
        return true;
    qDebug() << "TeamDataBase==" << field << mine << theirs;
    return false;
}

int countAbove0(const QList<int>& ids)
{
    int n = 0;
    for (int id : ids)
        if (id > 0)
            ++n;
    return n;
}

bool hasLaterDuplicate(const QList<int>& ids)
{
    for (int i = 0; i < ids.size(); ++i)
        if (ids.at(i) > 0 && ids.indexOf(ids.at(i), i + 1) >= 0)
            return true;
    return false;
}

} // namespace

TeamDataBase::TeamDataBase()
{
    // clear() is virtual, but during construction this class's own runs, as intended.
    TeamDataBase::clear();
}

TeamDataBase::~TeamDataBase() = default;

void TeamDataBase::clear()
{
    UCIName.clear();
    Name.clear();
    members.clear();
    reserves.clear();
    disci = 0;
    gender = 0;
    ageClass = 0;
    errorFlags = 0;
    ID = 0;
}

bool TeamDataBase::isValid()
{
    errorFlags = 0;
    if (members.isEmpty() || hasLaterDuplicate(members))
        errorFlags |= BadMembers;
    if (Name.isEmpty())
        errorFlags |= NoName;
    if (ageClass == 0)
        errorFlags |= NoAgeClass;
    if (disci == 0)
        errorFlags |= NoDisci;
    checkReserves();

    int lastPosition = 0;
    const int n = countMembersAndGaps(&lastPosition);
    if (n != lastPosition || n < minSportler() || n > maxSportler())
        errorFlags |= BadMembers;

    if (countAbove0(reserves) > maxReserve()) {
        errorFlags |= BadReserves;
        return false;
    }
    return errorFlags == 0;
}

// The number of member IDs above 0, and the position (from 1) of the last one.
int TeamDataBase::countMembersAndGaps(int* lastPosition) const
{
    int n = 0;
    *lastPosition = 0;
    for (int i = 0; i < members.size(); ++i) {
        if (members.at(i) > 0) {
            ++n;
            *lastPosition = i + 1;
        }
    }
    return n;
}

void TeamDataBase::checkReserves()
{
    if (reserves.isEmpty())
        return;
    if (hasLaterDuplicate(reserves))
        errorFlags |= BadReserves;
    for (int id : qAsConst(reserves)) {
        if (id > 0 && members.contains(id)) {
            errorFlags |= BadReserves;
            return;
        }
    }
}

void TeamDataBase::dump() const
{
    qDebug() << "TeamDataBase:" << ID << Name << UCIName << members << reserves;
    qDebug() << "TeamDataBase:" << "gender" << gender << "disci" << disci << "age" << ageClass;
}

void TeamDataBase::setName(const QString& name)
{
    Name = name.simplified();
}

bool TeamDataBase::hasAthlete(int id) const
{
    return members.contains(id) || reserves.contains(id);
}

void TeamDataBase::setMember(int id)
{
    if (id == 0)
        return;
    reserves.removeOne(id);
    if (!members.contains(id))
        members.append(id);
}

void TeamDataBase::setReserve(int id)
{
    if (id == 0)
        return;
    members.removeOne(id);
    if (!reserves.contains(id))
        reserves.append(id);
}

void TeamDataBase::addReserve(int id)
{
    if (id != 0 && !hasAthlete(id))
        reserves.append(id);
}

void TeamDataBase::setMembers(const QList<int>& ids)
{
    for (int id : ids)
        setMember(id);
}

bool TeamDataBase::isSame(const TeamDataBase& other) const
{
    if (disci != other.disci || members.size() != other.members.size()
        || reserves.size() != other.reserves.size())
        return false;
    for (int id : other.members + other.reserves)
        if (!hasAthlete(id))
            return false;
    return true;
}

bool TeamDataBase::hasSameMembers(const TeamDataBase& other) const
{
    if (members.size() != other.members.size())
        return false;
    for (int id : members)
        if (!other.members.contains(id))
            return false;
    return true;
}

bool TeamDataBase::isSimilar(const TeamDataBase& other) const
{
    int t = qMax(members.size(), other.members.size());
    if (reserves.isEmpty() && other.reserves.isEmpty())
        t = t / 2 + 1;
    if (disci != other.disci)
        return false;
    // Empty positions (0 or less) are no athletes, so they are never shared.
    for (int id : members) {
        if (id > 0 && other.hasAthlete(id))
            --t;
        if (t <= 0)
            return true;
    }
    if (reserves.isEmpty())
        return false;
    for (int id : reserves)
        if (id > 0 && other.hasAthlete(id))
            --t;
    return t <= 0;
}

bool TeamDataBase::operator==(const TeamDataBase& other) const
{
    return sameField("ID", ID, other.ID) && sameField("gender", gender, other.gender)
        && sameField("disci", disci, other.disci) && sameField("ageClass", ageClass, other.ageClass)
        && sameField("Name", Name, other.Name) && sameField("UCIName", UCIName, other.UCIName)
        && sameIds("members", members, other.members) && sameIds("reserves", reserves, other.reserves);
}
