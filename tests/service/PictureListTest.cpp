#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "ListScrambler.h"
#include "service/PictureList.h"

namespace {

const std::string kKey = "M0o5n0d3ay";
const std::string kDateFolder = "/pictures/2010-05-03";

DownloadBatch Parse(const std::string &list) {
    DownloadBatch batch;
    AppendTasksFromList(list, kDateFolder, kKey, batch);
    return batch;
}

std::string PathIn(const std::string &title, int n) {
    return kDateFolder + "/" + title + "/" + title + " " + std::to_string(n) + ".jpg";
}

TEST(AppendTasksFromList, GroupSharesLinkAndTitleAndNumbersItsPictures) {
    const DownloadBatch batch =
        Parse(ScrambledList({{"ref.example.com\\img.example.com/p", "湖", "a0"},
                             {"", "", "b1"},
                             {"", "", "c.png"},
                             {"r2.example.com\\img2.example.com", "湖", "d0"},
                             {"", "", "e0"}},
                            kKey));
    ASSERT_EQ(batch.size(), 5u);
    const std::vector<DownloadTask> expected = {
        {PathIn("湖", 1), "ref.example.com", "img.example.com/p/a.jpg"},
        {PathIn("湖", 2), "ref.example.com", "img.example.com/p/b.jpeg"},
        {PathIn("湖", 3), "ref.example.com", "img.example.com/p/c.png"},
        // Field 1 again restarts the numbering, even for the same title.
        {PathIn("湖", 1), "r2.example.com", "img2.example.com/d.jpg"},
        {PathIn("湖", 2), "r2.example.com", "img2.example.com/e.jpg"}};
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(batch[i].localPath, expected[i].localPath);
        EXPECT_EQ(batch[i].referrer, expected[i].referrer);
        EXPECT_EQ(batch[i].remoteAddress, expected[i].remoteAddress);
    }
}

TEST(AppendTasksFromList, LinkWithoutBackslashIsReferrerAndBase) {
    const DownloadBatch batch = Parse(ScrambledList({{"img.example.com", "t", "x.gif"}}, kKey));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].referrer, "img.example.com");
    EXPECT_EQ(batch[0].remoteAddress, "img.example.com/x.gif");
}

TEST(AppendTasksFromList, EmptyFirstLinkGivesNoReferrerAndARootedAddress) {
    const DownloadBatch batch = Parse(ScrambledList({{"", "t", "x0"}}, kKey));
    ASSERT_EQ(batch.size(), 1u);
    EXPECT_EQ(batch[0].referrer, "");
    EXPECT_EQ(batch[0].remoteAddress, "/x.jpg");
    EXPECT_EQ(batch[0].localPath, PathIn("t", 1));
}

TEST(AppendTasksFromList, EmptyNameEndsTheParseBeforeItsEntry) {
    const DownloadBatch batch = Parse(ScrambledList(
        {{"r\\h", "t", "a0"}, {"", "", "b0"}, {"", "", ""}, {"r\\h", "t", "c0"}}, kKey));
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[1].remoteAddress, "h/b.jpg");
}

TEST(AppendTasksFromList, PositionBaseContinuesFromTheBatchSize) {
    DownloadBatch batch(3, DownloadTask{"old", "", "old"});
    AppendTasksFromList(ScrambledList({{"r\\h", "t", "a0"}, {"", "", "b0"}}, kKey, 3), kDateFolder,
                        kKey, batch);
    ASSERT_EQ(batch.size(), 5u);
    EXPECT_EQ(batch[3].remoteAddress, "h/a.jpg");
    EXPECT_EQ(batch[4].remoteAddress, "h/b.jpg");
}

TEST(AppendTasksFromList, ControlCharacterDropsOnlyItsEntries) {
    const DownloadBatch batch = Parse(ScrambledList({{"r\\h", "t", "a0"},
                                                     {"", "",
                                                      "b\x7F"
                                                      "0"},
                                                     {"r\x7F\\h", "u", "c0"},
                                                     {"", "", "d0"},  // inherits the bad referrer
                                                     {"r\\h2", "v", "e0"}},
                                                    kKey));
    ASSERT_EQ(batch.size(), 2u);
    EXPECT_EQ(batch[0].remoteAddress, "h/a.jpg");
    // Dropped entries keep their list positions, so later entries still descramble.
    EXPECT_EQ(batch[1].remoteAddress, "h2/e.jpg");
    EXPECT_EQ(batch[1].localPath, PathIn("v", 1));
}

TEST(AppendTasksFromList, StopsAtTheBatchLimit) {
    std::vector<PlainEntry> entries(kMaxBatchTasks + 5, PlainEntry{"", "", "p0"});
    entries[0] = PlainEntry{"r\\h", "t", "p0"};
    DownloadBatch batch = Parse(ScrambledList(entries, kKey));
    EXPECT_EQ(batch.size(), kMaxBatchTasks);
    EXPECT_EQ(batch.back().localPath, PathIn("t", static_cast<int>(kMaxBatchTasks)));

    batch.resize(kMaxBatchTasks - 2);
    AppendTasksFromList(ScrambledList({{"r\\h", "t", "a0"}, {"", "", "b0"}, {"", "", "c0"}}, kKey,
                                      static_cast<int>(batch.size())),
                        kDateFolder, kKey, batch);
    EXPECT_EQ(batch.size(), kMaxBatchTasks);
}

struct MalformedCase {
    const char *name;
    std::string list;
    std::size_t tasks;
};

class MalformedListTest : public testing::TestWithParam<MalformedCase> {};

