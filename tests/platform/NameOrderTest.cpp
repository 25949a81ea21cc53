#include <gtest/gtest.h>

#include <algorithm>

#include "platform/FileNames.h"
#include "platform/NameOrder.h"

namespace {

struct OrderCase {
    const char *what;
    const char *locale;
    std::vector<QByteArray> names;  // file names as bytes, in the order expected
};

class NameOrderTest : public ::testing::TestWithParam<OrderCase> {};

TEST_P(NameOrderTest, SortsAsPeopleReadThemWhateverTheStartingOrder) {
    const NameOrder order{QLocale(QString::fromLatin1(GetParam().locale))};
    std::vector<QString> expected;
    for (const QByteArray &name : GetParam().names) expected.push_back(DecodeFileName(name));
    std::vector<QString> names(expected.rbegin(), expected.rend());
    std::rotate(names.begin(), names.begin() + names.size() / 2, names.end());

    std::vector<QString> sorted;
    for (const std::size_t at : order.Sorted(names)) sorted.push_back(names[at]);
    EXPECT_EQ(sorted, expected);
    std::sort(names.begin(), names.end(), order);
    EXPECT_EQ(names, expected);
}

INSTANTIATE_TEST_SUITE_P(
    Orders, NameOrderTest,
    ::testing::Values(
        OrderCase{
            "digits",
            "en_US",
            {"t 1.jpg", "t 2.jpg", "t 2a.jpg", "t 9.jpg", "t 10.jpg", "t 12.jpg", "t 100.jpg"}},
        OrderCase{"dates", "en_US", {"2026-01-31", "2026-12-08", "2026-12-09", "2026-12-10"}},
        OrderCase{"case ignored, ties by bytes",
                  "en_US",
                  {"apple.jpg", "B.jpg", "b.jpg", "c.JPG", "Zebra.jpg"}},
        OrderCase{"dot entries first", "en_US", {".", "..", ".hidden", "a"}},
        OrderCase{"a name that is no UTF-8 by its decoded form",
                  "en_US",
                  {"a.jpg", "b\xff.jpg", "c.jpg"}},
        OrderCase{"the C locale still counts digits", "C", {"t 2", "t 10", "T 11", "u"}},
        OrderCase{"Chinese titles by the zh_CN collation",
                  "zh_CN",
                  {"城市夜色", "海洋 2.jpg", "海洋 10.jpg", "花卉", "山川"}}),
    [](const auto &info) { return "Case" + std::to_string(info.index); });

}  // namespace
