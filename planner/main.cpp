// The planner's entry: the application, the debug log, the top-level window.
#include "frame/DebugLog.h"
#include "planner/TerminationSignals.h"
#include "planner/TrainingsFlaecheWindow.h"

#include <QApplication>

int main(int argc, char** argv)
{
    auto* app = new QApplication(argc, argv);
    QObject::connect(app, SIGNAL(lastWindowClosed()), app, SLOT(quit()));
    // Before any window names the application: the log is named after the program.
    installDebugLog();
    exitEventLoopOnTerminationSignals();

    // Lives as long as the process; the transport's shutdown notice goes out
    // from the application's aboutToQuit.
    auto* window = new TrainingsFlaecheWindow(app->arguments());
    window->show();

    if (app->exec() != 0)
        qDebug("terminated by a signal\n");
    delete app;
    return 0;
}
