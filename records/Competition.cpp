// The competition record's construction and reset.
#include "records/Competition.h"

Competition::Competition()
{
    clear();
}

void Competition::clear()
{
    Datum = QDate();
    Ort.clear();
    Veranstalter.clear();
    Name.clear();
    ID = 0;
}
