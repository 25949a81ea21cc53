#pragma once

// Opens "help.html" of the current directory with the desktop's default handler.
// A missing file does nothing.
void OpenHelpDocument();
