// Training plans for tests: starters named namePrefix + 1, 2, ... one slot
// apart from the plan's start.
#pragma once

#include "net/protocol/TrainingsData.h"

#include <QString>

inline TrainingsData samplePlan(int starters, const QString& namePrefix = QStringLiteral("Starter "),
                                time_t start = 1700000000, time_t length = 3600, time_t slot = 300)
{
    TrainingsData data;
    data.start = start;
    data.end = start + length;
    data.slot = slot;
    for (int i = 0; i < starters; ++i)
        data.starters.append(TrainingsStarterEntry(start + i * slot, namePrefix + QString::number(i + 1)));
    return data;
}
