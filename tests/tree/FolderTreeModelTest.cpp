#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"
#include "support/TestFolders.h"
#include "tree/FolderTreeModel.h"

namespace {

class FolderTreeModelTest : public ::testing::Test {
protected:
    QString At(const QString &relative) const { return folder.At("root/" + relative); }
    void Make(const QStringList &folders) const {
        for (const QString &relative : folders) folder.MakeFolder("root/" + relative);
    }
    QStringList Children(const QString &path) const {
        const QModelIndex node = model.IndexOf(path);
        QStringList names;
        for (int row = 0; row < model.rowCount(node); ++row)
            names << model.index(row, 0, node).data().toString();
        return names;
    }
    // Until the model lists `path` with `children`, as a watch makes it do.
    bool ListsSoon(const QString &path, const QStringList &children) const {
        return QTest::qWaitFor([&] { return Children(path) == children; }, 5000);
    }
    static void OtherProcessRuns(const QString &program, const QStringList &arguments) {
        ASSERT_EQ(QProcess::execute(program, arguments), 0);
    }

    TestFolder folder;
    QString root = folder.MakeFolder("root");
    FolderTreeModel model;
};

struct FillCase {
    const char *name;
    QStringList folders;
    QStringList files;
    QStringList children;  // in name order
    QStringList flagged;   // children that promise sub-folders
};

class FillTest : public FolderTreeModelTest, public ::testing::WithParamInterface<FillCase> {};

TEST_P(FillTest, ListsRealSubFoldersInNameOrderWithTheirFlag) {
    const FillCase &c = GetParam();
    Make(c.folders);
    for (const QString &file : c.files) folder.WriteFile("root/" + file, "x");
    QDir().mkpath(folder.At("outside/inner"));
    QFile::link(folder.At("outside"), At("link"));

    model.SetRoot(root);
    EXPECT_EQ(Children(root), c.children);
    for (const QString &child : c.children) {
        const QModelIndex node = model.IndexOf(At(child));
        EXPECT_EQ(model.hasChildren(node), c.flagged.contains(child)) << child.toStdString();
        EXPECT_EQ(model.rowCount(node), 0) << "filled lazily";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Layouts, FillTest,
    ::testing::Values(
        FillCase{"Empty", {}, {}, {}, {}},
        FillCase{"FilesOnlyGiveNoButton", {"a"}, {"a/x.jpg", "a/y.txt", "top.jpg"}, {"a"}, {}},
        FillCase{"HiddenFoldersShown", {".hidden/sub", "b"}, {}, {".hidden", "b"}, {".hidden"}},
        FillCase{"NamesNotCreationOrder",
                 {"t 10", "t 2/x", "b", "t 1", "A"},
                 {},
                 {"A", "b", "t 1", "t 2", "t 10"},
                 {"t 2"}},
        FillCase{"LinkedFolderInsideIsNoSubFolder", {"g"}, {}, {"g"}, {}}),
    [](const auto &info) { return std::string(info.param.name); });

TEST_F(FolderTreeModelTest, AddressedByPathsFromTheWholeRootPath) {
    Make({"2010-05-03/title"});
    model.SetRoot(root);
    const QModelIndex top = model.index(0, 0);
    EXPECT_EQ(top.data().toString(), root);
    EXPECT_TRUE(top.data(FolderTreeModel::TextOnlyRole).toBool());
    const QModelIndex day = model.IndexOf(At("2010-05-03"));
    model.fetchMore(day);
    EXPECT_EQ(model.PathOf(model.index(0, 0, day)), At("2010-05-03/title"));
    EXPECT_FALSE(model.IndexOf(At("2010-05-03/missing")).isValid());
    EXPECT_FALSE(model.IndexOf(root + "x").isValid()) << "a sibling that starts alike";

    model.SetRoot("/");
    ASSERT_GT(model.rowCount(model.index(0, 0)), 0);
    const QModelIndex first = model.index(0, 0, model.index(0, 0));
    EXPECT_EQ(model.PathOf(first), "/" + first.data().toString());
    EXPECT_EQ(model.IndexOf(model.PathOf(first)), first);
}

TEST_F(FolderTreeModelTest, ExpandingReadsAFlaggedNodeOnceAndTextOnlyNodesNever) {
    Make({"a/one", "gone/sub"});
    model.SetRoot(root);
    const QModelIndex a = model.IndexOf(At("a"));
    ASSERT_TRUE(model.canFetchMore(a));
    model.fetchMore(a);
    EXPECT_FALSE(model.canFetchMore(a));
    EXPECT_EQ(Children(At("a")), QStringList{"one"});

    QDir(At("gone")).removeRecursively();
    model.fetchMore(model.IndexOf(At("gone")));
    EXPECT_FALSE(model.hasChildren(model.IndexOf(At("gone"))));

    Make({"late/sub"});
    const QModelIndex inserted = model.Insert(At("late"));
    EXPECT_EQ(Children(root), (QStringList{"a", "gone", "late"}));
    EXPECT_TRUE(inserted.data(FolderTreeModel::TextOnlyRole).toBool());
    EXPECT_FALSE(model.canFetchMore(inserted)) << "a text-only node gets children from a listing";
    EXPECT_EQ(model.Insert(At("late")), inserted);
    EXPECT_FALSE(model.Insert(folder.At("elsewhere/x")).isValid());

    model.SetRoot(At("missing"));
    EXPECT_EQ(model.rowCount(model.index(0, 0)), 0);
}

// Listing again merges: what stayed keeps its node, its children and its place.
TEST_F(FolderTreeModelTest, ListingAgainKeepsWhatStayedAndSortsInWhatCame) {
    Make({"a", "c/inner", "e"});
    model.SetRoot(root);
    model.fetchMore(model.IndexOf(At("c")));
    const QPersistentModelIndex c = model.IndexOf(At("c"));
    const QPersistentModelIndex inner = model.IndexOf(At("c/inner"));

    QDir(At("a")).removeRecursively();
    Make({"b", "d", "f"});
    model.ListAgain(root);
    EXPECT_EQ(Children(root), (QStringList{"b", "c", "d", "e", "f"}));
    EXPECT_TRUE(c.isValid() && inner.isValid());
    EXPECT_EQ(model.PathOf(inner), At("c/inner"));

    QDir(At("c")).removeRecursively();
    model.ListAgain(root);
    EXPECT_FALSE(inner.isValid());
    model.Remove(At("b"));
    EXPECT_EQ(Children(root), (QStringList{"d", "e", "f"}));
}

// A name that is not UTF-8 and its sibling that looks the same once decoded stay two nodes,
// each with its own bytes, through a listing again.
TEST_F(FolderTreeModelTest, NamesThatAreNotUtf8KeepTheirBytes) {
    const QByteArray base = EncodeFileName(root) + "/";
    ASSERT_EQ(::mkdir(base + "x\xb8\xf6", 0777), 0);
    ASSERT_EQ(::mkdir(base + "x\xef\xbf\xbd\xef\xbf\xbd", 0777), 0);
    model.SetRoot(root);
    model.ListAgain(root);
    const QString broken = JoinPath(root, DecodeFileName("x\xb8\xf6"));
    ASSERT_EQ(model.rowCount(model.index(0, 0)), 2);
    EXPECT_EQ(EncodeFileName(model.PathOf(model.IndexOf(broken))), base + "x\xb8\xf6");
    EXPECT_EQ(model.IndexOf(broken).data().toString(), QStringLiteral("x\uFFFD\uFFFD"));
}

// Another program changes the listed folders; the watches bring the change in by themselves.
TEST_F(FolderTreeModelTest, FollowsWhatAnotherProgramDoes) {
    Make({"day/a", "day/c"});
    model.SetRoot(root);
    model.fetchMore(model.IndexOf(At("day")));
    EXPECT_TRUE(model.IsWatched(At("day")));
    EXPECT_FALSE(model.IsWatched(At("day/a"))) << "only listed folders are watched";
    const QPersistentModelIndex c = model.IndexOf(At("day/c"));

    OtherProcessRuns("mkdir", {At("day/b"), At("next-day")});
    EXPECT_TRUE(ListsSoon(At("day"), {"a", "b", "c"}));
    EXPECT_TRUE(ListsSoon(root, {"day", "next-day"}));
    EXPECT_TRUE(c.isValid());

    // A folder that came empty is listed, so that its own sub-folders come in too.
    OtherProcessRuns("mkdir", {At("day/b/sub")});
    EXPECT_TRUE(ListsSoon(At("day/b"), {"sub"}));

    OtherProcessRuns("mv", {At("day/a"), At("day/z")});
    EXPECT_TRUE(ListsSoon(At("day"), {"b", "c", "z"}));

    // Made anew under its name, a folder is watched anew.
    OtherProcessRuns("sh", {"-c", "rm -r \"$0\" && mkdir \"$0\"", At("day")});
    ASSERT_TRUE(ListsSoon(At("day"), {}));
    OtherProcessRuns("mkdir", {At("day/again")});
    EXPECT_TRUE(ListsSoon(At("day"), {"again"}));
    OtherProcessRuns("rm", {"-r", At("day")});
    EXPECT_TRUE(ListsSoon(root, {"next-day"}));
    EXPECT_FALSE(model.IsWatched(At("day")));
}

}  // namespace
