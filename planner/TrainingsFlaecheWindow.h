// The planner's top-level window: the frame, the transport at the monitor
// address with its protocol, the planning widget, the network status bar, and
// the switch that puts the planner on the network and sends its plan.
#pragma once

#include "frame/ApplicationWindow.h"
#include "net/transport/TovkaNetIo.h"
#include "net/protocol/TovkaProtocol.h"
#include "net/protocol/TrainingsData.h"

#include <QStringList>

#include <functional>

class BelegungsplanerMainWindow;
class TovkaStatusBar;

class TrainingsFlaecheWindow : public ApplicationWindow
{
    Q_OBJECT
public:
    // arguments: the command line; "--competition" sends each area's plan to
    // the display of that area.
    explicit TrainingsFlaecheWindow(const QStringList& arguments);
    ~TrainingsFlaecheWindow() override;

    TovkaNetIo& network() { return netio; }
    BelegungsplanerMainWindow* planner() const { return planning; }

    QString aboutText() const override;

    // While a hook is set, Warning hands its text to the hook instead of
    // opening the modal box, so tests never block. An empty function removes it.
    using WarningHook = std::function<void(const QString& text)>;
    static void setWarningHook(WarningHook hook);

public slots:
    void startNetwork(bool on, bool& ok);
    void sendBelegungsPlaner(int area, const TrainingsData& data);
    void Warning(QString text);

private:
    TovkaNetIo netio;
    TovkaProtocol tovkaProtocol;
    BelegungsplanerMainWindow* planning;
    TovkaStatusBar* status;
    bool competition;
};
