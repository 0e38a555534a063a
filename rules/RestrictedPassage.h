// A follow-up rule of the rules catalogue: an exercise and the numbers of the
// exercises allowed to follow it.
#pragma once

#include "records/Figure.h"

#include <QList>

struct RestrictedPassage
{
    Figure nr;
    QList<int> next;
};
