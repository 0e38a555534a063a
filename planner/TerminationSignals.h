// SIGTERM and SIGINT close the program's windows as the user would, so the
// shutdown notice still goes out to the suite when the session ends.
#pragma once

// Call once, after the application object exists.
void closeWindowsOnTerminationSignals();
