// The picture view on 4000 x 3000 JPEGs, each figure the median of several rounds:
// - a cold show (neighbour search, decode, scroll set-up, paint) against libjpeg-turbo
//   decoding the same file on its own: at most 1.2x;
// - a step onto a preloaded neighbour, and a group step to the right and to the left onto the
//   next or previous folder's preloaded picture, each against that cold show: at most 0.1x;
// - a step onto a preloaded neighbour in a folder of 20,000 pictures against the same step in a
//   folder of 20 (small pictures, so that the folder's size is what differs): at most 1.5x;
// - the resident memory after fifty steps: within four decoded copies and 60 MB of what it was
//   before the first picture;
// - a cold show of the same photo tagged to be turned a quarter (EXIF orientation 6), and of one
//   with an embedded Adobe RGB profile, each against libjpeg-turbo decoding that file: at most
//   1.5x; a step onto either, preloaded, against the same step onto a plain photo of the same
//   shape: at most 1.5x;
// - a step onto a preloaded neighbour fitted to the window, against the step at natural size: at
//   most 1.5x; a zoom step on the photo, repainted: within one frame (16 ms);
// - the whole photo ready after a cold show (its visible part is shown first), against
//   libjpeg-turbo decoding it: at most 1.2x;
// - a 24 MP photo fitted to the window, cold, against libjpeg-turbo decoding it whole: at most
//   0.35x, its decoded pixels within twice those shown.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <QApplication>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QItemSelectionModel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "app/FolderController.h"
#include "platform/DirectoryListing.h"
#include "platform/SettingsStore.h"
#include "support/ScriptedPrompter.h"
#include "tree/FolderTreeModel.h"
#include "view/PictureBrowser.h"
#include "view/PictureFiles.h"
#include "view/PictureView.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kLoadLimitRatio = 1.2;
constexpr double kShownAsMeantLimitRatio = 1.5;
constexpr double kFittedStepLimitRatio = 1.5;
constexpr double kFrameSeconds = 0.016;
constexpr double kFittedLargeLimitRatio = 0.35;
constexpr double kStepLimitRatio = 0.1;
constexpr double kLargeFolderLimitRatio = 1.5;
constexpr int kFewPictures = 20;
constexpr int kManyPictures = 20000;
constexpr int kRounds = 7;
constexpr int kMemorySteps = 50;
constexpr double kMemorySlackMb = 60;

using Clock = std::chrono::steady_clock;

struct Bench {
    QString photo, neighbour;       // two photos of one folder
    QString firstGroup, lastGroup;  // the photos of two sibling folders, in listing order
    PictureBrowser *browser = nullptr;
    PictureView *view = nullptr;
    FolderTreeModel *folders = nullptr;
    QItemSelectionModel *selection = nullptr;
    QString few, many;  // folders of kFewPictures and kManyPictures small pictures, "p <n>.jpg"
    std::vector<double> load, turbo, step, groupRight, groupLeft;  // seconds per sample
    std::vector<double> stepFew, stepMany;
    // The photo turned by its EXIF orientation and the photo in Adobe RGB, each with a plain
    // neighbour to step from.
    QString rotated, tagged, plainBeside;
    // The same steps onto plain photos, for the reference: from the middle one of three onto an
    // upright one before it and a landscape one after it.
    QString plainUpright, plainMiddle, plainLast;
    std::vector<double> loadRotated, turboRotated, stepRotated, stepPlainUpright, stepPlainLast;
    std::vector<double> loadTagged, turboTagged, stepTagged;
    std::vector<double> stepFitted, zoomStep;
    QString large;  // 6000 x 4000
    std::vector<double> wholeReady, fittedLarge, turboLarge;
    double fittedBytesRatio = 0;
};
Bench g;

