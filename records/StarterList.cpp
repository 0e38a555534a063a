// Ownership of the records of a start-entry list.
#include "records/StarterList.h"

StarterList::~StarterList()
{
    clear();
}

void StarterList::clear()
{
    if (autoDelete)
        qDeleteAll(items);
    items.clear();
}
