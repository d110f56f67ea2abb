// Measures the editor's main window on the full generated data set (10,000
// extensions, 10,000 file types, 30,000 classes; about 150,000 keys), on the
// in-memory and on the SQLite store:
// - StartUp: building the window with a file name on the command line (the
//   lists filled from HKEY_CLASSES_ROOT, the extension and its file type
//   selected, both trees loaded) until it is shown;
// - SelectExtension: showing another extension with everything that follows
//   from it (fields, both trees, the file type).
// Each benchmark reports the peak memory of the process during its runs (the
// data set itself included).
//
//   zanver-mainwindow-bench [Google Benchmark options]
//
// The Qt platform is the offscreen one unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "BenchPlatform.h"
#include "DataSetGenerator.h"
#include "MainWindow.h"
#include "Prompter.h"
#include "QtBench.h"
#include "ScriptedPrompter.h"

namespace zanver::bench {
namespace {

// The store with the data set, kept from one benchmark to the next.
BenchDataSet& TheDataSet() {
    static BenchDataSet dataSet("zanver-mainwindow-bench");
    return dataSet;
}

// Any question or message would mean the run went wrong.
struct QuietPrompter {
    ScriptedPrompter prompter{[](const std::string& failure) {
        std::fprintf(stderr, "unexpected message: %s\n", failure.c_str());
    }};
    ScopedPrompter installed{prompter};
};

void Report(benchmark::State& state) {
    state.counters["peak_MB"] = static_cast<double>(PeakMemoryBytes()) / (1024.0 * 1024.0);
}

std::vector<std::string> FileOf(std::size_t extension) {
    return {"/tmp/file" + ExtensionName(extension)};
}

void BM_StartUp(benchmark::State& state, StoreKind kind) {
    TheDataSet().Get(kind, 1.0);
    QuietPrompter quiet;
    ResetPeakMemory();
    for (auto _ : state) {
        auto window = std::make_unique<TZVFormMain>(FileOf(4999));
        window->show();
        QApplication::processEvents();
        state.PauseTiming();
        if (window->CurExt != ExtensionName(4999) || window->CurFileType.empty())
            state.SkipWithError("the extension was not shown");
        window.reset();
        QApplication::processEvents();
        state.ResumeTiming();
    }
    Report(state);
}

void BM_SelectExtension(benchmark::State& state, StoreKind kind) {
    TheDataSet().Get(kind, 1.0);
    QuietPrompter quiet;
    TZVFormMain window(FileOf(0));
    window.show();
    QApplication::processEvents();
    ResetPeakMemory();
    std::size_t next = 0;
    for (auto _ : state) {
        next = (next + 3331) % kFullExtensions;
        window.SelectExtension(ExtensionName(next), 0);
        state.PauseTiming();
        if (window.CurExt != ExtensionName(next))
            state.SkipWithError("the extension was not shown");
        state.ResumeTiming();
    }
    Report(state);
}

void RegisterAll() {
    for (const auto& store : kBenchStores) {
        const std::string suffix = std::string("/") + store.name;
        RegisterMilliseconds("StartUp" + suffix, BM_StartUp, store.kind);
        benchmark::RegisterBenchmark(("SelectExtension" + suffix).c_str(), BM_SelectExtension,
                                     store.kind)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(30);
    }
}

}  // namespace
}  // namespace zanver::bench

int main(int argc, char** argv) {
    return zanver::bench::RunQtBenchmarks(argc, argv, zanver::bench::RegisterAll,
                                          zanver::bench::TheDataSet());
}