// Smooth colour fields with grain, so the file codes like a photo rather than a flat test card.
void WritePhoto(const QString &path, int width = kWidth, int height = kHeight) {
    QImage photo(width, height, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < height; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int grain = int(random.bounded(24u)) - 12;
            line[x] = qRgb(qBound(0, (x * 255 / width) + grain, 255),
                           qBound(0, (y * 255 / height) + grain, 255),
                           qBound(0, ((x + y) / 28 % 256) + grain, 255));
        }
    }
    photo.save(path, "JPG", 90);
}

double Median(std::vector<double> samples) {
    if (samples.empty()) return 0;
    std::sort(samples.begin(), samples.end());
    const std::size_t middle = samples.size() / 2;
    return samples.size() % 2 ? samples[middle] : (samples[middle - 1] + samples[middle]) / 2;
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE *statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

template <typename Action>
void Time(std::vector<double> &samples, Action action) {
    const auto start = Clock::now();
    action();
    samples.push_back(std::chrono::duration<double>(Clock::now() - start).count());
}

void Expect(benchmark::State &state, const QString &shown) {
    if (g.browser->path() != shown || g.browser->state() != PictureBrowser::State::Picture)
        state.SkipWithError("the expected picture is not shown");
}

void ShowCold(benchmark::State &state, std::vector<double> &samples, const QString &photo) {
    for (auto _ : state) {
        state.PauseTiming();
        g.browser->preloader().WaitIdle();  // nothing decodes beside the measured load
        g.browser->Forget();                // cold: nothing decoded ahead
        state.ResumeTiming();
        Time(samples, [&] { g.browser->Show(photo); });
        Expect(state, photo);
    }
}

void BM_ShowCold(benchmark::State &state) { ShowCold(state, g.load, g.photo); }
BENCHMARK(BM_ShowCold)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRounds);

void TurboJpegDecode(benchmark::State &state, std::vector<double> &samples, const QString &photo) {
    tjhandle decoder = tjInitDecompress();
    for (auto _ : state) {
        Time(samples, [&] {
            QFile file(photo);
            file.open(QIODevice::ReadOnly);
            const QByteArray bytes = file.readAll();
            const auto *data = reinterpret_cast<const uchar *>(bytes.constData());
            int width = 0, height = 0, subsampling = 0, colourspace = 0;
            tjDecompressHeader3(decoder, data, bytes.size(), &width, &height, &subsampling,
                                &colourspace);
            std::unique_ptr<uchar[]> pixels(new uchar[size_t(width) * height * 4]);
            if (tjDecompress2(decoder, data, bytes.size(), pixels.get(), width, width * 4, height,
                              TJPF_BGRX, 0))
                state.SkipWithError(tjGetErrorStr2(decoder));
            benchmark::DoNotOptimize(pixels.get());
        });
    }
    tjDestroy(decoder);
}

void BM_TurboJpegDecode(benchmark::State &state) { TurboJpegDecode(state, g.turbo, g.photo); }
BENCHMARK(BM_TurboJpegDecode)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRounds);

void BM_ShowRotatedCold(benchmark::State &state) { ShowCold(state, g.loadRotated, g.rotated); }
BENCHMARK(BM_ShowRotatedCold)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRounds);

void BM_TurboJpegDecodeRotated(benchmark::State &state) {
    TurboJpegDecode(state, g.turboRotated, g.rotated);
}
BENCHMARK(BM_TurboJpegDecodeRotated)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(kRounds);

void BM_ShowTaggedCold(benchmark::State &state) { ShowCold(state, g.loadTagged, g.tagged); }
BENCHMARK(BM_ShowTaggedCold)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRounds);

void BM_TurboJpegDecodeTagged(benchmark::State &state) {
    TurboJpegDecode(state, g.turboTagged, g.tagged);
}
BENCHMARK(BM_TurboJpegDecodeTagged)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(kRounds);

// Shows `from` (through the tree when it selects the folder `node`), waits until its click
// targets are decoded ahead, then times `step` and checks that `to` is shown.
template <typename Step>
void RunStep(benchmark::State &state, std::vector<double> &samples, const QString &node,
             const QString &from, const QString &to, Step step) {
    for (auto _ : state) {
        state.PauseTiming();
        if (!node.isEmpty())
            g.selection->setCurrentIndex(g.folders->IndexOf(node),
                                         QItemSelectionModel::ClearAndSelect);
        else
            g.browser->Show(from);
        g.browser->preloader().WaitIdle();
        state.ResumeTiming();
        Time(samples, step);
        Expect(state, to);
    }
}

