#include "service/LinkDescrambling.h"

#include <array>

namespace {

constexpr std::array<const char *, 7> kWeekdayNames = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                                       "Thursday", "Friday", "Saturday"};

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

int DescrambleShift(std::size_t i, int N, const std::string &K) {
    const long long position = static_cast<long long>(i) + N;
    const long long L = static_cast<long long>(K.size());
    if (position % 2 == 0) return static_cast<int>((position % 4) * L + (position + 6) % 10);
    const int q = static_cast<signed char>(K[i % K.size()]);
    return q >= 79 ? q - 78 : q - 31;
}

unsigned char DescrambleByte(int c, int k) {
    if (c <= 78) {
        if (c + k >= 79) c += k;
    } else if (c - k <= 78) {
        c -= k;
    }
    c += c < 79 ? 47 : -47;
    return static_cast<unsigned char>((157 - c) & 0xFF);
}

std::string DescrambleLink(std::string field, int N, std::string K) {
    std::string plain(field.size(), '\0');
    if (K.empty()) {
        // A day key is never empty; keep the length promise without dividing by zero.
        K.push_back('0');
    }
    for (std::size_t i = 0; i < field.size(); ++i)
        plain[i] = static_cast<char>(
            DescrambleByte(static_cast<signed char>(field[i]), DescrambleShift(i, N, K)));
    return plain;
}
