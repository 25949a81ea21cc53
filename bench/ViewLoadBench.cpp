// Showing a 4000 x 3000 JPEG in the picture view (LoadPath: neighbour search, decode, scroll
// set-up, paint), judged against libjpeg-turbo decoding the same file on its own: at most 1.5x.
// A step onto a preloaded neighbour of that size is judged against that cold LoadPath: at most a
// tenth. Also reports the resident-memory growth of showing it, which must stay near one decoded
// copy.
#include <benchmark/benchmark.h>
#include <turbojpeg.h>
#include <unistd.h>

#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMainWindow>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QWindow>
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "platform/ScriptedPrompter.h"
#include "view/CLumoraView.h"

namespace {

constexpr int kWidth = 4000;
constexpr int kHeight = 3000;
constexpr double kLimitRatio = 1.5;
constexpr double kStepLimitRatio = 0.1;

using Clock = std::chrono::steady_clock;

QString g_path;
QString g_neighbour;  // the other photo of the folder
QMainWindow *g_window = nullptr;
CLumoraView *g_view = nullptr;
double g_loadSeconds = 0;
long g_loads = 0;
double g_turboSeconds = 0;
long g_turbos = 0;
double g_stepSeconds = 0;
long g_steps = 0;

// Smooth colour fields with grain, so the file codes like a photo rather than a flat test card.
void WritePhoto(const QString &path) {
    QImage photo(kWidth, kHeight, QImage::Format_RGB32);
    QRandomGenerator random(42);
    for (int y = 0; y < kHeight; ++y) {
        auto *line = reinterpret_cast<QRgb *>(photo.scanLine(y));
        for (int x = 0; x < kWidth; ++x) {
            const int grain = int(random.bounded(24u)) - 12;
            line[x] = qRgb(qBound(0, (x * 255 / kWidth) + grain, 255),
                           qBound(0, (y * 255 / kHeight) + grain, 255),
                           qBound(0, ((x + y) / 28 % 256) + grain, 255));
        }
    }
    photo.save(path, "JPG", 90);
}

long ResidentBytes() {
    long pages = 0, resident = 0;
    if (FILE *statm = fopen("/proc/self/statm", "r")) {
        if (fscanf(statm, "%ld %ld", &pages, &resident) != 2) resident = 0;
        fclose(statm);
    }
    return resident * sysconf(_SC_PAGESIZE);
}

void BM_LoadPath(benchmark::State &state) {
    for (auto _ : state) {
        g_view->ForgetPreloaded();  // cold: nothing decoded ahead
        const auto start = Clock::now();
        g_view->LoadPath(g_path);
        g_loadSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_loads;
        if (g_view->m_image.IsNull()) state.SkipWithError("the picture did not load");
    }
}
BENCHMARK(BM_LoadPath)->Unit(benchmark::kMillisecond);

// From the neighbour, once it has decoded the photo ahead, onto the photo.
void BM_StepOntoPreloaded(benchmark::State &state) {
    for (auto _ : state) {
        state.PauseTiming();
        g_view->LoadPath(g_neighbour);
        g_view->preloader().WaitIdle();
        state.ResumeTiming();
        const auto start = Clock::now();
        g_view->LoadPath(g_path);
        g_stepSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_steps;
        if (g_view->m_image.IsNull()) state.SkipWithError("the picture did not show");
    }
}
BENCHMARK(BM_StepOntoPreloaded)->Unit(benchmark::kMillisecond);

void BM_TurboJpegDecode(benchmark::State &state) {
    tjhandle decoder = tjInitDecompress();
    for (auto _ : state) {
        const auto start = Clock::now();
        QFile file(g_path);
        file.open(QIODevice::ReadOnly);
        const QByteArray bytes = file.readAll();
        int width = 0, height = 0, subsampling = 0, colourspace = 0;
        tjDecompressHeader3(decoder, reinterpret_cast<const uchar *>(bytes.constData()),
                            bytes.size(), &width, &height, &subsampling, &colourspace);
        std::unique_ptr<uchar[]> pixels(new uchar[size_t(width) * height * 4]);
        const int failed =
            tjDecompress2(decoder, reinterpret_cast<const uchar *>(bytes.constData()), bytes.size(),
                          pixels.get(), width, width * 4, height, TJPF_BGRX, 0);
        benchmark::DoNotOptimize(pixels.get());
        g_turboSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_turbos;
        if (failed) state.SkipWithError(tjGetErrorStr2(decoder));
    }
    tjDestroy(decoder);
}
BENCHMARK(BM_TurboJpegDecode)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    qputenv("QT_QPA_PLATFORM",
            qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
    QApplication app(argc, argv);
    QTemporaryDir folder;
    g_path = folder.filePath(QStringLiteral("photo.jpg"));
    g_neighbour = folder.filePath(QStringLiteral("neighbour.jpg"));
    WritePhoto(g_path);
    QFile::copy(g_path, g_neighbour);

    ScriptedPrompter prompter;
    QMainWindow window;
    auto *view = new CLumoraView(prompter);
    window.setCentralWidget(view);
    window.resize(1000, 750);
    window.show();
    // Until the window is exposed a repaint paints nothing, which would flatter every figure.
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) app.processEvents();
    g_window = &window;
    g_view = view;

    const long before = ResidentBytes();
    view->LoadPath(g_path);
    view->preloader().WaitIdle();
    view->ForgetPreloaded();  // the neighbour's copy is not part of showing one picture
    const long after = ResidentBytes();
    const double decodedMb = view->m_image.image().sizeInBytes() / 1048576.0;

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();

    if (g_loads == 0 || g_turbos == 0 || g_steps == 0) return 1;
    const double load = g_loadSeconds / g_loads;
    const double turbo = g_turboSeconds / g_turbos;
    const double step = g_stepSeconds / g_steps;
    const double ratio = load / turbo;
    const double stepRatio = step / load;
    const bool pass = ratio <= kLimitRatio && stepRatio <= kStepLimitRatio;
    std::printf(
        "CLumoraView: LoadPath %.2f ms, libjpeg-turbo %.2f ms on %dx%d; ratio %.3f (limit %.1f) "
        "%s\n"
        "Step onto a preloaded neighbour: %.2f ms; step / cold LoadPath %.3f (limit %.1f) %s\n"
        "Showing it: one decoded copy of %.1f MB; resident memory grew by %.1f MB\n",
        load * 1e3, turbo * 1e3, kWidth, kHeight, ratio, kLimitRatio,
        ratio <= kLimitRatio ? "PASS" : "FAIL", step * 1e3, stepRatio, kStepLimitRatio,
        stepRatio <= kStepLimitRatio ? "PASS" : "FAIL", decodedMb, (after - before) / 1048576.0);
    return pass ? 0 : 1;
}
