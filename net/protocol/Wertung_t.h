// The judges' score record lives with the competition records, where the
// score sheet reads it as well.
#pragma once

#include "records/Wertung_t.h"
