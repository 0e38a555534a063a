// Answers the program's modal message boxes in tests: records each text and
// icon instead of blocking, for as long as the catcher lives.
#pragma once

#include <QString>
#include <QStringList>

class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();

    QStringList texts;
    QList<int> icons;
};