// A left click at the screen point `global`, as the view takes it: on a picture larger than the
// view, the step comes with the release.
void Click(const QPoint &global) {
    const QPoint local = g.view->viewport()->mapFromGlobal(global);
    QMouseEvent press(QEvent::MouseButtonPress, local, global, Qt::LeftButton, Qt::LeftButton,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(g.view->viewport(), &press);
    QMouseEvent release(QEvent::MouseButtonRelease, local, global, Qt::LeftButton, Qt::NoButton,
                        Qt::NoModifier);
    QCoreApplication::sendEvent(g.view->viewport(), &release);
}

// A click on the half at `x` of the view's width.
void ClickAt(double x) { Click(g.view->mapToGlobal(QPoint(int(g.view->width() * x), 20))); }

void BM_StepOntoPreloaded(benchmark::State &state) {
    RunStep(state, g.step, QString(), g.neighbour, g.photo, [] { g.browser->Show(g.photo); });
}
BENCHMARK(BM_StepOntoPreloaded)->Unit(benchmark::kMillisecond)->Repetitions(kRounds);

void BM_StepOntoPreloadedFitted(benchmark::State &state) {
    g.browser->zoom().ToggleFit();
    g.browser->preloader().WaitIdle();
    g.browser->Forget();  // what was decoded before the fit is made ready again for it
    RunStep(state, g.stepFitted, QString(), g.neighbour, g.photo, [] { g.browser->Show(g.photo); });
    g.browser->zoom().ShowActualSize();
}
BENCHMARK(BM_StepOntoPreloadedFitted)->Unit(benchmark::kMillisecond)->Repetitions(kRounds);

// A cold show and the wait until its whole has replaced the part shown first.
void BM_ShowColdWhole(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        g.browser->preloader().WaitIdle();
        g.browser->Forget();
        state.ResumeTiming();
        Time(g.wholeReady, [] {
            g.browser->Show(g.photo);
            while (!g.browser->picturePart().isNull())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        });
        Expect(state, g.photo);
    }
}
BENCHMARK(BM_ShowColdWhole)->Unit(benchmark::kMillisecond)->Iterations(2)->Repetitions(kRounds);

void BM_TurboJpegDecodeLarge(benchmark::State &state) {
    TurboJpegDecode(state, g.turboLarge, g.large);
}
BENCHMARK(BM_TurboJpegDecodeLarge)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(kRounds);

void BM_ShowLargeFittedCold(benchmark::State &state) {
    g.browser->zoom().ToggleFit();
    ShowCold(state, g.fittedLarge, g.large);
    const QSize shown = g.view->Geometry().Shown();
    const qint64 decoded =
        g.browser->picture().sizeInBytes() + g.browser->fittedPicture().sizeInBytes();
    g.fittedBytesRatio = double(decoded) / (qint64(shown.width()) * shown.height() * 4);
    g.browser->zoom().ShowActualSize();
}
BENCHMARK(BM_ShowLargeFittedCold)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(2)
    ->Repetitions(kRounds);

// One zoom step on the photo and its repaint, in and out by turns.
void BM_ZoomStep(benchmark::State &state) {
    g.browser->Show(g.photo);
    bool in = true;
    for (auto _ : state) {
        Time(g.zoomStep, [&] {
            if (in)
                g.view->ZoomIn();
            else
                g.view->ZoomOut();
            g.view->viewport()->repaint();
        });
        in = !in;
    }
    g.browser->zoom().ShowActualSize();
}
BENCHMARK(BM_ZoomStep)->Unit(benchmark::kMillisecond)->Iterations(10)->Repetitions(kRounds);

