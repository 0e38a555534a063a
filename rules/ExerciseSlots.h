// The thirty exercise-code slots of a start record as the score sheet reads
// them: a slot's code and number, and the two blocks of discipline 2, the
// exercises on two bikes and those on one.
#pragma once

#include <QString>

struct Starter_t;

namespace ExerciseSlots {

// The code's text; empty for an empty slot.
QString codeAt(const Starter_t* s, int i);
// A code's number is its leading integer: 2261 for "2261a"; 0 for an empty slot.
int numberAt(const Starter_t* s, int i);
bool onTwoBikes(int number);
// Whether the list passes from one block to the other between two numbers:
// from two bikes to one always, back to two only under the rules from 2008 on.
bool blockChange(int before, int now, bool newRules);

} // namespace ExerciseSlots
