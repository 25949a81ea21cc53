#pragma once

#include <cstddef>
#include <ctime>
#include <string>

// The key both sides derive from the local date: the English weekday name with the four digits
// of "%m%d" interleaved after its first four letters ("M0o5n0d3ay" for Monday, 3 May).
std::string DayKey();
std::string DayKey(const std::tm &localDate);

// The rule, byte by byte: the shift at byte i of a field at position base N with key K, and the
// plain byte that a scrambled byte `c` (taken as a signed value) gives with shift k. K is not
// empty.
int DescrambleShift(std::size_t i, int N, const std::string &K);
unsigned char DescrambleByte(int c, int k);

// Turns one scrambled list field back into plain text. N is the index the task being built will
// have in the batch, K the day key. The result has exactly as many bytes as the field.
std::string DescrambleLink(std::string field, int N, std::string K);
