#pragma once

#include <cstddef>
#include <string>
#include <string_view>

// The one reading of UTF-8 in the program: no overlong forms, no surrogates, nothing above
// U+10FFFF.

// The sequence that starts at `at`: a valid one, or the longest beginning of one that breaks
// off (at least its first byte).
struct Utf8Sequence {
    std::size_t length = 0;
    bool valid = false;
};
Utf8Sequence Utf8SequenceAt(std::string_view bytes, std::size_t at);

// Valid UTF-8 appended as it is, each broken sequence as one "?".
void AppendCleanUtf8(std::string_view bytes, std::string &result);
