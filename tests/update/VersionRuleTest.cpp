#include <gtest/gtest.h>

#include <string>

#include "update/VersionRule.h"

namespace {

struct VersionCase {
    std::string latest;
    bool newer;
};

void PrintTo(const VersionCase &c, std::ostream *os) { *os << ::testing::PrintToString(c.latest); }

class NewerVersionTest : public ::testing::TestWithParam<VersionCase> {};

TEST_P(NewerVersionTest, ComparesFourBytesAgainstOwnVersion) {
    EXPECT_EQ(IsNewerVersion(GetParam().latest), GetParam().newer) << GetParam().latest;
}

INSTANTIATE_TEST_SUITE_P(
    Versions, NewerVersionTest,
    ::testing::Values(VersionCase{"1.00", false}, VersionCase{"1.01", true},
                      VersionCase{"1.10", true}, VersionCase{"2.00", true},
                      VersionCase{"0.99", false}, VersionCase{"1.1", false},
                      VersionCase{"1.001", false}, VersionCase{"", false},
                      VersionCase{"1.0/", false},
                      // Bytes compare unsigned: a high byte is greater than any ASCII digit.
                      VersionCase{"\xc3\xa9.0", true}, VersionCase{"9.99", true}));

struct NameCase {
    std::string name;
    bool safe;
};

void PrintTo(const NameCase &c, std::ostream *os) { *os << ::testing::PrintToString(c.name); }

class UpdateFileNameTest : public ::testing::TestWithParam<NameCase> {};

TEST_P(UpdateFileNameTest, AcceptsOnlyNamesDirectlyInsideTheFolder) {
    EXPECT_EQ(IsSafeUpdateFileName(GetParam().name), GetParam().safe) << GetParam().name;
}

INSTANTIATE_TEST_SUITE_P(Names, UpdateFileNameTest,
                         ::testing::Values(NameCase{"move.sh", true}, NameCase{"lumora", true},
                                           NameCase{"..hidden", true}, NameCase{"a b.txt", true},
                                           NameCase{"", false}, NameCase{".", false},
                                           NameCase{"..", false}, NameCase{"../lumora", false},
                                           NameCase{"/etc/passwd", false},
                                           NameCase{"sub/file", false}, NameCase{"file/", false},
                                           NameCase{std::string("a\0b", 3), false}));

}  // namespace
