#pragma once

#include <random>
#include <string>
#include <vector>

// Service-side counterpart of LinkDescrambler, written from the scrambling rules, for tests.
// Every plain byte must lie in 32..238, the range a descrambled byte can take. Where two
// scrambled bytes descramble to the same plain byte, one below 0x80 is preferred, else `random`
// picks one; plain bytes 32..125 thus always scramble to bytes below 0x80.
std::string ScrambleLink(const std::string &plain, int N, const std::string &key,
                         std::mt19937 &random);

// One list entry in plain text; an empty link or title is sent as an empty field.
struct PlainEntry {
    std::string link;   // referrer "\" base address
    std::string title;  // UTF-8, not scrambled
    std::string name;   // picture file name with its extension flag
};

// List text as the service sends it: entry i is scrambled with position `firstPosition` + i.
std::string ScrambledList(const std::vector<PlainEntry> &entries, const std::string &key,
                          int firstPosition = 0);
