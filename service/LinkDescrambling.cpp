#include "service/LinkDescrambling.h"

#include <array>

namespace {

constexpr std::array<const char *, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

// Shift for byte position `position` (= i + N) of a field.
int ShiftAt(long long position, std::size_t i, const std::string &key) {
    const long long L = static_cast<long long>(key.size());
    if (position % 2 == 0) {
        return static_cast<int>((position % 4) * L + (position + 6) % 10);
    }
    const int q = static_cast<signed char>(key[i % key.size()]);
    return q >= 79 ? q - 78 : q - 31;
}

}  // namespace

std::string DayKey(const std::tm &localDate) {
    std::tm normalised = localDate;
    std::mktime(&normalised);  // makes tm_wday valid for the given date

    char digits[8] = {};
    std::strftime(digits, sizeof digits, "%m%d", &normalised);

    const std::string name = kWeekdayNames[static_cast<std::size_t>(normalised.tm_wday) % 7];
    std::string key;
    key.reserve(name.size() + 4);
    for (std::size_t j = 0; j < name.size(); ++j) {
        key += name[j];
        if (j < 4) key += digits[j];
    }
    return key;
}

std::string DayKey() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return DayKey(local);
}

std::string DescrambleLink(std::string field, int N, std::string K) {
    std::string plain(field.size(), '\0');
    if (K.empty()) {
        // A day key is never empty; keep the length promise without dividing by zero.
        K.push_back('0');
    }
    for (std::size_t i = 0; i < field.size(); ++i) {
        int c = static_cast<signed char>(field[i]);
        const int k = ShiftAt(static_cast<long long>(i) + N, i, K);
        if (c <= 78) {
            if (c + k >= 79) c += k;
        } else {
            if (c - k <= 78) c -= k;
        }
        c += c < 79 ? 47 : -47;
        plain[i] = static_cast<char>(static_cast<unsigned char>((157 - c) & 0xFF));
    }
    return plain;
}
