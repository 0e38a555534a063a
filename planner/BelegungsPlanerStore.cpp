// The store of the current plan per floor area.
#include "planner/BelegungsPlanerStore.h"

#include <QtDebug>

BelegungsPlanerStore::BelegungsPlanerStore(QObject* parent) : QObject(parent) {}

void BelegungsPlanerStore::setData(time_t /*now*/, int area, TrainingsData data)
{
    if (!validArea(area)) {
        qDebug("BelegungsPlanerStore::setData: no floor area %d", area);
        return;
    }
    areas[size_t(area - 1)] = data;
    emit dataChanged(area, areas[size_t(area - 1)]);
}
