#include <gtest/gtest.h>

#include <ctime>
#include <string>

#include "ListScrambler.h"
#include "service/LinkDescrambling.h"

namespace {

std::tm Date(int year, int month, int day) {
    std::tm date{};
    date.tm_year = year - 1900;
    date.tm_mon = month - 1;
    date.tm_mday = day;
    date.tm_hour = 12;
    date.tm_isdst = -1;
    date.tm_wday = 99;  // left for DayKey to normalise
    return date;
}

struct DayKeyCase {
    int month, day;
    const char *key;
};

class DayKeyTest : public testing::TestWithParam<DayKeyCase> {};

TEST_P(DayKeyTest, InterleavesMonthAndDayWithTheWeekdayName) {
    const DayKeyCase &c = GetParam();
    EXPECT_EQ(DayKey(Date(2010, c.month, c.day)), c.key);
}

// 2 May 2010 was a Sunday; the week covers every weekday name, 6 to 9 letters long.
INSTANTIATE_TEST_SUITE_P(
    AllWeekdays, DayKeyTest,
    testing::Values(DayKeyCase{5, 2, "S0u5n0d2ay"}, DayKeyCase{5, 3, "M0o5n0d3ay"},
                    DayKeyCase{5, 4, "T0u5e0s4day"}, DayKeyCase{5, 5, "W0e5d0n5esday"},
                    DayKeyCase{5, 6, "T0h5u0r6sday"}, DayKeyCase{5, 7, "F0r5i0d7ay"},
                    DayKeyCase{5, 8, "S0a5t0u8rday"}, DayKeyCase{12, 31, "F1r2i3d1ay"},
                    DayKeyCase{5, 32, "T0u6e0s1day"}));  // 1 June

TEST(DayKeyToday, MatchesTheDayKeyOfTheLocalDate) {
    // Compare against the dates around the call so a midnight in between cannot fail the test.
    const std::time_t before = std::time(nullptr);
    const std::string key = DayKey();
    const std::time_t after = std::time(nullptr);
    std::tm first{}, second{};
    localtime_r(&before, &first);
    localtime_r(&after, &second);
    EXPECT_TRUE(key == DayKey(first) || key == DayKey(second)) << key;
    EXPECT_GE(key.size(), 10u);
    EXPECT_LE(key.size(), 13u);
}

struct DescrambleCase {
    const char *name;
    std::string field;
    int N;
    std::string key;
    std::size_t index;  // byte looked at
    unsigned char expected;
};

class DescrambleByteTest : public testing::TestWithParam<DescrambleCase> {};

TEST_P(DescrambleByteTest, GivesTheExpectedByte) {
    const DescrambleCase &c = GetParam();
    const std::string plain = DescrambleLink(c.field, c.N, c.key);
    ASSERT_EQ(plain.size(), c.field.size());
    EXPECT_EQ(static_cast<unsigned char>(plain[c.index]), c.expected);
}

const std::string kMonday = "M0o5n0d3ay";  // L = 10

INSTANTIATE_TEST_SUITE_P(
    Rules, DescrambleByteTest,
    testing::Values(
        // i + N = 4: shift 0, 78 is kept, rotated to 125, emitted as 32.
        DescrambleCase{"ZeroShiftAtFour", "abcdN", 0, kMonday, 4, 32},
        DescrambleCase{"ZeroShiftWhateverTheKey", "abcdN", 0, "W0e5d0n5esday", 4, 32},
        // i + N = 0: shift 6. -1 stays -1 (sum 5 is below 79): -1 + 47 = 46, 157 - 46 = 111.
        DescrambleCase{"HighByteCountsAsNegative", "\xFF", 0, kMonday, 0, 111},
        // 84 - 6 = 78 is replaced and then rotated up: 78 + 47 = 125, 157 - 125 = 32.
        DescrambleCase{"FoldDownToSeventyEight", "T", 0, kMonday, 0, 32},
        // 85 - 6 = 79 is not 78 or less: 85 is kept and rotated down: 38, 157 - 38 = 119.
        DescrambleCase{"FoldDownRefused", "U", 0, kMonday, 0, 119},
        // i + N = 2: shift 2 * 10 + 8 = 28; 60 + 28 = 88, rotated 41, emitted 116.
        DescrambleCase{"EvenShiftUsesKeyLength", "ab<", 0, kMonday, 2, 116},
        DescrambleCase{"EvenShiftLongerKey", "ab<", 0, "W0e5d0n5esday", 2, 110},
        // i + N = 1, key byte '0' (48): shift 17; 70 + 17 = 87, rotated 40, emitted 117.
        DescrambleCase{"OddShiftFromDigit", "aF", 0, kMonday, 1, 117},
        // Key byte 'O' (79): shift 1; 78 + 1 = 79 is taken, rotated to 32, emitted 125.
        DescrambleCase{"OddShiftFromSeventyNine", "aN", 0, "OOOOOOOOOO", 1, 125},
        // Key byte 'N' (78): shift 47; 40 + 47 = 87 taken; 31 + 47 = 78 refused, 31 -> 78 -> 79.
        DescrambleCase{"OddShiftFromSeventyEightTaken", "a(", 0, "NNNNNNNNNN", 1, 117},
        DescrambleCase{"OddShiftFromSeventyEightRefused", "a\x1F", 0, "NNNNNNNNNN", 1, 79},
        // Odd rule picks the key byte by i alone: i = 1 with N = 2 reads key[1] = '0' (17).
        DescrambleCase{"OddRuleIndexesKeyByByte", "aF", 2, kMonday, 1, 117},
        // Moving "<" (60) from i + N = 2 to 1 swaps the rule: shift 28 (88 -> 116) becomes 17
        // (77 is kept, 107 -> 50).
        DescrambleCase{"PositionMovesRuleEven", "a<", 1, kMonday, 1, 116},
        DescrambleCase{"PositionMovesRuleOdd", "a<", 0, kMonday, 1, 50}),
    [](const testing::TestParamInfo<DescrambleCase> &info) {
        return std::string(info.param.name);
    });

TEST(DescrambleLink, EmptyFieldGivesEmptyText) { EXPECT_EQ(DescrambleLink("", 5, kMonday), ""); }

TEST(DescrambleLink, WrongPositionOrDayGivesOtherTextOfTheSameLength) {
    const std::string plain = "img.example.com/photos/2010/05";
    const std::string scrambled = ScrambleField(plain, 10, kMonday).value();
    EXPECT_EQ(DescrambleLink(scrambled, 10, kMonday), plain);
    EXPECT_NE(DescrambleLink(scrambled, 11, kMonday), plain);
    EXPECT_NE(DescrambleLink(scrambled, 10, "T0u5e0s4day"), plain);
    EXPECT_EQ(DescrambleLink(scrambled, 11, kMonday).size(), plain.size());
}

}  // namespace
