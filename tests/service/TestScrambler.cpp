#include "TestScrambler.h"

namespace {

int Shift(int position, std::size_t i, const std::string &key) {
    const int L = static_cast<int>(key.size());
    if (position % 2 == 0) return (position % 4) * L + (position + 6) % 10;
    const int q = static_cast<signed char>(key[i % key.size()]);
    return q >= 79 ? q - 78 : q - 31;
}

}  // namespace

std::string ScrambleLink(const std::string &plain, int N, const std::string &key,
                         std::mt19937 &random) {
    std::string scrambled;
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int k = Shift(static_cast<int>(i) + N, i, key);
        const int rotated = 157 - static_cast<unsigned char>(plain[i]);  // -81..125
        // Undo the rotation: rotated = folded + 47 (folded below 79) or folded - 47 (79 or more).
        std::vector<int> choices;
        const int low = rotated - 47;
        choices.push_back(low + k >= 79 ? low + k : low);
        if (rotated >= 32 && rotated <= 80) {
            const int high = rotated + 47;
            choices.push_back(high - k >= 79 ? high : high - k);
        }
        // Prefer bytes below 0x80: the XML transport carries only those unchanged.
        if (choices.size() == 2 && (choices[0] < 0) != (choices[1] < 0)) {
            choices.erase(choices[0] < 0 ? choices.begin() : choices.begin() + 1);
        }
        const int c =
            choices[std::uniform_int_distribution<std::size_t>(0, choices.size() - 1)(random)];
        scrambled += static_cast<char>(static_cast<signed char>(c));
    }
    return scrambled;
}

std::string ScrambledList(const std::vector<PlainEntry> &entries, const std::string &key,
                          int firstPosition) {
    std::mt19937 random(7);
    std::string list;
    int position = firstPosition;
    for (const PlainEntry &entry : entries) {
        const std::string link =
            entry.link.empty() ? "" : ScrambleLink(entry.link, position, key, random);
        list += "<xsd:anyType><ns1:string>" + link + "</ns1:string><ns1:string>" + entry.title +
                "</ns1:string><ns1:string>" + ScrambleLink(entry.name, position, key, random) +
                "</ns1:string></xsd:anyType>\n";
        ++position;
    }
    return list;
}
