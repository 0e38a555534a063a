// The athlete entry of the starter record on the wire, big-endian.
#include "net/protocol/NetSprotler_t.h"

#include "net/wire/ByteOrder.h"

#include <cstring>

namespace {
constexpr int birthOffset = 0;
constexpr int genderOffset = 2;
constexpr int firstNameOffset = 4;
constexpr int lastNameOffset = 36;
static_assert(lastNameOffset + NetSprotler_t::NameSize == NetSprotler_t::Size, "NetSprotler_t is 68 bytes");
}

quint16 NetSprotler_t::packBirthDate(const QDate& date)
{
    if (!date.isValid())
        return 0;
    return quint16((date.year() % 100) * 512 + (date.month() - 1) * 32 + date.day());
}

QDate NetSprotler_t::birthDate(int currentYear) const
{
    const int twoDigits = birth / 512;
    int century = currentYear - currentYear % 100;
    if (twoDigits > currentYear % 100)
        century -= 100;
    return QDate(century + twoDigits, (birth / 32) % 16 + 1, birth % 32);
}

void NetSprotler_t::write(uint8_t* out) const
{
    std::memset(out, 0, Size);
    ByteOrder::putBig16(out + birthOffset, birth);
    out[genderOffset] = gender;
    std::memcpy(out + firstNameOffset, firstName, NameSize);
    std::memcpy(out + lastNameOffset, lastName, NameSize);
}

NetSprotler_t NetSprotler_t::read(const uint8_t* in)
{
    NetSprotler_t athlete;
    athlete.birth = ByteOrder::big16(in + birthOffset);
    athlete.gender = in[genderOffset];
    std::memcpy(athlete.firstName, in + firstNameOffset, NameSize);
    std::memcpy(athlete.lastName, in + lastNameOffset, NameSize);
    return athlete;
}
