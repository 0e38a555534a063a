// The current plan of the four floor areas: one TrainingsData per area, with a
// signal for every area that is set.
#pragma once

#include "net/protocol/TrainingsData.h"

#include <QObject>

#include <array>
#include <ctime>

class BelegungsPlanerStore : public QObject
{
    Q_OBJECT
public:
    static constexpr int areaCount = 4;

    explicit BelegungsPlanerStore(QObject* parent = nullptr);

public slots:
    // `now` keeps the signature of the received plan's signal; only the plan is kept.
    void setData(time_t now, int area, TrainingsData data);

signals:
    void dataChanged(int area, const TrainingsData& data);

private:
    static bool validArea(int area) { return area >= 1 && area <= areaCount; }

    std::array<TrainingsData, areaCount> areas;
};
