// The start entry itself: its setters and getters, the conversions to and from
// the flat record Starter_t, the comparisons, the debug dump and the merge of an
// imported entry with its HTML change report.
#include "records/ACCompetitorData.h"

#include "db/Conversions.h"
#include "records/Starter_t.h"

#include <QDebug>

#include <climits>
#include <cmath>

namespace {

// A code field: its bytes up to the first NUL, all eight when there is none.
QString codeText(const char* field)
{
    int n = 0;
    while (n < Starter_t::CodeSize && field[n])
        ++n;
    return QString::fromLatin1(field, n);
}

QString idList(const QList<int>& ids)
{
    QStringList items;
    for (int id : ids)
        items << QString::number(id);
    return QLatin1Char('(') + items.join(QStringLiteral(", ")) + QLatin1Char(')');
}

// A conflict line of the change report; texts are shown as written, not as markup.
QString reportLine(const char* label, const QString& mine, const QString& theirs)
{
    return QLatin1String(label) + mine.toHtmlEscaped() + QStringLiteral(" --> ") + theirs.toHtmlEscaped()
        + QStringLiteral("<br>\n");
}

QString pointsLine(const char* label, int mine, int theirs)
{
    // pointsText hands out one static buffer: each value is copied at once.
    const QString a = QString::fromLatin1(pointsText(mine));
    const QString b = QString::fromLatin1(pointsText(theirs));
    return QLatin1String(label) + a + QStringLiteral("--> ") + b + QStringLiteral("<br>\n");
}

QString numberLine(const char* label, int mine, int theirs)
{
    return QLatin1String(label) + QString::number(mine) + QStringLiteral(" --> ") + QString::number(theirs)
        + QStringLiteral(" <br>\n");
}

} // namespace

ACCompetitorData::ACCompetitorData()
{
    clear();
}

ACCompetitorData::ACCompetitorData(const Starter_t& s)
{
    ID = s.id;
    Verein = s.clubId;
    QString name;
    setName(fromCString(name, s.name, Starter_t::NameSize));
    team.fromStarter(s);
    setBestOrt(team.BestOrt);   // kept cleaned, as every place the entry is given
    qDebug() << "ACCompetitorData ( const Starter_t) TeamID=" << s.teamId << WbName;
    team.ID = s.teamId;
    given = s.given;
    for (int i = 0; i < Starter_t::CodeCount; ++i)
        figures.setFigure(i, codeText(s.codes[i]));
    netInfo = s.netInfo;
}

ACCompetitorData::~ACCompetitorData() = default;

void ACCompetitorData::clear()
{
    Verein = ID = given = netInfo = errorCode = 0;
    WbName.clear();
    team.clear();
    figures.clear();
}

Starter_t& ACCompetitorData::toStarter(Starter_t& s) const
{
    s = Starter_t();
    s.id = ID;
    s.clubId = Verein;
    toCString(s.name, WbName, Starter_t::NameSize);
    team.toStarter(s);
    s.teamId = team.ID;
    s.checksum = figures.checksum();
    s.given = uint16_t(given);
    for (int i = 0; i < Starter_t::CodeCount; ++i)
        toCString(s.codes[i], figures.at(i).text(), Starter_t::CodeSize);
    s.netInfo = netInfo;
    return s;
}

bool ACCompetitorData::equalsStarter(const Starter_t& s) const
{
    if (Verein != s.clubId)
        return false;
    ACTeamData other;
    other.fromStarter(s);
    other.ID = s.teamId;
    if (!team.isSame(other) || given != int(s.given))
        return false;
    for (int i = 0; i < Starter_t::CodeCount; ++i)
        if (codeText(s.codes[i]) != figures.at(i).text())
            return false;
    QString name;
    if (WbName != fromCString(name, s.name, Starter_t::NameSize) || netInfo != s.netInfo)
        return false;
    if (s.checksum != 0 && s.checksum != figures.checksum())
        return false;
    return ID == s.id;
}

bool ACCompetitorData::isValid()
{
    return team.isValid();
}

bool ACCompetitorData::setGender(int g)
{
    team.gender = g;
    return true;
}

bool ACCompetitorData::setDisci(int d, bool force)
{
    const int listDisci = figures.disci;
    if (listDisci != 0 && listDisci != d) {
        if (!force) {
            qDebug("ACCompetitorData::setDisci failed: %d %d", listDisci, d);
            return false;
        }
        figures.clear();
    }
    team.disci = d;
    return true;
}

bool ACCompetitorData::setAgeClass(int a)
{
    team.ageClass = a;
    return true;
}

bool ACCompetitorData::setAthleteId(int position, int id)
{
    if (position < 0 || position >= Starter_t::MemberCount)
        return false;
    while (team.members.size() <= position)
        team.members.append(0);
    team.members[position] = id;
    team.setMember(id);
    return true;
}

bool ACCompetitorData::setFigure(int index, const QString& code)
{
    if (!figures.setFigure(index, code))
        return false;
    if (figures.disci != 0)
        team.disci = figures.disci;
    return true;
}

void ACCompetitorData::setGiven(int hundredths)
{
    given = hundredths;
}

void ACCompetitorData::setGiven(double points)
{
    if (std::isnan(points)) {
        given = 0;
        return;
    }
    // The default rounding mode sends an exact half to the even neighbour.
    const double hundredths = std::nearbyint(points * 100.0);
    if (hundredths <= double(INT_MIN))
        given = INT_MIN;
    else if (hundredths >= double(INT_MAX))
        given = INT_MAX;
    else
        given = int(hundredths);
}

