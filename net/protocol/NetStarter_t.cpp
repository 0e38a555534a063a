// The starter record on the wire, big-endian; texts and codes as bytes.
#include "net/protocol/NetStarter_t.h"

#include "db/Conversions.h"
#include "records/Wertung_t.h"
#include "net/wire/ByteOrder.h"
#include "records/ExpandedAthlete.h"
#include "records/Starter_t.h"

#include <cstring>

namespace {
constexpr int clubsOffset = 0;
constexpr int sheetNameOffset = 32;
constexpr int athletesOffset = 64;
constexpr int sexOffset = 472;
constexpr int disciOffset = 473;
constexpr int ageClassOffset = 474;
constexpr int entryTypeOffset = 475;
constexpr int associationOffset = 476;
constexpr int nationOffset = 508;
constexpr int numberOffset = 512;
constexpr int rulesYearOffset = 514;
constexpr int codesOffset = 516;
static_assert(athletesOffset + NetStarter_t::AthleteCount * NetSprotler_t::Size == sexOffset, "six athletes");
static_assert(codesOffset + NetStarter_t::CodeCount * NetStarter_t::CodeSize == NetStarter_t::Size,
              "NetStarter_t is 756 bytes");
}

void NetStarter_t::write(uint8_t* out) const
{
    std::memset(out, 0, Size);
    std::memcpy(out + clubsOffset, clubs, TextSize);
    std::memcpy(out + sheetNameOffset, sheetName, TextSize);
    for (int i = 0; i < AthleteCount; ++i)
        athletes[i].write(out + athletesOffset + i * NetSprotler_t::Size);
    out[sexOffset] = sex;
    out[disciOffset] = disci;
    out[ageClassOffset] = ageClass;
    out[entryTypeOffset] = entryType;
    std::memcpy(out + associationOffset, association, TextSize);
    std::memcpy(out + nationOffset, nation, NationSize);
    ByteOrder::putBig16(out + numberOffset, number);
    ByteOrder::putBig16(out + rulesYearOffset, rulesYear);
    std::memcpy(out + codesOffset, codes, sizeof codes);
}

NetStarter_t NetStarter_t::read(const uint8_t* in)
{
    NetStarter_t record;
    std::memcpy(record.clubs, in + clubsOffset, TextSize);
    std::memcpy(record.sheetName, in + sheetNameOffset, TextSize);
    for (int i = 0; i < AthleteCount; ++i)
        record.athletes[i] = NetSprotler_t::read(in + athletesOffset + i * NetSprotler_t::Size);
    record.sex = in[sexOffset];
    record.disci = in[disciOffset];
    record.ageClass = in[ageClassOffset];
    record.entryType = in[entryTypeOffset];
    std::memcpy(record.association, in + associationOffset, TextSize);
    std::memcpy(record.nation, in + nationOffset, NationSize);
    record.number = ByteOrder::big16(in + numberOffset);
    record.rulesYear = ByteOrder::big16(in + rulesYearOffset);
    std::memcpy(record.codes, in + codesOffset, sizeof record.codes);
    return record;
}

NetStarter_t NetStarter_t::fromStarter(const Starter_t& starter, const QList<ExpandedAthlete>& athletes,
                                       const QString& clubs, const QString& sheetName, const QString& association,
                                       int rulesYear, quint8 entryType)
{
    NetStarter_t record;
    for (int i = 0; i < qMin(athletes.size(), int(AthleteCount)); ++i) {
        const ExpandedAthlete& athlete = athletes.at(i);
        NetSprotler_t& entry = record.athletes[i];
        entry.birth = NetSprotler_t::packBirthDate(athlete.Geburtsdatum);
        entry.gender = quint8(athlete.Geschlecht);
        toCString(entry.firstName, athlete.Vorname, NetSprotler_t::NameSize);
        toCString(entry.lastName, athlete.Nachname, NetSprotler_t::NameSize);
        if (record.nation[0] == '\0')
            toCString(record.nation, athlete.Nation, NationSize);
    }
    toCString(record.clubs, clubs, TextSize);
    toCString(record.sheetName, sheetName, TextSize);
    record.number = quint16(starter.netInfo);
    record.rulesYear = quint16(rulesYear);
    record.sex = quint8(starter.gender);
    record.disci = quint8(starter.disci);
    record.ageClass = quint8(starter.ageClass);
    toCString(record.association, association, TextSize);
    static_assert(sizeof record.codes == sizeof starter.codes, "thirty codes of 8 bytes");
    std::memcpy(record.codes, starter.codes, sizeof record.codes);
    record.entryType = entryType;
    return record;
}

int NetStarter_t::rulesYearOf(const QString& catalogueDate)
{
    constexpr int dateTextSize = 64;
    char text[dateTextSize] = {};
    toCString(text, catalogueDate, dateTextSize);
    return parseDate(text).year();
}

quint8 NetStarter_t::entryTypeOf(int status)
{
    switch (status) {
    case Wertung_t::statusCertificate: return Certificate;
    case Wertung_t::statusAbsent: return Absent;
    default: return Normal;
    }
}
