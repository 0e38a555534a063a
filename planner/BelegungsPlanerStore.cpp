// The store of the current plan per floor area.
#include "planner/BelegungsPlanerStore.h"

#include <QtDebug>

BelegungsPlanerStore::BelegungsPlanerStore(QObject* parent) : QObject(parent) {}

TrainingsData BelegungsPlanerStore::data(int area) const
{
    return validArea(area) ? areas[size_t(area - 1)] : TrainingsData();
}

time_t BelegungsPlanerStore::updated(int area) const
{
    return validArea(area) ? updateTimes[size_t(area - 1)] : 0;
}

void BelegungsPlanerStore::setData(time_t now, int area, TrainingsData data)
{
    if (!validArea(area)) {
        qDebug("BelegungsPlanerStore::setData: no floor area %d", area);
        return;
    }
    areas[size_t(area - 1)] = data;
    updateTimes[size_t(area - 1)] = now;
    emit dataChanged(area, areas[size_t(area - 1)]);
}
