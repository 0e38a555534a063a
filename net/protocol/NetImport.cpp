// The received starter record turned into the import framework's records.
#include "net/protocol/NetImport.h"

#include "db/Conversions.h"
#include "net/protocol/WertungList.h"

#include <QDate>

namespace {

// A fixed-width field of the record, up to its NUL or its end.
template<int N>
QString fieldText(const char (&field)[N], int width = N)
{
    QString text;
    return fromCString(text, field, width);
}

} // namespace

NetImport::NetImport(const NetStarter_t* received) : MeldeImporter(QString())
{
    fromNetwork = 1;
    setRecord(received);
}

NetImport::~NetImport() = default;

void NetImport::setRecord(const NetStarter_t* received)
{
    hasRecord = received != nullptr;
    record = received ? *received : NetStarter_t();
}

bool NetImport::isTeam() const
{
    return hasRecord && record.entryType == NetStarter_t::Team;
}

bool NetImport::readClubs()
{
    clubs.clear();
    if (hasRecord) {
        Club club;
        club.setName(fieldText(record.clubs));
        club.Verband = fieldText(record.association);
        addClub(club);
    }
    return !clubs.isEmpty();
}

bool NetImport::readAthletes()
{
    athletes.clear();
    if (!hasRecord)
        return false;
    // Reached through run only after a club was read; called on its own it
    // must not take a club that is not there.
    const int clubId = clubs.isEmpty() ? 0 : clubs.first().ID;
    const int currentYear = QDate::currentDate().year();
    for (const NetSprotler_t& entry : record.athletes) {
        const QString first = fieldText(entry.firstName);
        const QString last = fieldText(entry.lastName);
        if (first.isEmpty() || last.isEmpty())
            continue;
        Athlete athlete;
        athlete.Verein = clubId;
        athlete.Geburtsdatum = entry.birthDate(currentYear);
        athlete.Nation = fieldText(record.nation);
        athlete.Geschlecht = qint8(entry.gender);
        athlete.Vorname = first;
        athlete.Nachname = last;
        addAthlete(athlete);
    }
    return !athletes.isEmpty();
}

int NetImport::getYear()
{
    return hasRecord ? record.rulesYear : MeldeImporter::getYear();
}

int NetImport::getNumber()
{
    return hasRecord ? record.number : MeldeImporter::getNumber();
}

bool NetImport::getEntries(WertungList& list)
{
    list.clear();
    list.autoDelete = true;
    if (hasRecord && record.entryType != NetStarter_t::Normal && record.entryType != NetStarter_t::Team) {
        auto* score = new Wertung_t;
        score->starterRef = getNumber();
        score->status = record.entryType == NetStarter_t::Certificate ? Wertung_t::statusCertificate
                                                                       : Wertung_t::statusAbsent;
        list.append(score);
    }
    return !list.isEmpty();
}

bool NetImport::finish()
{
    competitors.clear();
    if (!hasRecord)
        return false;
    // Exercise codes travel in 8 bytes; a code is at most 6 characters.
    constexpr int codeLength = 6;
    ACCompetitorData competitor;
    competitor.Verein = 1;
    competitor.setName(fieldText(record.sheetName));
    competitor.setGender(qint8(record.sex));
    competitor.setDisci(qint8(record.disci), false);
    competitor.setAgeClass(qint8(record.ageClass));
    competitor.netInfo = record.number;
    for (int i = 0; i < athletes.size(); ++i)
        competitor.setAthleteId(i, athletes.at(i).ID);
    for (int i = 0; i < NetStarter_t::CodeCount; ++i)
        competitor.setFigure(i, fieldText(record.codes[i], codeLength));
    mergeCompetitor(competitor);
    return !competitors.isEmpty();
}
