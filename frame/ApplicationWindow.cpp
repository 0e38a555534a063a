// The main-window frame shared by the suite's programs.
#include "frame/ApplicationWindow.h"

#include "frame/MessageBox.h"
#include "rules/CatalogueDateCheck.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDate>
#include <QDir>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QTimer>

ApplicationWindow::ApplicationWindow(const QString& appName, const QString& version, const QString& /*helpFile*/,
                                     bool useReglement)
    : appName(appName),
      version(version),
      useReglement(useReglement),
      today(&QDate::currentDate)
{
    QCoreApplication::setApplicationName(appName);
    QCoreApplication::setApplicationVersion(version);
    QCoreApplication::setOrganizationName("Kesa_Tovka");
    setWindowTitle(appName);
    // From here on a database that cannot be opened, and a person without a
    // valid UCI-ID, are shown in a box.
    installMessageBox();

    QMenu* helpItems = menuBar()->addMenu(tr("&Hilfe"));
    helpItems->addAction(tr("&Über %1 ...").arg(appName), this, &ApplicationWindow::about);
}

ApplicationWindow::~ApplicationWindow() = default;

void ApplicationWindow::setLanguage(const QString& folder)
{
    language = folder;
    languageChanged();
}

void ApplicationWindow::setToday(Today source)
{
    today = source ? std::move(source) : Today(&QDate::currentDate);
}

void ApplicationWindow::languageChanged()
{
    if (!useReglement)
        return;
    // open() closes the previous language's catalogue first.
    if (!reglement.open(QDir(language).filePath("Reglement.ldb"), true)) {
        showMessage(catalogueOpenFailedMessage(), MessageCritical);
        return;
    }
    const QString warning = reglement.dateWarning(today());
    if (!warning.isEmpty())
        showMessage(warning, MessageCritical);
}

QString ApplicationWindow::aboutText() const
{
    return tr("<b>%1</b><br>Version: %2").arg(appName, version);
}

void ApplicationWindow::about()
{
    QMessageBox::about(this, tr("Über %1").arg(appName), aboutText());
}

// Accepted at once; the other windows (the display window among them) close
// a moment later, and the last one closed ends the event loop.
void ApplicationWindow::closeEvent(QCloseEvent* event)
{
    event->accept();
    QTimer::singleShot(closeDelayMs, qApp, &QApplication::closeAllWindows);
}
