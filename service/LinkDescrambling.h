#pragma once

#include <ctime>
#include <string>

// The key both sides derive from the local date: the English weekday name with the four digits
// of "%m%d" interleaved after its first four letters ("M0o5n0d3ay" for Monday, 3 May).
std::string DayKey();
std::string DayKey(const std::tm &localDate);

// Turns one scrambled list field back into plain text. N is the index the task being built will
// have in the batch, K the day key. The result has exactly as many bytes as the field.
std::string DescrambleLink(std::string field, int N, std::string K);
