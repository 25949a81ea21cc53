#pragma once

#include <optional>
#include <string>
#include <vector>

// The service side of link scrambling: each byte of a field is the printable ASCII character
// (XML-escaped where the answer needs it) that the descrambling rule turns into the plain byte.

// Which bytes a scrambled field may hold: printable ASCII, as the demo service sends, or any byte
// where no printable one will do, as a hostile service may send.
enum class Bytes { Printable, Any };

// A field that DescrambleLink turns back into `plain` at position base N with key K; nullopt
// when `plain` holds a byte that none of `bytes` scrambles to (of the printable ones: "|", "}",
// "~", controls, non-ASCII).
std::optional<std::string> ScrambleField(const std::string &plain, int N, const std::string &K,
                                         Bytes bytes = Bytes::Printable);

// One list entry in plain text; an empty link or title is sent as an empty field.
struct PlainEntry {
    std::string link;   // referrer "\" base address
    std::string title;  // UTF-8, not scrambled
    std::string name;   // picture file name with its extension flag
};

// List text as a service sends it, any byte allowed: entry i is scrambled with position
// `firstPosition` + i. Empty when a field cannot be scrambled.
std::string ScrambledList(const std::vector<PlainEntry> &entries, const std::string &key,
                          int firstPosition = 0);
