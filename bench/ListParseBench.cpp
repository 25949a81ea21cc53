// Parsing a full picture list (32767 entries) into download tasks; judged against 50 ms.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>

#include "service/PictureList.h"

namespace {

constexpr int kEntries = 32767;
constexpr double kLimitMs = 50.0;
const std::string kDateFolder = "/home/user/pictures/2010-05-03";
const std::string kDayKey = "M0o5n0d3ay";

std::string RandomText(std::mt19937 &random, std::size_t length) {
    static const std::string kAlphabet =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789./_-";
    std::uniform_int_distribution<std::size_t> pick(0, kAlphabet.size() - 1);
    std::string text(length, ' ');
    for (char &c : text) c = kAlphabet[pick(random)];
    return text;
}

// Groups of eight pictures: the first entry of a group carries link and title, as a service
// sends them; lengths as in real lists (a 40-60 byte link, a Chinese title, a 20-30 byte name).
std::string RealisticList() {
    std::mt19937 random(2010);
    std::uniform_int_distribution<std::size_t> linkLength(40, 60), nameLength(20, 30);
    std::string list;
    for (int i = 0; i < kEntries; ++i) {
        const bool groupStart = i % 8 == 0;
        list += "<xsd:anyType><ns1:string>";
        if (groupStart) list += RandomText(random, linkLength(random));
        list += "</ns1:string><ns1:string>";
        if (groupStart) list += "春日湖光山色第" + std::to_string(i / 8) + "组";
        list += "</ns1:string><ns1:string>" + RandomText(random, nameLength(random)) +
                "</ns1:string></xsd:anyType>\n";
    }
    return list;
}

void BM_ParseFullList(benchmark::State &state) {
    const std::string list = RealisticList();
    DownloadBatch batch;
    for (auto _ : state) {
        batch.clear();
        AppendTasksFromList(list, kDateFolder, kDayKey, batch);
        benchmark::DoNotOptimize(batch.data());
    }
    state.counters["tasks"] = static_cast<double>(batch.size());
    state.counters["listBytes"] = static_cast<double>(list.size());
}
BENCHMARK(BM_ParseFullList)->Unit(benchmark::kMillisecond);

// Best of a few fresh parses, as the download command does it: one parse into an empty batch.
void PrintRatio() {
    const std::string list = RealisticList();
    double bestMs = 1e9;
    std::size_t tasks = 0;
    for (int run = 0; run < 5; ++run) {
        DownloadBatch batch;
        const auto start = std::chrono::steady_clock::now();
        AppendTasksFromList(list, kDateFolder, kDayKey, batch);
        const std::chrono::duration<double, std::milli> elapsed =
            std::chrono::steady_clock::now() - start;
        bestMs = std::min(bestMs, elapsed.count());
        tasks = batch.size();
    }
    std::printf(
        "ListParse: %d entries (%zu bytes) -> %zu tasks in %.2f ms; limit %.0f ms, "
        "ratio %.3f\n",
        kEntries, list.size(), tasks, bestMs, kLimitMs, bestMs / kLimitMs);
}

}  // namespace

int main(int argc, char **argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    PrintRatio();
    return 0;
}
