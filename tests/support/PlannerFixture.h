// The planner's top-level window for tests: shown under the offscreen
// platform, its warnings collected instead of shown, and with `recorded`
// its datagrams kept in a sink instead of written to the sockets.
#pragma once

#include "tests/support/RecordingSink.h"

#include "planner/BelegungsplanerMainWindow.h"
#include "planner/TrainingsFlaecheWindow.h"

#include <QPushButton>
#include <QStringList>

#include <ctime>
#include <memory>

struct PlannerFixture
{
    enum Wire { Sockets, Recorded };

    explicit PlannerFixture(const QStringList& arguments = {"BelegungsPlaner"}, Wire wire = Sockets)
    {
        TrainingsFlaecheWindow::setWarningHook([this](const QString& text) { warnings << text; });
        window = std::make_unique<TrainingsFlaecheWindow>(arguments);
        if (wire == Recorded)
            window->network().setDatagramSink(&sink);
        window->show();
    }
    ~PlannerFixture()
    {
        window.reset();
        TrainingsFlaecheWindow::setWarningHook({});
    }

    bool knows(const TovkaAddress& address) const
    {
        for (const AppLocation& peer : window->network().peers())
            if (peer.address == address)
                return true;
        return false;
    }
    QPushButton* button() const { return window->planner()->networkButton(); }
    void setArea(int area, const TrainingsData& data) { window->planner()->store().setData(::time(nullptr), area, data); }

    RecordingSink sink; // outlives the window's last shutdown
    std::unique_ptr<TrainingsFlaecheWindow> window;
    QStringList warnings;
};