// Each step drops the far neighbour, decoded again untimed before the next: a fixed count of
// steps keeps the run short.
void BM_StepOntoRotated(benchmark::State &state) {
    RunStep(state, g.stepRotated, QString(), g.plainBeside, g.rotated,
            [] { g.browser->Show(g.rotated); });
}
BENCHMARK(BM_StepOntoRotated)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(kRounds);

void BM_StepOntoPlainUpright(benchmark::State &state) {
    RunStep(state, g.stepPlainUpright, QString(), g.plainMiddle, g.plainUpright,
            [] { g.browser->Show(g.plainUpright); });
}
BENCHMARK(BM_StepOntoPlainUpright)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(kRounds);

void BM_StepOntoPlainLast(benchmark::State &state) {
    RunStep(state, g.stepPlainLast, QString(), g.plainMiddle, g.plainLast,
            [] { g.browser->Show(g.plainLast); });
}
BENCHMARK(BM_StepOntoPlainLast)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20)
    ->Repetitions(kRounds);

void BM_StepOntoTagged(benchmark::State &state) {
    RunStep(state, g.stepTagged, QString(), g.plainBeside, g.tagged,
            [] { g.browser->Show(g.tagged); });
}
BENCHMARK(BM_StepOntoTagged)->Unit(benchmark::kMillisecond)->Iterations(20)->Repetitions(kRounds);

// The middle picture of a folder of `count` and a click on its right half onto its neighbour.
void StepInFolder(benchmark::State &state, std::vector<double> &samples, const QString &folder,
                  int count) {
    const QString from = folder + QStringLiteral("/p %1.jpg").arg(count / 2);
    const QString to = folder + QStringLiteral("/p %1.jpg").arg(count / 2 + 1);
    RunStep(state, samples, QString(), from, to,
            [] { Click(g.view->mapToGlobal(QPoint(300, 20))); });
}

void BM_StepInFewPictures(benchmark::State &state) {
    StepInFolder(state, g.stepFew, g.few, kFewPictures);
}
BENCHMARK(BM_StepInFewPictures)->Unit(benchmark::kMicrosecond)->Repetitions(kRounds);

void BM_StepInManyPictures(benchmark::State &state) {
    StepInFolder(state, g.stepMany, g.many, kManyPictures);
}
BENCHMARK(BM_StepInManyPictures)->Unit(benchmark::kMicrosecond)->Repetitions(kRounds);

void BM_GroupStepRight(benchmark::State &state) {
    RunStep(state, g.groupRight, FolderOf(g.firstGroup), g.firstGroup, g.lastGroup,
            [] { ClickAt(0.75); });
}
BENCHMARK(BM_GroupStepRight)->Unit(benchmark::kMillisecond)->Repetitions(kRounds);

void BM_GroupStepLeft(benchmark::State &state) {
    RunStep(state, g.groupLeft, FolderOf(g.lastGroup), g.lastGroup, g.firstGroup,
            [] { ClickAt(0.25); });
}
BENCHMARK(BM_GroupStepLeft)->Unit(benchmark::kMillisecond)->Repetitions(kRounds);

// Two sibling folders below a dated folder, one photo each, in the order they are listed.
void MakeGroups(const QString &root) {
    const QString day = root + "/2010-05-03";
    for (const char *title : {"a", "b"}) {
        QDir().mkpath(day + "/" + title);
        QFile::copy(g.photo, day + "/" + title + "/" + title + " 1.jpg");
    }
    std::vector<QString> titles;
    for (const DirEntry &entry :
         ListFolder(day, ListPattern::All).value_or(std::vector<DirEntry>()))
        if (entry.isDirectory && !entry.name.startsWith(u'.')) titles.push_back(entry.name);
    g.firstGroup = day + "/" + titles[0] + "/" + titles[0] + " 1.jpg";
    g.lastGroup = day + "/" + titles[1] + "/" + titles[1] + " 1.jpg";
}

