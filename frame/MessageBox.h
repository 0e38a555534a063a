// The program's modal message boxes, with a seam so tests never block on them.
// installMessageBox() makes them the way to the user of the database layer
// and of the UCI check.
#pragma once

#include "db/UserReport.h"

#include <QString>

#include <functional>

void showMessage(const QString& text, int icon);

// While a hook is set, the boxes hand their text and icon to the hook instead
// of opening. Pass an empty function to remove it.
using MessageHook = std::function<void(const QString& text, int icon)>;
void setMessageHook(MessageHook hook);

// The database layer's reports then open showMessage's box, the UCI check's
// warning a box of its own.
void installMessageBox();
