#pragma once

class QWidget;

// SIGTERM and SIGINT (a session logging out, Ctrl+C in a terminal) close `window` as its close
// box would, so the program ends the normal way.
void CloseOnTerminationSignal(QWidget *window);
