// Filling the tree of a folder of 10,000 sub-folders (every tenth holding one of its own), shown
// in its view, judged against `find DIR -mindepth 1 -maxdepth 2 -type d` on the same tree: at
// most 2x. Also how long a folder another program creates takes to show.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "tree/FolderTreeModel.h"
#include "tree/FolderTreeView.h"

namespace {

constexpr int kSubFolders = 10000;
constexpr double kLimitRatio = 2.0;

QString g_root;
double g_fillSeconds = 0;
long g_fills = 0;
double g_findSeconds = 0;
long g_finds = 0;
double g_showSeconds = 0;
long g_shows = 0;

using Clock = std::chrono::steady_clock;

void MakeTree(const QString &root) {
    QDir dir(root);
    for (int i = 0; i < kSubFolders; ++i) {
        const QString name = QStringLiteral("folder%1").arg(i, 5, 10, QLatin1Char('0'));
        dir.mkdir(name);
        if (i % 10 == 0) dir.mkdir(name + QStringLiteral("/inner"));
    }
}

void BM_FillTree(benchmark::State &state) {
    FolderTreeModel model;
    FolderTreeView view;
    view.SetFolderModel(&model);
    view.show();
    int children = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        model.SetRoot(g_root);
        QCoreApplication::processEvents();  // the view lays the rows out
        g_fillSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_fills;
        children = model.rowCount(model.index(0, 0));
    }
    state.counters["nodes"] = children;
    if (children != kSubFolders) state.SkipWithError("wrong node count");
}
BENCHMARK(BM_FillTree)->Unit(benchmark::kMillisecond);

// From another program's mkdir to the new row in the model.
void BM_CreatedFolderShows(benchmark::State &state) {
    FolderTreeModel model;
    model.SetRoot(g_root);
    int made = 0;
    // Runs the event loop until the model holds `path` or not, as `shown` says.
    const auto waitFor = [&](const QString &path, bool shown) {
        const auto giveUp = Clock::now() + std::chrono::seconds(5);
        while (model.IndexOf(path).isValid() != shown && Clock::now() < giveUp)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
        return model.IndexOf(path).isValid() == shown;
    };
    for (auto _ : state) {
        const QString path = g_root + QStringLiteral("/new%1").arg(made++);
        const auto start = Clock::now();
        if (std::system(("mkdir '" + QFile::encodeName(path).toStdString() + "'").c_str()) != 0 ||
            !waitFor(path, true)) {
            state.SkipWithError("the new folder did not show");
            break;
        }
        g_showSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_shows;
        state.PauseTiming();
        QDir().rmdir(path);
        waitFor(path, false);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_CreatedFolderShows)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_Find(benchmark::State &state) {
    const std::string command =
        "find '" + QFile::encodeName(g_root).toStdString() + "' -mindepth 1 -maxdepth 2 -type d";
    long lines = 0;
    for (auto _ : state) {
        const auto start = Clock::now();
        FILE *pipe = popen(command.c_str(), "r");
        if (!pipe) {
            state.SkipWithError("cannot run find");
            break;
        }
        char buffer[1 << 16];
        lines = 0;
        while (size_t read = fread(buffer, 1, sizeof buffer, pipe))
            for (size_t i = 0; i < read; ++i) lines += buffer[i] == '\n';
        pclose(pipe);
        g_findSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_finds;
    }
    state.counters["folders"] = static_cast<double>(lines);
}
BENCHMARK(BM_Find)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char **argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir dir;
    g_root = dir.path();
    MakeTree(g_root);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (g_fills == 0 || g_finds == 0) return 0;
    const double fillMs = 1000 * g_fillSeconds / g_fills;
    const double findMs = 1000 * g_findSeconds / g_finds;
    std::printf(
        "FolderTree: fill %.2f ms, find %.2f ms on %d sub-folders; ratio %.3f (limit %.1f)\n",
        fillMs, findMs, kSubFolders, fillMs / findMs, kLimitRatio);
    if (g_shows > 0)
        std::printf("FolderTree: a folder another program creates shows after %.1f ms\n",
                    1000 * g_showSeconds / g_shows);
    return 0;
}
