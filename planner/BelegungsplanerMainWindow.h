// The planning widget in the least form the top-level window needs: the store
// of the current plan per floor area, whose changes it relays, and the
// checkable button that switches the network on and off.
#pragma once

#include "planner/BelegungsPlanerStore.h"

#include <QWidget>

class QPushButton;

class BelegungsplanerMainWindow : public QWidget
{
    Q_OBJECT
public:
    explicit BelegungsplanerMainWindow(QWidget* parent = nullptr);

    BelegungsPlanerStore& store() { return planStore; }
    QPushButton* networkButton() const { return network; }

signals:
    // Asks the top-level window to switch the network; ok says whether it worked.
    void startNetwork(bool on, bool& ok);
    // The store's change, relayed.
    void dataChanged(int area, const TrainingsData& data);

private slots:
    void networkToggled(bool on);

private:
    BelegungsPlanerStore planStore;
    QPushButton* network;
};
