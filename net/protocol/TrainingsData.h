// The plan of one floor area as the store keeps it and the network carries it:
// block start, block end, slot length and the starters with their slot times.
// Header-only; it lives below the planner, with the message that carries it.
#pragma once

#include "db/Conversions.h"

#include <QList>
#include <QString>

#include <cstring>
#include <ctime>

struct TrainingsStarterEntry
{
    static constexpr int nameSize = 64;

    time_t time = 0;             // start of the starter's slot
    char name[nameSize] = {};    // UTF-8, NUL-terminated, at most 63 bytes, never cut inside a character

    TrainingsStarterEntry() = default;
    TrainingsStarterEntry(time_t slotTime, const QString& text) : time(slotTime) { setName(text); }

    void setName(const QString& text)
    {
        std::memset(name, 0, sizeof name);
        toCString(name, text, nameSize);
    }
    QString nameText() const
    {
        QString text;
        return fromCString(text, name, nameSize);
    }

    bool operator==(const TrainingsStarterEntry& other) const
    {
        return time == other.time && std::strncmp(name, other.name, nameSize) == 0;
    }
};

// A record of zeros without starters stands for a cleared area.
struct TrainingsData
{
    time_t start = 0;   // block start, seconds since 1970 UTC
    time_t end = 0;     // block end
    time_t slot = 0;    // length of one starter's slot in seconds
    QList<TrainingsStarterEntry> starters;

    bool operator==(const TrainingsData& other) const
    {
        return start == other.start && end == other.end && slot == other.slot && starters == other.starters;
    }
};