// `count` links to one 400 x 400 picture, "p 1.jpg" … in `folder`, dated as downloaded an hour ago.
QString MakePictureFolder(const QString &folder, int count) {
    QDir().mkpath(folder);
    const QString picture = folder + QStringLiteral("/p 1.jpg");
    QImage(400, 400, QImage::Format_RGB32).save(picture, "JPG");
    for (int n = 2; n <= count; ++n)
        link(QFile::encodeName(picture).constData(),
             QFile::encodeName(folder + QStringLiteral("/p %1.jpg").arg(n)).constData());
    const timespec hourAgo[2] = {{time(nullptr) - 3600, 0}, {time(nullptr) - 3600, 0}};
    utimensat(AT_FDCWD, QFile::encodeName(folder).constData(), hourAgo, 0);
    return folder;
}

// The photo as a phone held upright stores it, and as a camera set to Adobe RGB does, in one
// folder between plain neighbours; "b plain.jpg" lies between them, so both are its neighbours.
void MakeShownAsMeant(const QString &folder) {
    QDir().mkpath(folder);
    QFile file(g.photo);
    file.open(QIODevice::ReadOnly);
    const QByteArray photo = file.readAll();
    const auto write = [&](const char *name, const QByteArray &bytes) {
        QFile out(folder + "/" + name);
        out.open(QIODevice::WriteOnly);
        out.write(bytes);
        return out.fileName();
    };
    g.rotated = write("a rotated.jpg", WithApp1(photo, ExifOrientation(6)));
    g.plainBeside = write("b plain.jpg", photo);
    g.tagged = write("c tagged.jpg",
                     WithIccProfile(photo, QColorSpace(QColorSpace::AdobeRgb).iccProfile()));
    // Three plain photos, the first one upright: each step drops the far one, as above.
    QDir().mkpath(folder + "/plain");
    g.plainUpright = folder + "/plain/a.jpg";
    WritePhoto(g.plainUpright, kHeight, kWidth);
    g.plainMiddle = write("plain/b.jpg", photo);
    g.plainLast = write("plain/c.jpg", photo);
}

// Resident memory after kMemorySteps steps through the photos, minus what it was before.
double MemoryGrowthMb(long before) {
    const QString pictures[] = {g.photo, g.neighbour, g.firstGroup, g.lastGroup};
    for (int i = 0; i < kMemorySteps; ++i) g.browser->Show(pictures[i % 4]);
    g.browser->preloader().WaitIdle();
    return (ResidentBytes() - before) / 1048576.0;
}

