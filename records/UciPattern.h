// The full UCI-ID pattern, shared by the licence value and the input validator.
#pragma once

#include <QRegExp>

// Built once; callers match on a copy, since matching stores its state in the object.
const QRegExp& uciPattern();