void ACCompetitorData::setName(const QString& text)
{
    WbName = cleanSqlText(text);
    if (team.ID == 0)
        team.setName(text);
}

void ACCompetitorData::setBestOrt(const QString& text)
{
    team.BestOrt = cleanSqlText(text);
}

int ACCompetitorData::disci() const
{
    return figures.disci != 0 ? figures.disci : team.disci;
}

int ACCompetitorData::athleteId(int i) const
{
    return i >= 0 && i < team.members.size() ? team.members.at(i) : 0;
}

bool ACCompetitorData::figuresEmpty() const
{
    return !figures.at(0).isValid() || figures.isEmpty();
}

bool ACCompetitorData::operator==(const ACCompetitorData& other) const
{
    return ID == other.ID && Verein == other.Verein && WbName == other.WbName && team == other.team
        && given == other.given && figures.sameCodes(other.figures) && netInfo == other.netInfo
        && figures.checksum() == other.figures.checksum();
}

bool ACCompetitorData::isSame(const ACCompetitorData& other) const
{
    return team.isSame(other.team) && figures == other.figures;
}

bool ACCompetitorData::isSimilar(const ACCompetitorData& other) const
{
    return team.isSimilar(other.team);
}

void ACCompetitorData::dump() const
{
    qDebug() << "ID=" << ID << "ClubID=" << Verein << "Name=" << WbName << "gender=" << gender()
             << "ageClass=" << ageClass() << "given=" << given << "disci=" << disci();
    qDebug().noquote() << "team=" << team.ID << ('"' + team.Name + '"') << "athlete IDs:"
                       << idList(team.members) << idList(team.reserves) << "Bestl.:" << team.Best
                       << "on:" << team.BestDatum.toString(Qt::ISODate) << "in:" << ('"' + team.BestOrt + '"')
                       << "email:" << ('"' + team.Email + '"');
    QString codes = QStringLiteral("Figures:");
    for (int i = 0; i < FigureList::Positions; ++i) {
        const Figure code = figures.at(i);
        codes += code.isValid() ? QLatin1Char(' ') + code.text() : QStringLiteral(" .");
    }
    qDebug() << codes;
}

bool ACCompetitorData::merge(const ACCompetitorData& other, bool force, QString* report)
{
    bool taken = false;
    QString lines;

    if (!other.WbName.isEmpty() && other.WbName != WbName) {
        if (WbName.isEmpty() || force) {
            setName(other.WbName);
            taken = true;
        } else {
            lines += reportLine("<b>Name:</b>  ", WbName, other.WbName);
        }
    }
    if (other.team.Best != 0 && other.team.Best != team.Best) {
        if (team.Best == 0 || force) {
            team.Best = other.team.Best;
            taken = true;
        } else {
            lines += pointsLine("<b>PbBest:</b>  ", team.Best, other.team.Best);
        }
    }
    if (!other.team.BestOrt.isEmpty() && other.team.BestOrt != team.BestOrt) {
        if (team.BestOrt.isEmpty() || force) {
            setBestOrt(other.team.BestOrt);
            taken = true;
        } else {
            lines += reportLine("<b>PbPlace:</b>  ", team.BestOrt, other.team.BestOrt);
        }
    }
    if (other.team.BestDatum.isValid() && other.team.BestDatum != team.BestDatum) {
        if (!team.BestDatum.isValid() || force) {
            team.BestDatum = other.team.BestDatum;
            taken = true;
        } else {
            const QString format = QStringLiteral("dd.MM.yyyy");
            lines += reportLine("<b>PbDate:</b>  ", team.BestDatum.toString(format),
                                other.team.BestDatum.toString(format));
        }
    }
    if (other.gender() != 0 && other.gender() != gender()) {
        if (gender() == 0 || force)
            taken = setGender(other.gender()) || taken;
        else
            lines += numberLine("<b>Gender:</b> ", gender(), other.gender());
    }
    if (other.ageClass() != 0 && other.ageClass() != ageClass()) {
        if (ageClass() == 0 || force)
            taken = setAgeClass(other.ageClass()) || taken;
        else
            lines += numberLine("<b>AgeClass:</b> ", ageClass(), other.ageClass());
    }
    if (other.given != 0 && other.given != given) {
        if (given == 0 || force) {
            setGiven(other.given);
            taken = true;
        } else {
            lines += pointsLine("<b>Given:</b>  ", given, other.given);
        }
    }

    if (!other.team.members.isEmpty()) {
        for (int id : other.team.members)
            team.setMember(id);
        taken = true;
    }
    if (!other.team.reserves.isEmpty()) {
        for (int id : other.team.reserves)
            team.addReserve(id);
        taken = true;
    }

    for (int i = 0; i < FigureList::Positions; ++i) {
        const Figure theirs = other.figures.at(i);
        const Figure mine = figures.at(i);
        if (!theirs.isValid() || theirs == mine)
            continue;
        // A code of another discipline is refused by the list, which would
        // empty the position on the way: it is reported, never stored.
        if ((!mine.isValid() || force) && figures.fits(theirs) && setFigure(i, theirs.text())) {
            taken = true;
            continue;
        }
        lines += QStringLiteral("<b>Figure[%1]:</b>").arg(i + 1) + mine.text() + QStringLiteral(" --> ")
            + theirs.text() + QStringLiteral("<br>\n");
    }

    if (report)
        *report += lines;
    return taken;
}
