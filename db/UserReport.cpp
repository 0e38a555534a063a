// The installed report function, or the debug log.
#include "db/UserReport.h"

#include <QtDebug>

namespace {
UserReport& installed()
{
    static UserReport report;
    return report;
}
}

UserReport setUserReport(UserReport report)
{
    std::swap(installed(), report);
    return report;
}

void reportToUser(const QString& text, int icon)
{
    if (installed()) {
        installed()(text, icon);
        return;
    }
    qWarning().noquote() << "RuvoDB:" << text;
}
