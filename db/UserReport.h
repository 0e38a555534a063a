// How the database layer tells the user about a file it cannot open: through
// the function the program installs at start (the frame's message box).
// Without one the text goes to the debug log, so the layer needs no widgets.
#pragma once

#include <QString>

#include <functional>

enum { MessageCritical = 3 };   // the icon level of a failure

using UserReport = std::function<void(const QString& text, int icon)>;

// An empty function sends the texts to the debug log again. Returns the
// function installed before.
UserReport setUserReport(UserReport report);
void reportToUser(const QString& text, int icon);
