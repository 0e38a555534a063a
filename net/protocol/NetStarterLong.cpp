// The 176-byte display starter record on the wire.
#include "net/protocol/NetStarterLong.h"

#include "db/Conversions.h"
#include "net/wire/ByteOrder.h"
#include "records/Starter_t.h"

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

NetStarterLong NetStarterLong::fromStarter(const Starter_t& starter, const QString& clubs, const QString& categoryName,
                                           const QString& association, const QString& nation)
{
    NetStarterLong record;
    record.number = quint16(starter.netInfo);
    record.submitted = starter.given;
    qstrncpy(record.name, starter.name, sizeof record.name);
    toCString(record.clubs, clubs, sizeof record.clubs);
    toCString(record.categoryName, categoryName, sizeof record.categoryName);
    toCString(record.association, association, sizeof record.association);
    toCString(record.nation, nation, sizeof record.nation);
    record.category = quint32(packCategory(starter.disci, starter.gender, starter.ageClass));
    // One past the last exercise that is set, at least one.
    int last = Starter_t::CodeCount - 1;
    while (last > 0 && starter.codes[last][0] == '\0')
        --last;
    record.exercises = quint8(last + 1);
    return record;
}
