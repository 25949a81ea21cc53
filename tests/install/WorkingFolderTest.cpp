#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>

#include "platform/WorkingFolder.h"
#include "support/TestFolders.h"

namespace {

struct StartCase {
    const char *name;
    StartLocation start;
    QString enter;     // the folder the program switches to; empty: it stays
    QString launcher;  // the Path of its desktop launcher
};

void PrintTo(const StartCase &c, std::ostream *os) { *os << c.name; }

const QString kInstalledBin = QStringLiteral("/usr/bin");
const QString kUserFolder = QStringLiteral("/home/u/.local/share/lumora");

class WorkingFolderRule : public ::testing::TestWithParam<StartCase> {};

TEST_P(WorkingFolderRule, OnlyTheInstalledProgramWorksInItsUserFolder) {
    EXPECT_EQ(UserFolderToEnter(GetParam().start, kInstalledBin), GetParam().enter);
    EXPECT_EQ(LauncherFolderFor(GetParam().start, kInstalledBin), GetParam().launcher);
}

INSTANTIATE_TEST_SUITE_P(
    Starts, WorkingFolderRule,
    ::testing::Values(
        StartCase{
            "InstalledFromHome", {"/usr/bin", "/home/u", "/home/u", ""}, kUserFolder, kUserFolder},
        StartCase{"InstalledFromRoot", {"/usr/bin", "/", "/home/u", ""}, kUserFolder, kUserFolder},
        StartCase{"InstalledInItsUserFolder",
                  {"/usr/bin", kUserFolder, "/home/u", ""},
                  kUserFolder,
                  kUserFolder},
        StartCase{"HomeWithTrailingSlash",
                  {"/usr/bin", "/home/u", "/home/u/", ""},
                  kUserFolder,
                  kUserFolder},
        StartCase{"XdgDataHome",
                  {"/usr/bin", "/home/u", "/home/u", "/data/u/"},
                  "/data/u/lumora",
                  "/data/u/lumora"},
        StartCase{"RelativeXdgDataHomeIsIgnored",
                  {"/usr/bin", "/", "/home/u", "data"},
                  kUserFolder,
                  kUserFolder},
        StartCase{"InstalledFromAShellElsewhere",
                  {"/usr/bin", "/home/u/Documents", "/home/u", ""},
                  kUserFolder,
                  kUserFolder},
        StartCase{
            "BuildTreeFromHome", {"/work/build", "/home/u", "/home/u", ""}, "", "/work/build"},
        StartCase{
            "OtherPrefixFromRoot", {"/usr/local/bin", "/", "/home/u", ""}, "", "/usr/local/bin"}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(PrepareUserFolderTest, CreatesConfigAndLinksTheHelpDocumentAgainWhenTheLinkIsStale) {
    TestFolder sandbox;
    const QString help = sandbox.WriteFile("usr/share/lumora/help.html", "<html>");
    const QString folder = sandbox.At("home/.local/share/lumora");
    const QString link = folder + "/help.html";

    ASSERT_TRUE(PrepareUserFolder(folder, help));
    EXPECT_TRUE(QFileInfo(folder + "/config").isDir());
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), help);
    EXPECT_EQ(ReadWholeFile(link), "<html>");

    ASSERT_TRUE(QFile::remove(link));
    ASSERT_TRUE(QFile::link(sandbox.At("gone.html"), link));
    ASSERT_TRUE(PrepareUserFolder(folder, help));
    EXPECT_EQ(QFileInfo(link).symLinkTarget(), help);
}

TEST(PrepareUserFolderTest, KeepsAHelpFileOfTheUsersOwn) {
    TestFolder sandbox;
    const QString help = sandbox.WriteFile("help.html", "<html>");
    const QString own = sandbox.WriteFile("lumora/help.html", "mine");
    ASSERT_TRUE(PrepareUserFolder(sandbox.At("lumora"), help));
    EXPECT_FALSE(QFileInfo(own).isSymLink());
    EXPECT_EQ(ReadWholeFile(own), "mine");
}

TEST(PrepareUserFolderTest, AFolderThatCannotBeMadeIsRefused) {
    TestFolder sandbox;
    const QString file = sandbox.WriteFile("taken");
    EXPECT_FALSE(PrepareUserFolder(file + "/lumora", sandbox.At("help.html")));
}

}  // namespace
