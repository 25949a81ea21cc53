#include <gtest/gtest.h>

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <optional>
#include <thread>

#include "LoopbackPictureServer.h"
#include "download/DownloadProgress.h"
#include "download/FetchPicture.h"
#include "download/SaveFailures.h"
#include "picture/PictureTest.h"
#include "service/CurlHandle.h"
#include "service/PictureList.h"
#include "support/ScratchMount.h"
#include "support/TestFolders.h"

namespace {

QByteArray PngOfSize(int width, int height) {
    QImage picture(width, height, QImage::Format_ARGB32);
    picture.fill(qRgba(200, 30, 30, 128));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    picture.save(&buffer, "PNG");
    return bytes;
}

const QByteArray kErrorPage = "<html><body><h1>500 Internal Server Error</h1></body></html>";

bool Exists(const QString &path) { return QFileInfo::exists(path); }

// Writes into `folder` until its file system has no room left.
void FillFileSystem(const QString &folder) {
    QFile filler(folder + "/filler");
    if (!filler.open(QIODevice::WriteOnly)) return;
    const QByteArray block(4096, 'f');
    while (filler.write(block) == block.size() && filler.flush()) {
    }
}

struct BodyCase {
    const char *name;
    QByteArray body;
    int status = 200;
    std::string referrer;
    std::size_t cutOffAfter = 0;  // 0: the whole body arrives
    bool expectedResult = false;
    bool expectedKept = false;
    int expectedRejected = 0;  // a complete answer that is no valid picture
};

void PrintTo(const BodyCase &c, std::ostream *os) { *os << c.name; }

class FetchPictureBody : public ::testing::TestWithParam<BodyCase> {};

TEST_P(FetchPictureBody, KeepsOnlyCompleteLargeEnoughPictures) {
    const BodyCase &c = GetParam();
    LoopbackPictureServer server;
    if (c.cutOffAfter)
        server.PutCutOff("/picture", c.body, c.cutOffAfter);
    else
        server.Put("/picture", c.body, c.status);
    TestFolder folder;
    const QString local = folder.At("title/title 1.jpg");
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();

    const bool result = FetchPicture(handle.get(), server.host() + "/picture", c.referrer,
                                     local.toStdString(), progress);

    EXPECT_EQ(result, c.expectedResult);
    EXPECT_EQ(Exists(local), c.expectedKept);
    EXPECT_EQ(progress.rejectedCount, c.expectedRejected);
    if (c.expectedKept) {
        EXPECT_EQ(ReadWholeFile(local), c.body);
    }
    EXPECT_TRUE(UnfinishedFilesIn(folder.At("title")).isEmpty()) << "an unfinished file was left";
}

INSTANTIATE_TEST_SUITE_P(
    Bodies, FetchPictureBody,
    ::testing::Values(
        BodyCase{"Jpeg400x400", JpegOfSize(400, 400), 200, "", 0, true, true},
        BodyCase{"Jpeg399x400", JpegOfSize(399, 400), 200, "", 0, true, false, 1},
        BodyCase{"Jpeg400x399", JpegOfSize(400, 399), 200, "", 0, true, false, 1},
        BodyCase{"PngContentUnderJpgName", PngOfSize(400, 400), 200, "", 0, true, true},
        BodyCase{"HtmlErrorPage", kErrorPage, 500, "", 0, false, false},
        BodyCase{"PictureWithErrorStatusIsJudgedByContent", JpegOfSize(400, 400), 404, "", 0, true,
                 true},
        BodyCase{"ZeroBytes", QByteArray(), 200, "", 0, false, false},
        // Half a JPEG still decodes (the missing rows come out grey): only the cut is telling.
        BodyCase{"CutOffMidTransfer", JpegOfSize(400, 400), 200, "",
                 static_cast<std::size_t>(JpegOfSize(400, 400).size() / 2), false, false},
        BodyCase{"UpdateSkipsTheTest", kErrorPage, 200, "update", 0, true, true},
        BodyCase{"UpdateCutOffIsNotKept", kErrorPage, 200, "update", 20, false, false},
        BodyCase{"LongerReferrerIsOrdinary", kErrorPage, 200, "updates", 0, false, false, 1},
        BodyCase{"ShorterReferrerIsOrdinary", kErrorPage, 200, "updat", 0, false, false, 1}),
    [](const auto &info) { return std::string(info.param.name); });

TEST(FetchPicture, SendsFixedUserAgentRefererAndNewConnectionEachTime) {
    LoopbackPictureServer server;
    server.Put("/a.jpg", JpegOfSize(400, 400));
    TestFolder folder;
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();

    FetchPicture(handle.get(), server.host() + "/a.jpg", "ref.example/page",
                 folder.At("t/t 1.jpg").toStdString(), progress);
    FetchPicture(handle.get(), server.host() + "/a.jpg", "", folder.At("t/t 2.jpg").toStdString(),
                 progress);

    const auto requests = server.requests();
    ASSERT_EQ(requests.size(), 2u);
    for (const auto &request : requests) EXPECT_EQ(request.headers.at("user-agent"), "FireFox");
    EXPECT_EQ(requests[0].headers.at("referer"), "http://ref.example/page");
    const auto emptyReferer = requests[1].headers.find("referer");
    EXPECT_TRUE(emptyReferer == requests[1].headers.end() || emptyReferer->second.empty())
        << "referer sent for an empty referrer: " << emptyReferer->second;
    EXPECT_NE(requests[0].remotePort, requests[1].remotePort) << "the connection was reused";
}

TEST(FetchPicture, CountsOnlyFoldersItCreated) {
    LoopbackPictureServer server;
    server.Put("/a.jpg", JpegOfSize(400, 400));
    TestFolder folder;
    folder.MakeFolder("existing");
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();
    const auto fetchInto = [&](const QString &relative) {
        return FetchPicture(handle.get(), server.host() + "/a.jpg", "",
                            folder.At(relative).toStdString(), progress);
    };

    EXPECT_TRUE(fetchInto("new/new 1.jpg"));
    EXPECT_EQ(progress.newFolderCount, 1);
    EXPECT_TRUE(fetchInto("new/new 2.jpg"));
    EXPECT_TRUE(fetchInto("existing/existing 1.jpg"));
    EXPECT_EQ(progress.newFolderCount, 1);

    // Only one level is created: a missing parent means no folder, no file.
    EXPECT_FALSE(fetchInto("missing/deeper/deeper 1.jpg"));
    EXPECT_EQ(progress.newFolderCount, 1);
    EXPECT_FALSE(Exists(folder.At("missing")));
}

TEST(FetchPicture, FailedFetchLeavesAnEarlierPictureOfTheSameNameAlone) {
    LoopbackPictureServer server;
    server.Put("/broken.jpg", kErrorPage, 503, "text/html");
    server.Put("/newer.jpg", JpegOfSize(401, 401));
    TestFolder folder;
    const QByteArray earlier = JpegOfSize(400, 400);
    const QString local = folder.WriteFile("t/t 1.jpg", earlier);
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();

    EXPECT_FALSE(FetchPicture(handle.get(), server.host() + "/broken.jpg", "", local.toStdString(),
                              progress));
    EXPECT_EQ(ReadWholeFile(local), earlier);

    EXPECT_TRUE(FetchPicture(handle.get(), server.host() + "/newer.jpg", "", local.toStdString(),
                             progress));
    EXPECT_EQ(ReadWholeFile(local), JpegOfSize(401, 401));
}

// Two tasks of one name (a title repeated in the list) whose transfers overlap: the failing one
// neither truncates nor removes the file the other is still writing.
TEST(FetchPicture, OverlappingTransfersToOneNameEachWriteTheirOwnFile) {
    LoopbackPictureServer server;
    const QByteArray picture = JpegOfSize(400, 400);
    server.PutStalled("/slow.jpg", picture, static_cast<std::size_t>(picture.size() / 2));
    server.Put("/broken.jpg", kErrorPage, 404, "text/html");
    TestFolder folder;
    const QString local = folder.At("t/t 1.jpg");
    DownloadProgress progress;
    bool slowResult = false;
    std::thread slow([&] {
        CurlHandle handle = MakeCurlHandle();
        slowResult = FetchPicture(handle.get(), server.host() + "/slow.jpg", "",
                                  local.toStdString(), progress);
    });
    while (UnfinishedFilesIn(folder.At("t")).isEmpty()) std::this_thread::yield();

    CurlHandle handle = MakeCurlHandle();
    EXPECT_FALSE(FetchPicture(handle.get(), server.host() + "/broken.jpg", "", local.toStdString(),
                              progress));
    server.ReleaseStalled();
    slow.join();

    EXPECT_TRUE(slowResult);
    EXPECT_EQ(ReadWholeFile(local), picture);
    EXPECT_EQ(QDir(folder.At("t")).entryList(QDir::Files), QStringList{"t 1.jpg"});
}

// A title cut to the longest kept, the highest picture number, and a second transfer of the same
// name while the first still runs: every name written fits the file system's limit.
TEST(FetchPicture, LongestTitleFitsEvenBesideAnOverlappingTransfer) {
    LoopbackPictureServer server;
    const QByteArray picture = JpegOfSize(400, 400);
    server.PutStalled("/slow.jpg", picture, static_cast<std::size_t>(picture.size() / 2));
    server.Put("/a.jpg", picture);
    TestFolder folder;
    const std::string title = CleanTitle(std::string(300, 'x'));
    const std::string local =
        folder.At(QString::fromStdString(title + "/" + title + " 32767.jpg")).toStdString();
    DownloadProgress progress;
    std::thread slow([&] {
        CurlHandle handle = MakeCurlHandle();
        FetchPicture(handle.get(), server.host() + "/slow.jpg", "", local, progress);
    });
    while (UnfinishedFilesIn(folder.At(QString::fromStdString(title))).isEmpty())
        std::this_thread::yield();

    CurlHandle handle = MakeCurlHandle();
    EXPECT_TRUE(FetchPicture(handle.get(), server.host() + "/a.jpg", "", local, progress));
    EXPECT_EQ(ReadWholeFile(QString::fromStdString(local)), picture);
    server.ReleaseStalled();
    slow.join();
}

TEST(FetchPicture, UnreachableServerWritesNothing) {
    TestFolder folder;
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();
    std::string closedHost;
    {
        LoopbackPictureServer gone;  // its port is closed again once it is destroyed
        closedHost = gone.host();
    }
    const QString local = folder.At("t/t 1.jpg");
    EXPECT_FALSE(
        FetchPicture(handle.get(), closedHost + "/a.jpg", "", local.toStdString(), progress));
    EXPECT_TRUE(QDir(folder.At("t")).isEmpty());
}

// A body that never ends, or one announced beyond the limit: the transfer ends at the limit and
// nothing of it stays; the next picture still arrives.
TEST(FetchPicture, EndsATransferThatPassesTheLimitAndKeepsNothingOfIt) {
    LoopbackPictureServer server;
    server.PutEndless("/endless.jpg");
    server.Put("/announced.jpg", QByteArray(2 << 20, 'x'));
    server.Put("/a.jpg", JpegOfSize(400, 400));
    TestFolder folder;
    const std::string local = folder.At("t/t 1.jpg").toStdString();
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();
    constexpr std::int64_t kLimit = 1 << 20;

    for (const std::string path : {"/endless.jpg", "/announced.jpg"}) {
        EXPECT_FALSE(FetchPicture(handle.get(), server.host() + path, "", local, progress, kLimit));
        EXPECT_TRUE(QDir(folder.At("t")).isEmpty()) << path;
    }
    EXPECT_TRUE(FetchPicture(handle.get(), server.host() + "/a.jpg", "", local, progress, kLimit));
    EXPECT_EQ(ReadSaveReport(progress).kept, 1);
    EXPECT_EQ(ReadSaveReport(progress).unsavedTotal(), 0);
}

struct UnsavedCase {
    const char *name;
    SaveFailure reason;
};

void PrintTo(const UnsavedCase &c, std::ostream *os) { *os << c.name; }

class FetchPictureUnsaved : public ::testing::TestWithParam<UnsavedCase> {};

// A picture that arrived but could not be written is counted by its reason; nothing is kept.
TEST_P(FetchPictureUnsaved, CountsThePictureByWhyItCouldNotBeWritten) {
    LoopbackPictureServer server;
    server.Put("/a.jpg", JpegOfSize(400, 400));
    TestFolder folder;
    QString root = folder.MakeFolder("root");
    std::optional<ScratchMount> mount;
    std::optional<FilePermissionsEnforced> enforced;
    switch (GetParam().reason) {
        case SaveFailure::NoSpace:
            mount.emplace(ScratchMount::Tmpfs(root, "size=64k"));
            if (mount->mounted()) FillFileSystem(root);
            break;
        case SaveFailure::ReadOnly:
            mount.emplace(ScratchMount::Tmpfs(root, "size=64k", true));
            break;
        case SaveFailure::NoPermission:
            QFile::setPermissions(root, QFile::ReadOwner | QFile::ExeOwner);
            enforced.emplace();
            break;
        default:
            root = folder.At("gone/root");
    }
    if (mount && !mount->mounted()) GTEST_SKIP() << mount->failure().toStdString();
    DownloadProgress progress;
    CurlHandle handle = MakeCurlHandle();

    EXPECT_FALSE(FetchPicture(handle.get(), server.host() + "/a.jpg", "",
                              (root + "/t/t 1.jpg").toStdString(), progress));
    enforced.reset();
    QFile::setPermissions(root, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const SaveReport report = ReadSaveReport(progress);
    EXPECT_EQ(report.unsaved[static_cast<std::size_t>(GetParam().reason)], 1);
    EXPECT_EQ(report.unsavedTotal(), 1);
    EXPECT_EQ(report.kept, 0);
}

INSTANTIATE_TEST_SUITE_P(Reasons, FetchPictureUnsaved,
                         ::testing::Values(UnsavedCase{"FullFileSystem", SaveFailure::NoSpace},
                                           UnsavedCase{"ReadOnlyFileSystem", SaveFailure::ReadOnly},
                                           UnsavedCase{"FolderWithoutWritePermission",
                                                       SaveFailure::NoPermission},
                                           UnsavedCase{"RootVanished", SaveFailure::NoFolder}),
                         [](const auto &info) { return std::string(info.param.name); });

TEST(SaveReportText, TellsHowManyCouldNotBeSavedAndWhy) {
    SaveReport report;
    report.kept = 54;
    EXPECT_EQ(UnsavedText(report), "");
    EXPECT_EQ(SavedSummary(report), "已保存54张图片");
    report.kept = 4;
    report.unsaved[static_cast<std::size_t>(SaveFailure::NoSpace)] = 50;
    EXPECT_EQ(SavedSummary(report), "已保存4张图片，50张图片无法保存：磁盘空间不足");
    report.unsaved[static_cast<std::size_t>(SaveFailure::ReadOnly)] = 2;
    EXPECT_EQ(UnsavedText(report), "52张图片无法保存：磁盘空间不足50张，文件系统只读2张");
    report.rejected = 8;
    EXPECT_EQ(SavedSummary(report), "已保存4张图片，8张不是有效图片，" + UnsavedText(report));
}

TEST(PictureTest, FourHundredPixelsReachTheMinimumAndOneLessDoesNot) {
    EXPECT_GE(PixelsToHimetric(400), kMinimumPictureHimetric);
    EXPECT_EQ(PixelsToHimetric(400), 10583);
    EXPECT_LT(PixelsToHimetric(399), 10583);
}

}  // namespace
