#include <gtest/gtest.h>

#include "platform/FileNames.h"

namespace {

struct NameCase {
    const char *name;
    QByteArray bytes;
    QString shown;
};

void PrintTo(const NameCase &c, std::ostream *os) { *os << c.name; }

class FileNameCodec : public ::testing::TestWithParam<NameCase> {};

TEST_P(FileNameCodec, KeepsEveryByteAndShowsBrokenOnesAsReplacements) {
    const QString decoded = DecodeFileName(GetParam().bytes);
    EXPECT_EQ(EncodeFileName(decoded), GetParam().bytes);
    EXPECT_EQ(DisplayName(decoded), GetParam().shown);
}

INSTANTIATE_TEST_SUITE_P(
    Names, FileNameCodec,
    ::testing::Values(
        NameCase{"Ascii", "a b.jpg", "a b.jpg"},
        NameCase{"Chinese", "湖光.jpg", QStringLiteral("湖光.jpg")},
        NameCase{"Gbk", "x\xb8\xf6", QStringLiteral("x\uFFFD\uFFFD")},
        NameCase{"LooksLikeGbk", "x\xef\xbf\xbd\xef\xbf\xbd", QStringLiteral("x\uFFFD\uFFFD")},
        // U+1F480: its low surrogate lies in the range that marks escaped bytes.
        NameCase{"AstralCharacter", "\xf0\x9f\x92\x80", QStringLiteral("💀")},
        NameCase{"CutSequence", "\xe6\x96x", QStringLiteral("\uFFFD\uFFFDx")},
        NameCase{"SurrogateBytes", "\xed\xa0\x80", QStringLiteral("\uFFFD\uFFFD\uFFFD")}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FileNameCodec, LookAlikeNamesStayApart) {
    EXPECT_NE(DecodeFileName("x\xb8\xf6"), DecodeFileName("x\xef\xbf\xbd\xef\xbf\xbd"));
}

}  // namespace
