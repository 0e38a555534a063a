// One exercise of the rules catalogue.
#include "rules/Uebung.h"

void Uebung::clear()
{
    nr = Figure();
    text.clear();
    ziffer = 0;
}

bool Uebung::isValid() const
{
    return nr.isValid() && !text.isEmpty();
}
