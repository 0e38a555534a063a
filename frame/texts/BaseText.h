// The numbered standard texts shared by the score sheet and the address book,
// each translated in its own context.
#pragma once

#include <QString>

// n 0 to 45: the score-sheet texts; n 61: "Jahrgang". Any other n: empty.
QString baseText(int n);
