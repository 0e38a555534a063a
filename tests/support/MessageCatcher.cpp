// Records the texts and icons of message boxes in tests instead of opening them.
#include "tests/support/MessageCatcher.h"

#include "db/MessageBox.h"

MessageCatcher::MessageCatcher()
{
    setMessageHook([this](const QString& text, int icon) {
        texts << text;
        icons << icon;
    });
}

MessageCatcher::~MessageCatcher()
{
    setMessageHook(MessageHook());
}
