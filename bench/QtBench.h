#pragma once

// Shared parts of the Google Benchmark programs that drive Qt widgets on the
// generated data set.

#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "Store.h"

namespace zanver::bench {

enum class StoreKind { Memory, Sqlite };

// The stores every Qt benchmark runs on, with their names in benchmark names.
struct BenchStore {
    StoreKind kind;
    const char* name;
};
inline constexpr BenchStore kBenchStores[] = {{StoreKind::Memory, "Memory"},
                                              {StoreKind::Sqlite, "Sqlite"}};

// The data set in use, as the active store: generated anew only when the
// store kind or the scale changes, since benchmarks run in the order they were
// registered. A SQLite store is a new file in the temporary folder, removed
// again on release. Exits the program when the data set cannot be made.
class BenchDataSet {
  public:
    explicit BenchDataSet(std::string programName) : program_(std::move(programName)) {}
    ~BenchDataSet() { Release(); }
    BenchDataSet(const BenchDataSet&) = delete;
    BenchDataSet& operator=(const BenchDataSet&) = delete;

    RegistryStore& Get(StoreKind kind, double scale);
    void Release();

  private:
    void RemoveFiles();

    std::string program_;
    std::unique_ptr<RegistryStore> store_;
    StoreKind kind_ = StoreKind::Memory;
    double scale_ = 0;
    std::string path_;
};

// Registers fn(state, args...) as the benchmark name, timed in milliseconds
// over 3 runs (each run of these benchmarks takes a second or so).
template <class Fn, class... Args>
void RegisterMilliseconds(const std::string& name, Fn fn, Args... args) {
    benchmark::RegisterBenchmark(name.c_str(), fn, args...)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(3);
}

// main() of such a program: a QApplication on the offscreen platform (unless
// QT_QPA_PLATFORM names another), then the benchmarks that registerAll
// registers; the data set they used is released at the end.
int RunQtBenchmarks(int argc, char** argv, void (*registerAll)(), BenchDataSet& dataSet);

}  // namespace zanver::bench
