#pragma once

class UpdateCommandHost;

// The handler of ID_HELP_CHECK_VERSION: a check on the user-interface thread that, after a
// fetched update, starts temp/move.sh and ends the process with exit code 0. Does nothing while
// a check runs; before any check it stops timer 2 so that no silent check follows. Returns 0.
int OnCheckVersion(UpdateCommandHost &host);

// The handler of timer 2: one silent check on a thread of its own; the timer is stopped, so it
// fires at most once. The thread touches none of the frame's windows or data.
void OnUpdateTimer(UpdateCommandHost &host);