bool Report(const char *what, double figure, double reference, double limit) {
    const double ratio = figure / reference;
    std::printf("%s: %.3f ms against %.3f ms; ratio %.3f (limit %.1f) %s\n", what, figure * 1e3,
                reference * 1e3, ratio, limit, ratio <= limit ? "PASS" : "FAIL");
    return ratio <= limit;
}

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir folder;
    QDir().mkpath(folder.filePath("same"));
    g.photo = folder.filePath(QStringLiteral("same/photo.jpg"));
    g.neighbour = folder.filePath(QStringLiteral("same/neighbour.jpg"));
    WritePhoto(g.photo);
    QFile::copy(g.photo, g.neighbour);
    const QString root = folder.filePath(QStringLiteral("root"));
    MakeGroups(root);
    g.few = MakePictureFolder(folder.filePath(QStringLiteral("steps/few")), kFewPictures);
    g.many = MakePictureFolder(folder.filePath(QStringLiteral("steps/many")), kManyPictures);
    MakeShownAsMeant(folder.filePath(QStringLiteral("meant")));
    g.large = folder.filePath(QStringLiteral("large.jpg"));
    WritePhoto(g.large, 6000, 4000);

    ScriptedPrompter prompter;
    QMainWindow window;
    PictureBrowser browser;
    auto *view = new PictureView(browser, prompter);
    window.setCentralWidget(view);
    window.resize(1000, 750);
    window.show();
    // Until the window is exposed a repaint paints nothing, which would flatter every figure.
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) app.processEvents();
    // The folders and their selection, followed as the frame follows them.
    FolderTreeModel folders;
    QItemSelectionModel selection(&folders);
    const SettingsStore settings;
    FolderController commands(folders, selection, browser,
                              {prompter, settings, nullptr, [] { return false; }});
    commands.ShowRoot(root);
    const QModelIndex top = folders.index(0, 0);
    for (int row = 0; row < folders.rowCount(top); ++row)
        folders.fetchMore(folders.index(row, 0, top));
    g.view = view;
    g.browser = &browser;
    g.folders = &folders;
    g.selection = &selection;

    const long before = ResidentBytes();
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g.load.empty() || g.turbo.empty() || g.step.empty() || g.groupRight.empty() ||
        g.groupLeft.empty() || g.stepFew.empty() || g.stepMany.empty() || g.stepRotated.empty() ||
        g.stepPlainUpright.empty() || g.stepPlainLast.empty() || g.stepTagged.empty())
        return 1;

    const double load = Median(g.load);
    bool pass = Report("Cold show against libjpeg-turbo", load, Median(g.turbo), kLoadLimitRatio);
    pass &= Report("Step onto a preloaded neighbour against a cold show", Median(g.step), load,
                   kStepLimitRatio);
    pass &= Report("Group step right onto a preloaded picture against a cold show",
                   Median(g.groupRight), load, kStepLimitRatio);
    pass &= Report("Group step left onto a preloaded picture against a cold show",
                   Median(g.groupLeft), load, kStepLimitRatio);
    pass &= Report("Step in a folder of 20,000 pictures against one in a folder of 20",
                   Median(g.stepMany), Median(g.stepFew), kLargeFolderLimitRatio);
    pass &= Report("Cold show of a photo turned by EXIF against libjpeg-turbo",
                   Median(g.loadRotated), Median(g.turboRotated), kShownAsMeantLimitRatio);
    pass &= Report("Cold show of an Adobe RGB photo against libjpeg-turbo", Median(g.loadTagged),
                   Median(g.turboTagged), kShownAsMeantLimitRatio);
    pass &= Report("Step onto a preloaded turned photo against one onto a plain photo",
                   Median(g.stepRotated), Median(g.stepPlainUpright), kShownAsMeantLimitRatio);
    pass &= Report("Step onto a preloaded Adobe RGB photo against one onto a plain photo",
                   Median(g.stepTagged), Median(g.stepPlainLast), kShownAsMeantLimitRatio);
    pass &=
        Report("Step onto a preloaded neighbour fitted to the window against one at natural size",
               Median(g.stepFitted), Median(g.step), kFittedStepLimitRatio);
    pass &= Report("Zoom step on the photo, repainted, against one frame", Median(g.zoomStep),
                   kFrameSeconds, 1);
    pass &= Report("Whole photo ready after a cold show against libjpeg-turbo",
                   Median(g.wholeReady), Median(g.turbo), kLoadLimitRatio);
    pass &= Report("24 MP photo fitted, cold, against libjpeg-turbo decoding it whole",
                   Median(g.fittedLarge), Median(g.turboLarge), kFittedLargeLimitRatio);
    std::printf("Its decoded pixels: %.2f x those shown (limit 2) %s\n", g.fittedBytesRatio,
                g.fittedBytesRatio <= 2 ? "PASS" : "FAIL");
    pass &= g.fittedBytesRatio <= 2;
    g.browser->Show(g.photo);
    const double copyMb = double(kWidth) * kHeight * 4 / 1048576.0;  // one decoded photo
    const double growth = MemoryGrowthMb(before);
    const double memoryLimit = 4 * copyMb + kMemorySlackMb;
    std::printf(
        "Resident memory after %d steps: %.1f MB more than before the first picture "
        "(limit 4 x %.1f + %.0f = %.1f MB) %s\n",
        kMemorySteps, growth, copyMb, kMemorySlackMb, memoryLimit,
        growth <= memoryLimit ? "PASS" : "FAIL");
    pass &= growth <= memoryLimit;
    return pass ? 0 : 1;
}
