// The athlete record's reset.
#include "records/Athlete.h"

void Athlete::clear()
{
    *this = Athlete();
}
