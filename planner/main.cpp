// The planner's entry: the application, the debug log, the top-level window.
#include "frame/DebugLog.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char** argv)
{
    auto* app = new QApplication(argc, argv);
    QObject::connect(app, SIGNAL(lastWindowClosed()), app, SLOT(quit()));
    installDebugLog();

    auto* window = new QMainWindow;
    window->setWindowTitle("BelegungsPlaner");
    window->show();

    if (app->exec() != 0)
        qDebug("terminated by a signal\n");
    delete app;
    return 0;
}
