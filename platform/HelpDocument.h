#pragma once

// Opens "help.html" of the current directory with the desktop's default handler.
// A missing file does nothing; when no handler could open it, one line on stderr says so.
void OpenHelpDocument();
