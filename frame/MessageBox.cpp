// The program's modal message boxes, and the hook that answers them in tests.
#include "frame/MessageBox.h"

#include "records/UciLicence.h"

#include <QApplication>
#include <QMessageBox>

static MessageHook& messageHook()
{
    static MessageHook hook;
    return hook;
}

void setMessageHook(MessageHook hook)
{
    messageHook() = std::move(hook);
}

void showMessage(const QString& text, int icon)
{
    if (messageHook()) {
        messageHook()(text, icon);
        return;
    }
    QMessageBox box(static_cast<QMessageBox::Icon>(icon), QString(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

// A person without a valid UCI-ID: a titled box without parent.
static void showUciWarning(const QString& title, const QString& text)
{
    if (messageHook()) {
        messageHook()(text, QMessageBox::Warning);
        return;
    }
    QMessageBox box(QMessageBox::Warning, title, text, QMessageBox::Ok, nullptr,
                    Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint);
    box.exec();
}

void installMessageBox()
{
    setUserReport(&showMessage);
    UciLicence::setWarning(&showUciWarning);
}
