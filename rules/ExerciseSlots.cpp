// The exercise-code slots of a start record.
#include "rules/ExerciseSlots.h"

#include "db/Conversions.h"
#include "records/Starter_t.h"

#include <cstring>

namespace {

// Exercises up to this number of discipline 2 are ridden on two bikes, the
// higher ones on one.
const int lastTwoBikeNumber = 2260;

} // namespace

namespace ExerciseSlots {

QString codeAt(const Starter_t* s, int i)
{
    return QString::fromLatin1(s->codes[i], int(strnlen(s->codes[i], Starter_t::CodeSize)));
}

int numberAt(const Starter_t* s, int i)
{
    return s->codes[i][0] ? toInt(codeAt(s, i)) : 0;
}

bool onTwoBikes(int number)
{
    return number <= lastTwoBikeNumber;
}

bool blockChange(int before, int now, bool newRules)
{
    return (onTwoBikes(before) && !onTwoBikes(now)) || (newRules && !onTwoBikes(before) && onTwoBikes(now));
}

} // namespace ExerciseSlots
