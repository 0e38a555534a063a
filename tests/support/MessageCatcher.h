// Answers the program's modal message boxes and the database layer's reports
// in tests: records each text and icon instead of blocking, for as long as
// the catcher lives. Catchers nest: the one made last must go first.
#pragma once

#include "db/UserReport.h"

#include <QString>
#include <QStringList>

class MessageCatcher
{
public:
    MessageCatcher();
    ~MessageCatcher();

    QStringList texts;
    QList<int> icons;

private:
    UserReport previousReport;
};
