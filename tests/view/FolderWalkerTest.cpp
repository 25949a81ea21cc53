#include <gtest/gtest.h>

#include <QDir>

#include "platform/DirectoryListing.h"
#include "support/TestFolders.h"
#include "view/FolderWalker.h"

namespace {

// Names as the file system lists them; the tests never assume an order.
std::vector<QString> Listed(const QString &folder, ListPattern pattern) {
    std::vector<QString> names;
    for (const DirEntry &entry : ListFolder(folder, pattern).value_or(std::vector<DirEntry>()))
        if (entry.name != QStringLiteral(".") && entry.name != QStringLiteral(".."))
            names.push_back(entry.name);
    return names;
}

std::vector<QString> SubFolders(const QString &folder) {
    std::vector<QString> names;
    for (const DirEntry &entry :
         ListFolder(folder, ListPattern::All).value_or(std::vector<DirEntry>()))
        if (entry.isDirectory && entry.name != QStringLiteral(".") &&
            entry.name != QStringLiteral(".."))
            names.push_back(entry.name);
    return names;
}

TEST(FindNeighbours, EachPictureSeesTheEntriesListedBesideIt) {
    TestFolder folder;
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg"}) folder.WriteFile(name, "x");
    const QString dir = folder.path();
    const std::vector<QString> order = Listed(dir, ListPattern::Jpg);
    ASSERT_EQ(order.size(), 3u);
    for (size_t i = 0; i < order.size(); ++i) {
        const Neighbours found = FindNeighbours(JoinPath(dir, order[i]));
        EXPECT_EQ(found.previous, i == 0 ? QString() : JoinPath(dir, order[i - 1])) << i;
        EXPECT_EQ(found.next, i == 2 ? QString() : JoinPath(dir, order[i + 1])) << i;
    }
}

TEST(FindNeighbours, UpperCaseExtensionIsAPreviousButNeverANextNeighbour) {
    // X.JPG matches the listing's pattern but is no picture path.
    TestFolder folder;
    for (const char *name : {"a.jpg", "b.jpg", "X.JPG", "c.jpg", "d.jpg"})
        folder.WriteFile(name, "x");
    const QString dir = folder.path();
    const std::vector<QString> order = Listed(dir, ListPattern::Jpg);
    const auto upper =
        std::find(order.begin(), order.end(), QStringLiteral("X.JPG")) - order.begin();
    int checked = 0;
    if (upper + 1 < static_cast<long>(order.size())) {
        EXPECT_EQ(FindNeighbours(JoinPath(dir, order[upper + 1])).previous, JoinPath(dir, "X.JPG"));
        ++checked;
    }
    if (upper > 0) {
        EXPECT_TRUE(FindNeighbours(JoinPath(dir, order[upper - 1])).next.isEmpty());
        ++checked;
    }
    EXPECT_GE(checked, 1);
}

TEST(FindNeighbours, VanishedPictureHasLastEntryBeforeAndNothingAfter) {
    TestFolder folder;
    for (const char *name : {"a.jpg", "b.jpg"}) folder.WriteFile(name, "x");
    const std::vector<QString> order = Listed(folder.path(), ListPattern::Jpg);
    const Neighbours found = FindNeighbours(folder.At(QStringLiteral("gone.jpg")));
    EXPECT_EQ(found.previous, JoinPath(folder.path(), order.back()));
    EXPECT_TRUE(found.next.isEmpty());
    EXPECT_TRUE(FindNeighbours(folder.At(QStringLiteral("missing/p.jpg"))).previous.isEmpty());
}

// A date folder with title folders; `pictures[i]` pictures in the i-th created folder.
struct Groups {
    TestFolder folder;
    QString date;
    std::vector<QString> order;  // title folders in listing order
    explicit Groups(const std::vector<int> &pictures) {
        date = folder.MakeFolder(QStringLiteral("2024-05-01"));
        for (size_t i = 0; i < pictures.size(); ++i) {
            const QString title = QStringLiteral("t%1").arg(i);
            folder.MakeFolder(QStringLiteral("2024-05-01/") + title);
            for (int p = 1; p <= pictures[i]; ++p)
                folder.WriteFile(QStringLiteral("2024-05-01/%1/%1 %2.jpg").arg(title).arg(p), "x");
        }
        folder.WriteFile(QStringLiteral("2024-05-01/loose.txt"), "x");
        order = SubFolders(date);
    }
    QString Title(size_t i) const { return JoinPath(date, order[i]); }
    QString First(size_t i) const {
        return JoinPath(Title(i), Listed(Title(i), ListPattern::Jpg).front());
    }
    QString Last(size_t i) const {
        return JoinPath(Title(i), Listed(Title(i), ListPattern::Jpg).back());
    }
};

TEST(FolderWalker, StepsToTheNeighbouringGroupsPicturesInListingOrder) {
    Groups groups({2, 3, 2});
    FolderWalker walker;
    EXPECT_EQ(walker.NextGroup(groups.Last(0)), groups.First(1));
    EXPECT_EQ(walker.NextGroup(groups.First(1)), groups.First(2));
    EXPECT_EQ(walker.PreviousGroup(groups.First(2)), groups.Last(1));
    EXPECT_EQ(walker.PreviousGroup(groups.Last(1)), groups.Last(0));
}

TEST(FolderWalker, FirstAndLastGroupsHaveNoFurtherGroup) {
    Groups groups({1, 1, 1});
    FolderWalker walker;
    EXPECT_EQ(walker.PreviousGroup(groups.First(0)), QString());
    EXPECT_EQ(walker.NextGroup(groups.Last(2)), QString());
}

TEST(FolderWalker, GroupWithoutPicturesIsReturnedAsAFolder) {
    Groups groups({1, 0, 1});
    FolderWalker walker;
    // Whichever folder is empty, stepping into it from a neighbour gives its own path.
    for (size_t i = 0; i < 3; ++i) {
        if (!Listed(groups.Title(i), ListPattern::Jpg).empty()) continue;
        if (i > 0) {
            EXPECT_EQ(walker.NextGroup(groups.First(i - 1)), groups.Title(i));
        }
        if (i < 2) {
            EXPECT_EQ(walker.PreviousGroup(groups.First(i + 1)), groups.Title(i));
        }
    }
}

TEST(FolderWalker, PreviousGroupStopsBeforeASubFolderNamedLikeAPicture) {
    TestFolder folder;
    const QString date = folder.MakeFolder(QStringLiteral("d"));
    folder.MakeFolder(QStringLiteral("d/one"));
    folder.MakeFolder(QStringLiteral("d/two"));
    const std::vector<QString> order = SubFolders(date);
    const QString earlier = JoinPath(date, order[0]);
    for (const char *name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        folder.WriteFile("d/" + order[0] + "/" + name, "x");
    QDir(earlier).mkdir(QStringLiteral("x.jpg"));
    const QString shown = folder.WriteFile("d/" + order[1] + "/p.jpg", "x");

    const std::vector<QString> pictures = Listed(earlier, ListPattern::Jpg);
    const auto sub =
        std::find(pictures.begin(), pictures.end(), QStringLiteral("x.jpg")) - pictures.begin();
    const QString expected = sub == 0 ? earlier : JoinPath(earlier, pictures[sub - 1]);
    EXPECT_EQ(FolderWalker().PreviousGroup(shown), expected);
}

TEST(FolderWalker, VanishedOrUnlistableFoldersGiveNoGroup) {
    TestFolder folder;
    FolderWalker walker;
    const QString alone = folder.MakeFolder(QStringLiteral("only"));
    // The shown folder vanished and its parent holds no other folder.
    QDir(alone).removeRecursively();
    EXPECT_EQ(walker.PreviousGroup(folder.At(QStringLiteral("only/p.jpg"))), QString());
    EXPECT_EQ(walker.NextGroup(folder.At(QStringLiteral("only/p.jpg"))), QString());
    EXPECT_EQ(walker.PreviousGroup(QStringLiteral("/nonexistent/a/b/p.jpg")), QString());
    EXPECT_EQ(walker.NextGroup(QStringLiteral("/nonexistent/a/b/p.jpg")), QString());
}

}  // namespace
