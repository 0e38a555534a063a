// The program's modal message box, with a seam so tests never block on it.
// installMessageBox() makes it the database layer's way to the user.
#pragma once

#include "db/UserReport.h"

#include <QString>

#include <functional>

void showMessage(const QString& text, int icon);

// While a hook is set, showMessage hands its text and icon to the hook
// instead of opening a box. Pass an empty function to remove it.
using MessageHook = std::function<void(const QString& text, int icon)>;
void setMessageHook(MessageHook hook);

// The database layer's reports then open this box.
void installMessageBox();
