// SIGTERM and SIGINT end the event loop with a non-zero code, so main logs
// that a signal ended the program and the application's aboutToQuit still
// sends the shutdown notice to the suite.
#pragma once

// Call once, after the application object exists.
void exitEventLoopOnTerminationSignals();
