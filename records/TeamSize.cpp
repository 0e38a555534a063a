// The number of athletes that form one start in each discipline.
#include "records/TeamSize.h"

int getTeamSize(int disci)
{
    switch (disci) {
    case 2: return 2;
    case 3: return 1;
    case 4: case 5: return 4;
    case 6: case 7: return 6;
    default: return 1;
    }
}
