// The planner's top-level window and its network switch.
#include "planner/TrainingsFlaecheWindow.h"

#include "net/statusbar/TovkaStatusBar.h"
#include "planner/BelegungsplanerMainWindow.h"

#include <QApplication>
#include <QIcon>
#include <QMessageBox>

// The images live in a static library: the call keeps them in the program.
// Q_INIT_RESOURCE must not stand inside a namespace.
static void initResources()
{
    Q_INIT_RESOURCE(resources);
}

namespace {
const char* const iconPath = ":/icons/BelegungsPlaner.png";

TrainingsFlaecheWindow::WarningHook& warningHook()
{
    static TrainingsFlaecheWindow::WarningHook hook;
    return hook;
}

// The transport's rejoin notice and reconnect question, as boxes.
bool askUser(const QString& title, const QString& text, bool question, QWidget* parent)
{
    if (!question) {
        QMessageBox::information(nullptr, title, text, QMessageBox::Ok);
        return true;
    }
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::No | QMessageBox::Yes, parent);
    box.setDefaultButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}
}

TrainingsFlaecheWindow::TrainingsFlaecheWindow(const QStringList& arguments)
    : ApplicationWindow("BelegungsPlaner", "2.2.0.3", "BelegungsplanerHelp.html", false),
      netio(KindNetMon, 0, 0),
      tovkaProtocol(&netio),
      planning(nullptr),
      status(nullptr),
      competition(arguments.contains("--competition"))
{
    initResources();
    const QIcon icon(iconPath);
    setWindowIcon(icon);
    QApplication::setWindowIcon(icon);

    planning = new BelegungsplanerMainWindow(this);
    setCentralWidget(planning);
    setGeometry(50, 50, 640, 480);

    status = new TovkaStatusBar(&netio, this);
    status->setSizeGripEnabled(false);
    setStatusBar(status);

    connect(planning, SIGNAL(startNetwork ( bool , bool & )), this, SLOT(startNetwork ( bool , bool & )));
    connect(&netio, SIGNAL(Warning ( QString )), this, SLOT(Warning ( QString )));
    netio.setDialogHook(&askUser);

    setLanguage(QCoreApplication::applicationDirPath());
}

// The widgets that watch the transport go before it does.
TrainingsFlaecheWindow::~TrainingsFlaecheWindow()
{
    delete status;
    delete planning;
}

void TrainingsFlaecheWindow::setWarningHook(WarningHook hook)
{
    warningHook() = std::move(hook);
}

void TrainingsFlaecheWindow::startNetwork(bool on, bool& ok)
{
    if (on) {
        netio.announce();
        ok = netio.setOwnAddress(KindBelegungsPlaner, 0, 0);
        connect(planning, SIGNAL(dataChanged ( int , const TrainingsData & )),
                this, SLOT(sendBelegungsPlaner ( int , const TrainingsData & )), Qt::UniqueConnection);
    } else {
        ok = netio.setOwnAddress(KindNetMon, 0, 0);
        disconnect(planning, SIGNAL(dataChanged ( int , const TrainingsData & )),
                   this, SLOT(sendBelegungsPlaner ( int , const TrainingsData & )));
    }
    if (!ok)
        Warning(tr("Network connection unusable!"));
}

void TrainingsFlaecheWindow::sendBelegungsPlaner(int area, const TrainingsData& data)
{
    if (!competition) {
        tovkaProtocol.sendBelegungsPlaner(area, data, nullptr);
        return;
    }
    const TovkaAddress display(KindAnzeige, quint8(area), 0);
    tovkaProtocol.sendBelegungsPlaner(area, data, &display);
}

void TrainingsFlaecheWindow::Warning(QString text)
{
    if (warningHook()) {
        warningHook()(text);
        return;
    }
    QMessageBox::warning(this, QString(), text, QMessageBox::Ok);
}

QString TrainingsFlaecheWindow::aboutText() const
{
    return tr("Netzwerk Version:<b> %1</b> <br><br>").arg(netio.protocolVersion()) + ApplicationWindow::aboutText();
}
