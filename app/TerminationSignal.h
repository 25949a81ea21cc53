#pragma once

class QWidget;

// SIGTERM and SIGINT (a session logging out, Ctrl+C in a terminal) close `window` as its close
// box would, so the program ends the normal way. Before the window is first shown (its creation
// asks the first-run questions and the download folder) and while a modal dialog is open, the
// program ends at once instead, so that no question counts as answered and nothing starts after
// it: with exit code 0 before the window exists, 1 afterwards.
void CloseOnTerminationSignal(QWidget *window);
