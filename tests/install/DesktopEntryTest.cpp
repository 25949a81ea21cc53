#include <gtest/gtest.h>

#include <QProcess>

#include "platform/DesktopLauncher.h"
#include "support/TestFolders.h"

namespace {

struct LauncherCase {
    const char *name;
    QString program;
    QString workingFolder;  // empty: the program's folder
    QString pathLine;       // the entry's Path line as written
};

void PrintTo(const LauncherCase &c, std::ostream *os) { *os << c.name; }

class LauncherEntry : public ::testing::TestWithParam<LauncherCase> {};

// desktop-file-validate (desktop-file-utils) judges the entry as a desktop would read it.
TEST_P(LauncherEntry, PassesDesktopFileValidate) {
    TestFolder desktop;
    ASSERT_TRUE(
        CreateDesktopLauncher(GetParam().program, desktop.path(), GetParam().workingFolder));
    const QString launcher = desktop.At("Lumora1.00.desktop");
    const QString entry = QString::fromUtf8(ReadWholeFile(launcher));
    EXPECT_TRUE(entry.contains("\n" + GetParam().pathLine + "\n")) << entry.toStdString();

    QProcess validate;
    validate.setProcessChannelMode(QProcess::MergedChannels);
    validate.start(QStringLiteral("desktop-file-validate"), {launcher});
    ASSERT_TRUE(validate.waitForFinished(60000)) << "desktop-file-validate did not run";
    const QString report = QString::fromUtf8(validate.readAll());
    EXPECT_EQ(validate.exitCode(), 0) << report.toStdString();
    EXPECT_FALSE(report.contains("error:")) << report.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Programs, LauncherEntry,
    ::testing::Values(LauncherCase{"Installed", "/usr/bin/lumora", "/home/u/.local/share/lumora",
                                   "Path=/home/u/.local/share/lumora"},
                      LauncherCase{"BuildTree", "/work/lumora/build/lumora", "",
                                   "Path=/work/lumora/build"},
                      LauncherCase{"ReservedCharacters", "/opt/a \"b\" $c `d` 100%\\e/lumora", "",
                                   "Path=/opt/a \"b\" $c `d` 100%\\\\e"}),
    [](const auto &info) { return std::string(info.param.name); });

}  // namespace
