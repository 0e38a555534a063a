// The start-entry record's byte layout: every field at its offset, integers
// little-endian, texts as their fixed-width fields.
#include "records/Starter_t.h"

#include <cstddef>
#include <cstring>

namespace {

constexpr int idAt = 0;
constexpr int clubIdAt = 4;
constexpr int nameAt = 8;
constexpr int membersAt = 72;
constexpr int checksumAt = 96;
constexpr int bestDateAt = 100;
constexpr int bestPlaceAt = 104;
constexpr int genderAt = 136;
constexpr int disciAt = 140;
constexpr int ageClassAt = 144;
constexpr int bestAt = 148;
constexpr int givenAt = 150;
constexpr int codesAt = 152;
constexpr int errorMaskAt = 392;
constexpr int testedMaskAt = 396;
constexpr int reservedAt = 400;
constexpr int netInfoAt = 408;
constexpr int teamIdAt = 412;

static_assert(nameAt + Starter_t::NameSize == membersAt, "the members follow the name");
static_assert(membersAt + 4 * Starter_t::MemberCount == checksumAt, "six member IDs");
static_assert(bestPlaceAt + Starter_t::PlaceSize == genderAt, "the gender follows the place");
static_assert(codesAt + Starter_t::CodeCount * Starter_t::CodeSize == errorMaskAt, "30 codes of 8 bytes");
static_assert(reservedAt + Starter_t::ReservedSize == netInfoAt, "8 reserved bytes");
static_assert(teamIdAt + 4 == Starter_t::Size, "the record is 416 bytes");

// The value form has the same layout, so a plain copy of it stays possible.
static_assert(sizeof(Starter_t) == Starter_t::Size, "no padding in the value");
static_assert(offsetof(Starter_t, name) == nameAt && offsetof(Starter_t, members) == membersAt
                  && offsetof(Starter_t, bestPlace) == bestPlaceAt && offsetof(Starter_t, best) == bestAt
                  && offsetof(Starter_t, codes) == codesAt && offsetof(Starter_t, reserved) == reservedAt
                  && offsetof(Starter_t, teamId) == teamIdAt,
              "value fields at their record offsets");

void put16(uint8_t* at, uint16_t v)
{
    at[0] = uint8_t(v);
    at[1] = uint8_t(v >> 8);
}

void put32(uint8_t* at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        at[i] = uint8_t(v >> (8 * i));
}

uint16_t get16(const uint8_t* at)
{
    return uint16_t(at[0] | (at[1] << 8));
}

uint32_t get32(const uint8_t* at)
{
    return uint32_t(at[0]) | (uint32_t(at[1]) << 8) | (uint32_t(at[2]) << 16) | (uint32_t(at[3]) << 24);
}

int32_t getSigned32(const uint8_t* at)
{
    return int32_t(get32(at));
}

} // namespace

void Starter_t::write(uint8_t* out) const
{
    put32(out + idAt, uint32_t(id));
    put32(out + clubIdAt, uint32_t(clubId));
    std::memcpy(out + nameAt, name, NameSize);
    for (int i = 0; i < MemberCount; ++i)
        put32(out + membersAt + 4 * i, uint32_t(members[i]));
    put32(out + checksumAt, checksum);
    put32(out + bestDateAt, uint32_t(bestDate));
    std::memcpy(out + bestPlaceAt, bestPlace, PlaceSize);
    put32(out + genderAt, uint32_t(gender));
    put32(out + disciAt, uint32_t(disci));
    put32(out + ageClassAt, uint32_t(ageClass));
    put16(out + bestAt, best);
    put16(out + givenAt, given);
    std::memcpy(out + codesAt, codes, sizeof codes);
    put32(out + errorMaskAt, errorMask);
    put32(out + testedMaskAt, testedMask);
    std::memcpy(out + reservedAt, reserved, ReservedSize);
    put32(out + netInfoAt, uint32_t(netInfo));
    put32(out + teamIdAt, uint32_t(teamId));
}

Starter_t Starter_t::read(const uint8_t* in)
{
    Starter_t s;
    s.id = getSigned32(in + idAt);
    s.clubId = getSigned32(in + clubIdAt);
    std::memcpy(s.name, in + nameAt, NameSize);
    for (int i = 0; i < MemberCount; ++i)
        s.members[i] = getSigned32(in + membersAt + 4 * i);
    s.checksum = get32(in + checksumAt);
    s.bestDate = getSigned32(in + bestDateAt);
    std::memcpy(s.bestPlace, in + bestPlaceAt, PlaceSize);
    s.gender = getSigned32(in + genderAt);
    s.disci = getSigned32(in + disciAt);
    s.ageClass = getSigned32(in + ageClassAt);
    s.best = get16(in + bestAt);
    s.given = get16(in + givenAt);
    std::memcpy(s.codes, in + codesAt, sizeof s.codes);
    s.errorMask = get32(in + errorMaskAt);
    s.testedMask = get32(in + testedMaskAt);
    std::memcpy(s.reserved, in + reservedAt, ReservedSize);
    s.netInfo = getSigned32(in + netInfoAt);
    s.teamId = getSigned32(in + teamIdAt);
    return s;
}
