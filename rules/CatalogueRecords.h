// The plain, fixed-size records that the catalogue's plain queries hand back in
// a RecordPtrList; the score sheet's rule checks read them. Texts are UTF-8 and
// NUL-terminated.
#pragma once

#include <QtGlobal>

// One "Nr" of "Standdrehungen" or "einzeln": an exercise number or code.
struct ExerciseCode_t
{
    char nr[8];
};

// One row of "Folgeuebungen": an exercise code and the numbers of the six
// exercises allowed to follow it.
struct Transition_t
{
    char nr[8];
    qint16 next[6];
};

// One row of "Altersklassen". Quota 0 marks the base row of an age class; a
// row with a quota lets up to that many athletes of a start have an age in
// minAge to maxAge.
struct AgeClass_t
{
    qint32 ak;
    qint32 minAge;
    qint32 maxAge;
    qint32 quota;
    char nameMale[32];
    char nameFemale[32];
};

static_assert(sizeof(ExerciseCode_t) == 8, "a code record is 8 bytes");
static_assert(sizeof(Transition_t) == 20, "a transition record is 20 bytes");
static_assert(sizeof(AgeClass_t) == 80, "an age-class record is 80 bytes");
