// Records the texts and icons of message boxes in tests instead of opening them.
#include "tests/support/MessageCatcher.h"

#include "frame/MessageBox.h"

MessageCatcher::MessageCatcher()
{
    auto record = [this](const QString& text, int icon) {
        texts << text;
        icons << icon;
    };
    setMessageHook(record);
    previousReport = setUserReport(record);
}

MessageCatcher::~MessageCatcher()
{
    setMessageHook(MessageHook());
    setUserReport(previousReport);
}
