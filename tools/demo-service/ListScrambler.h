#pragma once

#include <optional>
#include <string>

// The service side of link scrambling: the exact inverse of LinkDescrambler. Each scrambled byte
// is a printable ASCII character (XML-escaped where the answer needs it).

// The shift LinkDescrambler applies at byte i of a field at position base N with day key K.
int ScrambleShift(int i, int N, const std::string &K);

// What LinkDescrambler makes of the scrambled byte `c` (taken as a signed value) with shift k.
unsigned char DescrambleByte(int c, int k);

// A field that LinkDescrambler turns back into `plain` at position base N with key K; nullopt
// when `plain` holds a byte that no printable character scrambles to ("|", "}", "~", controls,
// non-ASCII).
std::optional<std::string> ScrambleField(const std::string &plain, int N, const std::string &K);
