#include "ListScrambler.h"

namespace {

constexpr int kFirstPrintable = 0x21;
constexpr int kLastPrintable = 0x7E;

bool NeedsXmlEscape(int c) { return c == '<' || c == '>' || c == '&'; }

}  // namespace

int ScrambleShift(int i, int N, const std::string &K) {
    const int L = static_cast<int>(K.size());
    const int m = i + N;
    if (m % 2 == 0) return (m % 4) * L + (m + 6) % 10;
    const int q = static_cast<signed char>(K[static_cast<std::size_t>(i % L)]);
    return q >= 79 ? q - 78 : q - 31;
}

unsigned char DescrambleByte(int c, int k) {
    if (c <= 78) {
        if (c + k >= 79) c += k;
    } else if (c - k <= 78) {
        c -= k;
    }
    c = c < 79 ? c + 47 : c - 47;
    return static_cast<unsigned char>(157 - c);
}

std::optional<std::string> ScrambleField(const std::string &plain, int N, const std::string &K) {
    if (K.empty()) return std::nullopt;
    std::string field;
    field.reserve(plain.size());
    for (std::size_t i = 0; i < plain.size(); ++i) {
        const int k = ScrambleShift(static_cast<int>(i), N, K);
        const auto wanted = static_cast<unsigned char>(plain[i]);
        int chosen = -1;
        // Characters that need no escaping first, so the answer stays readable.
        for (int pass = 0; pass < 2 && chosen < 0; ++pass) {
            for (int c = kFirstPrintable; c <= kLastPrintable; ++c) {
                if (NeedsXmlEscape(c) != (pass == 1)) continue;
                if (DescrambleByte(c, k) == wanted) {
                    chosen = c;
                    break;
                }
            }
        }
        if (chosen < 0) return std::nullopt;
        field += static_cast<char>(chosen);
    }
    return field;
}