TEST_P(MalformedListTest, NeitherCrashesNorAppendsAnEmptyRemoteName) {
    const DownloadBatch batch = Parse(GetParam().list);
    EXPECT_EQ(batch.size(), GetParam().tasks);
    for (const DownloadTask &task : batch) {
        EXPECT_NE(task.remoteAddress.substr(task.remoteAddress.rfind('/') + 1), "");
        EXPECT_EQ(task.localPath.rfind(kDateFolder + "/", 0), 0u);
    }
}

const std::string kGood = ScrambledList({{"r\\h", "t", "a0"}}, kKey);
const std::string kTwoGood = ScrambledList({{"r\\h", "t", "a0"}, {"", "", "b0"}}, kKey);

INSTANTIATE_TEST_SUITE_P(
    Lists, MalformedListTest,
    testing::Values(MalformedCase{"Empty", "", 0}, MalformedCase{"PlainText", "no list here", 0},
                    MalformedCase{"OnlyEntryEnd", "</xsd:anyType>", 0},
                    MalformedCase{"NoEntryEnd",
                                  "<ns1:string>a</ns1:string><ns1:string>t</ns1:string>"
                                  "<ns1:string>b</ns1:string>",
                                  0},
                    MalformedCase{"UnclosedField", "<ns1:string>abc</xsd:anyType>", 0},
                    MalformedCase{"TwoFields",
                                  "<ns1:string>a</ns1:string><ns1:string>t</ns1:string>"
                                  "</xsd:anyType>",
                                  0},
                    MalformedCase{"EndTagsFirst", "</ns1:string></xsd:anyType><ns1:string>", 0},
                    MalformedCase{
                        "EntryEndMissingAfterLastField",
                        "</xsd:anyType><ns1:string>a</ns1:string><ns1:string>t</ns1:string>"
                        "<ns1:string>b</ns1:string>",
                        0},
                    MalformedCase{"TruncatedAfterGoodEntry", kGood + "<ns1:string>abc", 1},
                    MalformedCase{"OuterEndAfterEntries", kTwoGood + "</xsd:anyType>", 2},
                    MalformedCase{"EmptyNameWithGarbage",
                                  kGood + "<ns1:string></ns1:string><ns1:string>"
                                          "</ns1:string><ns1:string></ns1:string></xsd:anyType>",
                                  1},
                    MalformedCase{"NameIsOnlyAFlag",
                                  "<ns1:string></ns1:string><ns1:string>t</ns1:string>"
                                  "<ns1:string>a</ns1:string></xsd:anyType>",
                                  1}),
    [](const testing::TestParamInfo<MalformedCase> &info) { return std::string(info.param.name); });

struct TitleCase {
    const char *name;
    std::string title, clean;
};

class CleanTitleTest : public testing::TestWithParam<TitleCase> {};

TEST_P(CleanTitleTest, KeepsEveryTitleOneNameBelowTheDateFolder) {
    EXPECT_EQ(CleanTitle(GetParam().title), GetParam().clean);
}

INSTANTIATE_TEST_SUITE_P(
    Titles, CleanTitleTest,
    testing::Values(TitleCase{"Chinese", "湖光山色", "湖光山色"},
                    TitleCase{"Blanks", " a b ", " a b "}, TitleCase{"Empty", "", ""},
                    TitleCase{"ThreeDots", "...", "..."}, TitleCase{"Hidden", ".x", ".x"},
                    TitleCase{"Backslash", "a\\b", "a\\b"}, TitleCase{"Slash", "a/b", "a_b"},
                    TitleCase{"ParentPath", "../../etc", ".._.._etc"}, TitleCase{"Dot", ".", "_"},
                    TitleCase{"DotDot", "..", "__"},
                    TitleCase{"Controls",
                              std::string("a\nb\rc\td\x7F"
                                          "e\0f",
                                          11),
                              "a_b_c_d_e_f"},
                    TitleCase{"LongAscii", std::string(300, 'x'), std::string(234, 'x')},
                    TitleCase{"LongChineseCutOnCharacter",
                              [] {
                                  std::string t;
                                  for (int i = 0; i < 100; ++i) t += "湖";
                                  return t;
                              }(),
                              [] {
                                  std::string t;
                                  for (int i = 0; i < 78; ++i) t += "湖";
                                  return t;
                              }()},
                    TitleCase{"CharacterAcrossTheLimit", std::string(233, 'x') + "湖",
                              std::string(233, 'x')}),
    [](const testing::TestParamInfo<TitleCase> &info) { return std::string(info.param.name); });

TEST(AppendTasksFromList, HostileTitlesStayInsideTheDateFolder) {
    const DownloadBatch batch = Parse(ScrambledList({{"r\\h", "../../home/u/.bashrc", "a0"},
                                                     {"r\\h", "..", "b0"},
                                                     {"r\\h", "bad\xFFutf", "c0"}},
                                                    kKey));
    ASSERT_EQ(batch.size(), 3u);
    EXPECT_EQ(batch[0].localPath, PathIn(".._.._home_u_.bashrc", 1));
    EXPECT_EQ(batch[1].localPath, PathIn("__", 1));
    EXPECT_EQ(batch[2].localPath, PathIn("bad?utf", 1));
    for (const DownloadTask &task : batch) {
        const std::filesystem::path folder =
            std::filesystem::path(task.localPath).lexically_normal().parent_path().parent_path();
        EXPECT_EQ(folder, std::filesystem::path(kDateFolder));
    }
}

}  // namespace
