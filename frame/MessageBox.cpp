// The program's modal message box, and the hook that answers it in tests.
#include "frame/MessageBox.h"

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

void installMessageBox()
{
    setUserReport(&showMessage);
}
