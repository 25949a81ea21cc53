#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QDir>
#include <QFile>

#include "platform/SettingsStore.h"
#include "support/TestFolders.h"

namespace {

class SettingsStoreTest : public ::testing::Test {
protected:
    TestFolder folder;
    CurrentDirectoryGuard cwd{folder.path()};
    SettingsStore store;  // the default relative path, config/t.ini
};

struct CapacityCase {
    const char *stored;
    int capacity;
    const char *seen;
};

class SettingsCapacityTest : public SettingsStoreTest,
                             public ::testing::WithParamInterface<CapacityCase> {};

TEST_P(SettingsCapacityTest, ReadSeesAtMostCapacityMinusOneCharacters) {
    folder.WriteFile("config/t.ini", QByteArray("[config]\nshowTip=") + GetParam().stored + "\n");
    EXPECT_EQ(store.ReadSetting("showTip", GetParam().capacity),
              QString::fromUtf8(GetParam().seen));
}

INSTANTIATE_TEST_SUITE_P(Cases, SettingsCapacityTest,
                         ::testing::Values(CapacityCase{"0abc", 2, "0"}, CapacityCase{"1", 2, "1"},
                                           CapacityCase{"x0", 2, "x"}, CapacityCase{"", 2, ""},
                                           CapacityCase{"图片", 2, "图"},
                                           CapacityCase{"/home/u/pictures", 260,
                                                        "/home/u/pictures"},
                                           CapacityCase{"abc", 1, ""}));

TEST_F(SettingsStoreTest, AbsentFileSectionOrKeyReadsEmpty) {
    EXPECT_EQ(store.ReadSetting("path", 260), "");
    folder.WriteFile("config/t.ini", "[other]\npath=/elsewhere\n");
    EXPECT_EQ(store.ReadSetting("path", 260), "");
    folder.WriteFile("config/t.ini", "[config]\nshowTip=1\n");
    EXPECT_EQ(store.ReadSetting("path", 260), "");
}

TEST_F(SettingsStoreTest, MissingConfigFolderLosesWritesSilentlyAndIsNeverCreated) {
    store.WriteSetting("readDoc", "1");
    EXPECT_FALSE(QDir(folder.At("config")).exists());
    EXPECT_EQ(store.ReadSetting("readDoc", 2), "");
}

TEST_F(SettingsStoreTest, FirstWriteCreatesFileWithSection) {
    folder.MakeFolder("config");
    store.WriteSetting("readDoc", "1");
    EXPECT_EQ(ReadWholeFile(folder.At("config/t.ini")), "[config]\nreadDoc=1\n");
    store.WriteSetting("path", "/data/图片");
    EXPECT_EQ(store.ReadSetting("path", 260), "/data/图片");
    EXPECT_EQ(store.ReadSetting("readDoc", 2), "1");
}

TEST_F(SettingsStoreTest, EveryReadGoesToTheFileAtThatMoment) {
    folder.WriteFile("config/t.ini", "[config]\nshowTip=1\n");
    EXPECT_EQ(store.ReadSetting("showTip", 2), "1");
    folder.WriteFile("config/t.ini", "[config]\nshowTip=0\n");
    EXPECT_EQ(store.ReadSetting("showTip", 2), "0");
}

TEST_F(SettingsStoreTest, WriteKeepsEveryOtherSectionKeyAndLine) {
    const QByteArray before =
        "; written by hand\r\n"
        "[window]\r\n"
        "path=/not/this/one\r\n"
        "\r\n"
        "[Config]\r\n"
        "isLink=1\r\n"
        "Path = /old\r\n"
        "custom=kept\r\n"
        "\r\n"
        "[later]\r\n"
        "x=y\r\n";
    folder.WriteFile("config/t.ini", before);
    store.WriteSetting("path", "/new");
    store.WriteSetting("showTip", "0");
    EXPECT_EQ(ReadWholeFile(folder.At("config/t.ini")),
              "; written by hand\r\n"
              "[window]\r\n"
              "path=/not/this/one\r\n"
              "\r\n"
              "[Config]\r\n"
              "isLink=1\r\n"
              "Path =/new\r\n"
              "custom=kept\r\n"
              "showTip=0\r\n"
              "\r\n"
              "[later]\r\n"
              "x=y\r\n");
    EXPECT_EQ(store.ReadSetting("path", 260), "/new");
}

class SettingsRoundTripTest : public SettingsStoreTest,
                              public ::testing::WithParamInterface<const char *> {};

// Folder names may begin or end with blanks or be enclosed in quotes.
TEST_P(SettingsRoundTripTest, ValueReadsBackExactlyAsWritten) {
    folder.MakeFolder("config");
    const QString value = QString::fromUtf8(GetParam());
    store.WriteSetting("path", value);
    EXPECT_EQ(store.ReadSetting("path", 260), value);
    store.WriteSetting("path", value);  // replacing the existing line
    EXPECT_EQ(store.ReadSetting("path", 260), value);
}

INSTANTIATE_TEST_SUITE_P(Values, SettingsRoundTripTest,
                         ::testing::Values("/data/图片", "/data/trailing ", " /leading", "/tab\t",
                                           "\"/quoted\"", "'/single'", "\"", "\"/half", "a=b;c",
                                           "/data/\xe3\x80\x80"));

TEST_F(SettingsStoreTest, ValueWithALineBreakLeavesTheFileAlone) {
    folder.MakeFolder("config");
    store.WriteSetting("path", "/kept");
    const QByteArray before = ReadWholeFile(folder.At("config/t.ini"));
    store.WriteSetting("path", "/a\nb");
    store.WriteSetting("path", "/a\r\nb");
    EXPECT_EQ(ReadWholeFile(folder.At("config/t.ini")), before);
    EXPECT_EQ(store.ReadSetting("path", 260), "/kept");
}

// A writer killed at any moment leaves either the old or the new file, never a cut one.
TEST_F(SettingsStoreTest, InterruptedWritesNeverCorruptTheFile) {
    folder.MakeFolder("config");
    const QString padding(4000, u'p');
    store.WriteSetting("custom", padding);
    store.WriteSetting("path", "/first");
    for (int round = 0; round < 12; ++round) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            for (int i = 0;; ++i) store.WriteSetting("path", i % 2 ? "/first" : "/second");
        }
        usleep(2000 + round * 1500);
        kill(child, SIGKILL);
        waitpid(child, nullptr, 0);
        const QString path = store.ReadSetting("path", 260);
        EXPECT_TRUE(path == "/first" || path == "/second") << path.toStdString();
        EXPECT_EQ(store.ReadSetting("custom", 5000), padding);
    }
}

