// Filling a tree node for a folder of 10,000 sub-folders (every tenth holding one of its own),
// judged against `find DIR -mindepth 1 -maxdepth 2 -type d` on the same tree: at most 2x.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <string>

#include "tree/FolderTree.h"
#include "tree/FrameState.h"

namespace {

constexpr int kSubFolders = 10000;
constexpr double kLimitRatio = 2.0;

QString g_root;
double g_fillSeconds = 0;
long g_fills = 0;
double g_findSeconds = 0;
long g_finds = 0;

using Clock = std::chrono::steady_clock;

void MakeTree(const QString &root) {
    QDir dir(root);
    for (int i = 0; i < kSubFolders; ++i) {
        const QString name = QStringLiteral("folder%1").arg(i, 5, 10, QLatin1Char('0'));
        dir.mkdir(name);
        if (i % 10 == 0) dir.mkdir(name + QStringLiteral("/inner"));
    }
}

void BM_FillFolderNode(benchmark::State &state) {
    FrameState frame;
    frame.downloadRoot = g_root;
    FolderTree tree(frame);
    int children = 0;
    for (auto _ : state) {
        state.PauseTiming();
        tree.clear();
        QTreeWidgetItem *root = tree.InsertFolderNode(g_root, nullptr, NodePosition::Last);
        state.ResumeTiming();
        const auto start = Clock::now();
        tree.FillFolderNode(root, QString());
        g_fillSeconds += std::chrono::duration<double>(Clock::now() - start).count();
        ++g_fills;
        children = root->childCount();
    }
    state.counters["nodes"] = children;
    if (children != kSubFolders) state.SkipWithError("wrong node count");
}
BENCHMARK(BM_FillFolderNode)->Unit(benchmark::kMillisecond);

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
        "FolderTree: FillFolderNode %.2f ms, find %.2f ms on %d sub-folders; ratio %.3f (limit "
        "%.1f)\n",
        fillMs, findMs, kSubFolders, fillMs / findMs, kLimitRatio);
    return 0;
}
