#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QFile>
#include <QLabel>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>
#include <algorithm>

#include "PictureFiles.h"
#include "ViewHarness.h"
#include "platform/DirectoryListing.h"
#include "platform/FileNames.h"

namespace {

QByteArray Picture() { return Encode(PatternImage(200, 100), "PNG"); }

struct Folder {
    TestFolder folder;
    std::vector<QString> order;  // listing order
    explicit Folder(std::initializer_list<const char *> names) {
        for (const char *name : names) folder.WriteFile(name, Picture());
        for (const QString &name : ListedNames(folder.path(), true))
            order.push_back(JoinPath(folder.path(), name));
    }
};

struct DeleteCase {
    const char *name;
    int shown;     // index in the listing of a, b, c
    int expected;  // index shown afterwards
};

void PrintTo(const DeleteCase &c, std::ostream *os) { *os << c.name; }

class ViewDelete : public ::testing::TestWithParam<DeleteCase> {};

TEST_P(ViewDelete, RemovesTheFileAndShowsANeighbour) {
    Folder pictures{"a.jpg", "b.jpg", "c.jpg"};
    ViewHarness harness;
    harness.view().LoadPath(pictures.order[GetParam().shown]);
    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    ASSERT_EQ(harness.prompter().shown().size(), 1u);
    const auto question = harness.prompter().shown().front();
    EXPECT_EQ(question.text, QStringLiteral("删除后将不可恢复，确定要删除吗？"));
    EXPECT_TRUE(question.caption.isEmpty());
    EXPECT_EQ(question.buttons, Buttons::YesNo);
    EXPECT_EQ(question.icon, Icon::Question);
    EXPECT_EQ(question.owner, &harness.view());
    EXPECT_FALSE(QFile::exists(pictures.order[GetParam().shown]));
    EXPECT_EQ(harness.view().m_strPath, pictures.order[GetParam().expected]);
    // The deleted file is no longer a neighbour.
    EXPECT_NE(harness.view().m_strPrev, pictures.order[GetParam().shown]);
    EXPECT_NE(harness.view().m_strNext, pictures.order[GetParam().shown]);
}

INSTANTIATE_TEST_SUITE_P(Neighbours, ViewDelete,
                         ::testing::Values(DeleteCase{"MiddleShowsNext", 1, 2},
                                           DeleteCase{"LastShowsPrevious", 2, 1},
                                           DeleteCase{"FirstShowsNext", 0, 1}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(ViewDelete, TheOnlyPictureLeavesItsFolderShown) {
    Folder pictures{"only.jpg"};
    ViewHarness harness;
    harness.view().LoadPath(pictures.order[0]);
    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    EXPECT_FALSE(QFile::exists(pictures.order[0]));
    EXPECT_EQ(harness.view().m_strPath, pictures.folder.path());
    EXPECT_EQ(harness.caption(), QStringLiteral("Lumora 1.00 - ") + pictures.folder.path());
    EXPECT_EQ(harness.view().m_hWndNote->text(), QStringLiteral("此文件夹下无图片"));
    EXPECT_FALSE(harness.deleteItem().isEnabled());
}

TEST(ViewDelete, AnswerNoChangesNothing) {
    Folder pictures{"a.jpg", "b.jpg"};
    ViewHarness harness;
    harness.view().LoadPath(pictures.order[0]);
    harness.prompter().QueueAnswer(Answer::No);
    harness.view().OnDeletePicture();
    EXPECT_TRUE(QFile::exists(pictures.order[0]));
    EXPECT_EQ(harness.view().m_strPath, pictures.order[0]);
    EXPECT_FALSE(harness.view().m_image.IsNull());
}

TEST(ViewDelete, WithoutAPictureOnlyTheNoticeAppears) {
    Folder pictures{"a.jpg"};
    ViewHarness harness;
    harness.view().LoadPath(pictures.folder.path());
    harness.view().OnDeletePicture();
    EXPECT_EQ(harness.prompter().messageTexts(),
              std::vector<QString>({QStringLiteral("当前未浏览图片")}));
    EXPECT_TRUE(harness.prompter().shown().front().caption.isEmpty());
    EXPECT_TRUE(QFile::exists(pictures.order[0]));
    EXPECT_EQ(harness.view().m_strPath, pictures.folder.path());
}

TEST(ViewDelete, UndecodablePictureIsDeletedLikeAnyOther) {
    Folder pictures{"a.jpg", "b.jpg"};
    QFile::resize(pictures.order[0], 5);
    ViewHarness harness;
    harness.view().LoadPath(pictures.order[0]);
    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    EXPECT_FALSE(QFile::exists(pictures.order[0]));
    EXPECT_EQ(harness.view().m_strPath, pictures.order[1]);
}

TEST(ViewDelete, TreeSelectionStays) {
    TestFolder folder;
    const QString root = folder.MakeFolder(QStringLiteral("root"));
    folder.WriteFile(QStringLiteral("root/t/a.jpg"), Picture());
    folder.WriteFile(QStringLiteral("root/t/b.jpg"), Picture());
    ViewHarness harness;
    harness.FillTree(root);
    QTreeWidgetItem *title = harness.Node(JoinPath(root, QStringLiteral("t")));
    harness.tree().setCurrentItem(title);
    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    EXPECT_EQ(harness.tree().currentItem(), title);
    EXPECT_EQ(harness.treeLoads().size(), 1u);
}

// The popup menu, answered by a scripted runner that records what it was offered.
struct PopupScript {
    int shown = 0;
    QStringList offered;
    QString title;
    QString choose;  // text of the item to choose; empty closes the menu
    CLumoraView::PopupMenuRunner Runner() {
        return [this](QMenu &menu, const QPoint &) -> QAction * {
            ++shown;
            title = menu.title();
            QAction *chosen = nullptr;
            for (QAction *action : menu.actions()) {
                offered << action->text();
                if (action->text() == choose) chosen = action;
            }
            return chosen;
        };
    }
};

// A right click on `target` (by default the view's client area) at `at`. A menu of Qt's own
// that opens instead is closed again and counted in `foreignMenus`.
void RightClick(CLumoraView &view, QWidget *target = nullptr, QPoint at = {40, 40},
                int *foreignMenus = nullptr) {
    if (!target) target = view.viewport();
    QTimer closer;
    closer.setSingleShot(true);
    QObject::connect(&closer, &QTimer::timeout, [foreignMenus] {
        if (QWidget *popup = QApplication::activePopupWidget()) {
            if (foreignMenus) ++*foreignMenus;
            popup->close();
        }
    });
    closer.start(0);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, target->mapToGlobal(at));
    QApplication::sendEvent(target, &event);
    QCoreApplication::processEvents();
}

TEST(ViewPopup, OfferedOnlyForAPicturePath) {
    Folder pictures{"a.jpg"};
    ViewHarness harness;
    PopupScript script;
    harness.view().SetPopupMenuRunner(script.Runner());
    harness.view().LoadPath(pictures.folder.path());
    RightClick(harness.view());
    EXPECT_EQ(script.shown, 0);
    harness.view().LoadPath(pictures.order[0]);
    RightClick(harness.view());
    EXPECT_EQ(script.shown, 1);
    EXPECT_EQ(script.title, QStringLiteral("菜单"));
    EXPECT_EQ(script.offered, QStringList({QStringLiteral("刷新"), QStringLiteral("删除")}));
}

TEST(ViewPopup, AlsoOverTheScrollBarsAndTheLinks) {
    Folder pictures{"a.jpg", "b.jpg", "c.jpg"};
    const QString wide = pictures.folder.WriteFile(QStringLiteral("wide.jpg"),
                                                   Encode(PatternImage(1000, 50), "PNG"));
    ViewHarness harness;
    PopupScript script;
    harness.view().SetPopupMenuRunner(script.Runner());
    int foreignMenus = 0;
    harness.view().LoadPath(wide);
    ASSERT_TRUE(harness.view().horizontalScrollBar()->isVisible());
    RightClick(harness.view(), harness.view().horizontalScrollBar(), {100, 5}, &foreignMenus);
    EXPECT_EQ(script.shown, 1);

    QFile::resize(pictures.order[1], 3);
    harness.view().LoadPath(pictures.order[1]);
    ASSERT_TRUE(harness.view().m_hWndNextLink->isVisible());
    RightClick(harness.view(), harness.view().m_hWndNextLink, {12, 12}, &foreignMenus);
    EXPECT_EQ(script.shown, 2);
    EXPECT_EQ(foreignMenus, 0);
}

TEST(ViewPopup, DeleteAsksAndMovesOn) {
    Folder pictures{"a.jpg", "b.jpg"};
    ViewHarness harness;
    PopupScript script;
    script.choose = QStringLiteral("删除");
    harness.view().SetPopupMenuRunner(script.Runner());
    harness.view().LoadPath(pictures.order[1]);
    harness.prompter().QueueAnswer(Answer::Yes);
    RightClick(harness.view());
    EXPECT_FALSE(QFile::exists(pictures.order[1]));
    EXPECT_EQ(harness.view().m_strPath, pictures.order[0]);
}

TEST(ViewPopup, RefreshFindsNewPicturesAndNoticesAVanishedOne) {
    Folder pictures{"a.jpg"};
    ViewHarness harness;
    PopupScript script;
    script.choose = QStringLiteral("刷新");
    harness.view().SetPopupMenuRunner(script.Runner());
    harness.view().LoadPath(pictures.order[0]);
    ASSERT_TRUE(harness.view().m_strNext.isEmpty() && harness.view().m_strPrev.isEmpty());
    const QString added = pictures.folder.WriteFile(QStringLiteral("added.jpg"), Picture());
    RightClick(harness.view());
    EXPECT_TRUE(harness.view().m_strPrev == added || harness.view().m_strNext == added);

    QFile::remove(pictures.order[0]);  // removed by another program
    RightClick(harness.view());
    EXPECT_EQ(harness.view().m_hWndNote->text(), QStringLiteral("a.jpg　无效"));
    EXPECT_TRUE(harness.view().m_hWndPrevLink->isVisible());
    EXPECT_EQ(harness.view().m_strPrev, added);
    EXPECT_FALSE(harness.view().m_hWndNextLink->isVisible());
}

// A refresh while the question is open may load another picture: the file the question named is
// the one deleted.
TEST(ViewDelete, DeletesTheFileTheQuestionNamed) {
    Folder pictures{"a.jpg", "b.jpg", "c.jpg"};
    ViewHarness harness;
    harness.view().LoadPath(pictures.order[0]);
    harness.prompter().DuringNextMessage([&] { harness.view().LoadPath(pictures.order[2]); });
    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    EXPECT_FALSE(QFile::exists(pictures.order[0]));
    EXPECT_TRUE(QFile::exists(pictures.order[1]));
    EXPECT_TRUE(QFile::exists(pictures.order[2]));
    EXPECT_EQ(harness.view().m_strPath, pictures.order[2]);
    EXPECT_NE(harness.view().m_strPrev, pictures.order[0]);
}

// Picture names that are not UTF-8 (unpacked from a GBK archive, say) show with replacement
// marks, and stepping and deletion act on their exact bytes, never on a look-alike.
TEST(ViewDelete, NamesThatAreNotUtf8AreSteppedAndDeletedByTheirBytes) {
    TestFolder folder;
    const QByteArray base = EncodeFileName(folder.path()) + "/";
    const QByteArray picture = Picture();
    for (const QByteArray &name : {QByteArray("p\xb8.jpg"), QByteArray("q\xf6.jpg")}) {
        // Names Qt's own file functions cannot spell.
        const int fd = ::open(base + name, O_WRONLY | O_CREAT, 0644);
        ASSERT_GE(fd, 0);
        ASSERT_EQ(::write(fd, picture.constData(), picture.size()), picture.size());
        ::close(fd);
    }
    folder.WriteFile(QStringLiteral("p\uFFFD.jpg"), picture);  // the look-alike
    const std::vector<QString> order = [&] {
        std::vector<QString> paths;
        for (const QString &name : ListedNames(folder.path(), true))
            paths.push_back(JoinPath(folder.path(), name));
        return paths;
    }();
    ASSERT_EQ(order.size(), 3u);
    const QString shown = JoinPath(folder.path(), DecodeFileName("p\xb8.jpg"));
    ViewHarness harness;
    harness.view().LoadPath(shown);
    EXPECT_FALSE(harness.view().m_image.IsNull());
    EXPECT_EQ(harness.caption(), QStringLiteral("Lumora 1.00 - p\uFFFD.jpg"));
    const auto at = std::find(order.begin(), order.end(), shown) - order.begin();
    EXPECT_EQ(harness.view().m_strNext, at + 1 < 3 ? order[at + 1] : QString());

    harness.prompter().QueueAnswer(Answer::Yes);
    harness.view().OnDeletePicture();
    struct stat info {};
    EXPECT_NE(::stat(base + "p\xb8.jpg", &info), 0);
    EXPECT_EQ(::stat(base + "q\xf6.jpg", &info), 0);
    EXPECT_TRUE(QFile::exists(folder.At(QStringLiteral("p\uFFFD.jpg"))));
}

}  // namespace