TEST_F(SettingsStoreTest, MixedLineEndsKeepEveryKeyAndEveryLineItsEnding) {
    folder.WriteFile("config/t.ini", "[config]\r\nisLink=1\nreadDoc=1\r\npath=/p\n");
    EXPECT_EQ(store.ReadSetting("isLink", 260), "1");
    EXPECT_EQ(store.ReadSetting("readDoc", 2), "1");
    EXPECT_EQ(store.ReadSetting("path", 260), "/p");
    store.WriteSetting("showTip", "0");
    EXPECT_EQ(ReadWholeFile(folder.At("config/t.ini")),
              "[config]\r\nisLink=1\nreadDoc=1\r\npath=/p\nshowTip=0\r\n");
}

TEST_F(SettingsStoreTest, FileThatCannotBeReadIsNeverReplaced) {
    const QString path = folder.WriteFile("config/t.ini", "[config]\npath=/kept\nisLink=1\n");
    ASSERT_EQ(chmod(QFile::encodeName(path), 0200), 0);
    {
        FilePermissionsEnforced enforced;
        store.WriteSetting("readDoc", "1");
    }
    EXPECT_EQ(ReadWholeFile(path), "[config]\npath=/kept\nisLink=1\n");
}

TEST_F(SettingsStoreTest, WritableFileInAReadOnlyFolderStillTakesTheWrite) {
    const QString path = folder.WriteFile("config/t.ini", "[config]\nisLink=1\n");
    ASSERT_EQ(chmod(QFile::encodeName(folder.At("config")), 0555), 0);
    {
        FilePermissionsEnforced enforced;
        store.WriteSetting("readDoc", "1");
    }
    chmod(QFile::encodeName(folder.At("config")), 0755);
    EXPECT_EQ(ReadWholeFile(path), "[config]\nisLink=1\nreadDoc=1\n");
}

}  // namespace
