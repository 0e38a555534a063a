// The 176-byte display starter record on the wire.
#include "net/protocol/NetStarterLong.h"

#include "net/wire/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int numberOffset = 0;
constexpr int exercisesOffset = 3;
constexpr int submittedOffset = 4;
constexpr int reservedOffset = 8;
constexpr int nameOffset = 12;
constexpr int clubsOffset = 44;
constexpr int categoryNameOffset = 76;
constexpr int categoryOffset = 136;
constexpr int associationOffset = 140;
constexpr int nationOffset = 172;
static_assert(nationOffset + NetStarterLong::NationSize == NetStarterLong::Size, "NetStarterLong is 176 bytes");
static_assert(categoryOffset + 4 == NetStarterLong::OlderSize, "an older record ends after the category");

// A received text field, always ending with a NUL inside the field.
template <int N>
void readText(char (&field)[N], const uint8_t* from)
{
    std::memcpy(field, from, N);
    field[N - 1] = '\0';
}

// Only the text goes out, never what a caller's field holds behind its NUL.
template <int N>
void writeText(uint8_t* to, const char (&field)[N])
{
    std::memcpy(to, field, strnlen(field, N - 1));
}
}

void NetStarterLong::write(uint8_t* out) const
{
    std::memset(out, 0, Size);
    ByteOrder::putBig16(out + numberOffset, number);
    out[exercisesOffset] = exercises;
    ByteOrder::putBig32(out + submittedOffset, submitted);
    ByteOrder::putBig32(out + reservedOffset, reserved);
    writeText(out + nameOffset, name);
    writeText(out + clubsOffset, clubs);
    writeText(out + categoryNameOffset, categoryName);
    ByteOrder::putBig32(out + categoryOffset, category);
    writeText(out + associationOffset, association);
    writeText(out + nationOffset, nation);
}

NetStarterLong NetStarterLong::read(const uint8_t* in, int size)
{
    uint8_t copy[Size] = {};
    std::memcpy(copy, in, size_t(std::clamp(size, 0, int(Size))));
    NetStarterLong record;
    record.number = ByteOrder::big16(copy + numberOffset);
    record.exercises = copy[exercisesOffset];
    record.submitted = ByteOrder::big32(copy + submittedOffset);
    record.reserved = ByteOrder::big32(copy + reservedOffset);
    readText(record.name, copy + nameOffset);
    readText(record.clubs, copy + clubsOffset);
    readText(record.categoryName, copy + categoryNameOffset);
    record.category = ByteOrder::big32(copy + categoryOffset);
    readText(record.association, copy + associationOffset);
    readText(record.nation, copy + nationOffset);
    return record;
}

NetStarterLong NetStarterLong::fromResult(const StartErgebnisList_t& entry, const char* text)
{
    NetStarterLong record;
    record.number = quint16(entry.number);
    record.submitted = quint32(entry.submitted);
    qstrncpy(record.name, entry.name, sizeof record.name);
    qstrncpy(record.clubs, entry.clubs, sizeof record.clubs);
    qstrncpy(record.association, entry.association, sizeof record.association);
    qstrncpy(record.nation, entry.nation, sizeof record.nation);
    if (text)
        qstrncpy(record.categoryName, text, sizeof record.categoryName);
    record.category = quint32(entry.category);
    return record;
}
