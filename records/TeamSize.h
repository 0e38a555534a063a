// The number of athletes that form one start in a discipline: 2 for the
// pairs (2), 4 for the fours (4, 5), 6 for the sixes (6, 7), else 1. A table
// of the sport that needs no rules catalogue; teams and score sheets read it.
#pragma once

int getTeamSize(int disci);
