#pragma once

#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

// A property every input must keep; a broken one ends the run as a finding, with its text.
#define FUZZ_CHECK(condition) \
    ((condition) ? void() : ::FuzzCheckFailed(#condition, __FILE__, __LINE__))
[[noreturn]] void FuzzCheckFailed(const char *condition, const char *file, int line);

std::string_view AsText(const std::uint8_t *data, std::size_t size);

// Moves the process into a new empty folder below the system's temporary folder, for targets
// that write files relative to the working folder. Returns its absolute path.
QString EnterScratchFolder();

// Writes `bytes` to `path`, replacing what was there.
void WriteWholeFile(const QString &path, std::string_view bytes);

// Valid UTF-8 without NUL bytes, judged by Qt's decoder rather than the program's own.
bool IsCleanUtf8(std::string_view text);

// Splits the input at the first occurrence of `separator`: what comes before and after it.
// Without one, the whole input is the head and the tail is empty.
std::pair<std::string_view, std::string_view> SplitOnce(std::string_view text, char separator);
