// The name of a start entry: the athlete of a single start, the pair's last
// names, or the club (the clubs of a start group) of a team, keeping the
// number that tells several teams of one club apart.
#include "records/MeldeListeDB.h"

#include "db/Conversions.h"
#include "db/RuvoProps.h"

#include <QDebug>
#include <QRegularExpression>

namespace {

const int maxTeamNumber = 19;
const int firstNumberPosition = 6;   // a number nearer the start belongs to the name

// " 2" or " II" behind the club's name in "RV Musterstadt 2", empty when the
// name carries no such number.
QString teamNumber(const QString& name)
{
    static const QRegularExpression number(QStringLiteral(" ([0-9]+|[XIV]+|[xiv]+)"));
    QRegularExpressionMatchIterator it = number.globalMatch(name);
    while (it.hasNext()) {
        const QRegularExpressionMatch m = it.next();
        const int end = m.capturedEnd(0);
        const ushort behind = end < name.size() ? name.at(end).unicode() : 0;
        const QString captured = m.captured(1);
        bool ok = true;
        const qulonglong value = captured.at(0).isDigit() ? captured.toULongLong(&ok) : 0;
        if (m.capturedStart(0) >= firstNumberPosition && behind < 0x2F && ok && value <= maxTeamNumber)
            return captured;
    }
    return QString();
}

} // namespace

void MeldeListeDB::makeWbName(Starter_t& entry)
{
    Athlete a;
    Athlete b;
    if (entry.disci == 1) {
        if (getAthlete(a, entry.members[0]))
            toCString(entry.name, a.displayName(), Starter_t::NameSize);
    } else if (entry.disci == 2) {
        if (getAthlete(a, entry.members[0]) && getAthlete(b, entry.members[1]))
            toCString(entry.name, pairName(a, b), Starter_t::NameSize);
    } else {
        const QString base = clubsName(entry);
        QString current;
        fromCString(current, entry.name, Starter_t::NameSize);
        if (!current.contains(base, Qt::CaseInsensitive)) {
            const QString number = teamNumber(current.simplified());
            toCString(entry.name, number.isEmpty() ? base : base + QLatin1Char(' ') + number, Starter_t::NameSize);
        }
    }
    entry.name[Starter_t::NameSize - 1] = '\0';
}

QString MeldeListeDB::pairName(const Athlete& a, const Athlete& b) const
{
    if (a.Nachname != b.Nachname)
        return qMin(a.Nachname, b.Nachname) + QStringLiteral(" / ") + qMax(a.Nachname, b.Nachname);
    const QString firstNames = a.Vorname + QStringLiteral(" + ") + b.Vorname;
    return RuvoProps::nameFormat() ? b.Nachname + QStringLiteral(", ") + firstNames
                                   : firstNames + QLatin1Char(' ') + b.Nachname;
}

// The entry's club, or for a start group (or a club that is missing) "SG: "
// and the clubs of its athletes, each once.
QString MeldeListeDB::clubsName(const Starter_t& entry)
{
    Club club;
    if (getVerein(club, entry.clubId, false))
        return club.Name;
    QString base;
    QList<int> seen;
    for (int id : entry.members) {
        Athlete athlete;
        if (id == 0 || !getAthlete(athlete, id) || seen.contains(athlete.Verein))
            continue;
        seen << athlete.Verein;
        if (!getVerein(club, athlete.Verein, false)) {
            qDebug("Verein ID=%d not found in Melde-Database", athlete.Verein);
            continue;
        }
        base += base.isEmpty() ? QStringLiteral("SG: ") : QStringLiteral("/");
        base += club.Name;
    }
    return base;
}
