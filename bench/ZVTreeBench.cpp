// Measures the undoable delete of the association tree view on the generated
// data set: the CLSID key at a third of the full size (10,000 classes, about
// 30,000 keys) is moved into the backup area (DeleteKeyUndoable, no
// confirmation) and moved back by its undo (PerformUndo), on the in-memory
// and on the SQLite store, beside the bare move of the registry layer that
// both are built on (StoreMoveClsid). Each benchmark reports the peak memory of the
// process during its runs (the data set itself included).
//
//   zanver-zvtree-bench [Google Benchmark options, e.g. --benchmark_filter=Undo]
//
// The Qt platform is the offscreen one unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "ActiveStore.h"
#include "BenchPlatform.h"
#include "DataSetGenerator.h"
#include "MemoryStore.h"
#include "Options.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "SqliteStore.h"
#include "Undo.h"
#include "UndoBackup.h"
#include "ZVRegTreeView.h"

namespace zanver::bench {
namespace {

enum class StoreKind { Memory, Sqlite };

constexpr double kScale = 1.0 / 3.0;

// One store with the data set for the life of a benchmark.
class DataSet {
  public:
    explicit DataSet(StoreKind kind) {
        if (kind == StoreKind::Memory) {
            store_ = std::make_unique<MemoryStore>();
        } else {
            path_ = (std::filesystem::temp_directory_path() /
                     ("zanver-zvtree-bench-" + std::to_string(getpid()) + ".db"))
                        .string();
            RemoveFiles();
            std::string error;
            store_ = SqliteStore::Open(path_, error);
            if (!store_) {
                std::fprintf(stderr, "zanver-zvtree-bench: %s\n", error.c_str());
                std::exit(1);
            }
        }
        DataSetOptions options;
        options.scale = kScale;
        if (GenerateDataSet(*store_, options) != 0) {
            std::fprintf(stderr, "zanver-zvtree-bench: the data set could not be written\n");
            std::exit(1);
        }
        SetActiveStore(store_.get());
    }
    ~DataSet() {
        SetActiveStore(nullptr);
        store_.reset();
        RemoveFiles();
    }
    DataSet(const DataSet&) = delete;
    DataSet& operator=(const DataSet&) = delete;

  private:
    void RemoveFiles() {
        if (path_.empty())
            return;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::error_code ec;
            std::filesystem::remove(path_ + suffix, ec);
        }
    }
    std::unique_ptr<RegistryStore> store_;
    std::string path_;
};

// Keys of the subtree below HKEY_CLASSES_ROOT\path, the key itself included.
std::size_t CountKeys(const std::string& path) {
    RegistryStore& store = ActiveStore();
    StoreKey handle = 0;
    if (store.OpenKey(HKEY_CLASSES_ROOT, path, kKeyRead, handle) != 0)
        return 0;
    std::size_t count = 1;
    std::string name;
    for (std::uint32_t index = 0; store.EnumKey(handle, index, name) == 0; ++index)
        count += CountKeys(path + "\\" + name);
    store.CloseKey(handle);
    return count;
}

void Prepare() {
    OptionFlags = 0;
    UndoBackupBase = "Software\\KQ\\Zanver\\Undo\\0000BEEF";
    while (!UndoList.Empty())
        UndoList.RemoveLast();
}

void Report(benchmark::State& state, std::size_t keys) {
    state.counters["keys"] = static_cast<double>(keys);
    state.counters["peak_MB"] = static_cast<double>(PeakMemoryBytes()) / (1024.0 * 1024.0);
}

// Deletes the shown CLSID key into the backup area; undone between the runs.
void BM_DeleteClsid(benchmark::State& state, StoreKind kind) {
    DataSet data(kind);
    Prepare();
    const std::size_t keys = CountKeys(kClassesKey);
    TZVRegTreeView view;
    view.RefreshPath(kClassesKey, false);
    ResetPeakMemory();
    for (auto _ : state) {
        view.DeleteKeyUndoable(kClassesKey);
        state.PauseTiming();
        if (KeyExists(HKEY_CLASSES_ROOT, kClassesKey) || UndoList.Count() != 1) {
            state.SkipWithError("the key was not deleted");
            break;
        }
        PerformUndo(UndoList);
        state.ResumeTiming();
    }
    Report(state, keys);
}

// Undoes the deletion of the CLSID key; the key is deleted between the runs.
void BM_UndoDeleteClsid(benchmark::State& state, StoreKind kind) {
    DataSet data(kind);
    Prepare();
    const std::size_t keys = CountKeys(kClassesKey);
    TZVRegTreeView view;
    view.RefreshPath(kClassesKey, false);
    ResetPeakMemory();
    for (auto _ : state) {
        state.PauseTiming();
        view.DeleteKeyUndoable(kClassesKey);
        state.ResumeTiming();
        PerformUndo(UndoList);
        state.PauseTiming();
        if (CountKeys(kClassesKey) != keys || !UndoList.Empty()) {
            state.SkipWithError("the key did not come back whole");
            break;
        }
        state.ResumeTiming();
    }
    Report(state, keys);
}

// The baseline: the registry layer's move of the same key to the same place
// and back, without the view (what the store itself costs).
void BM_StoreMoveClsid(benchmark::State& state, StoreKind kind) {
    DataSet data(kind);
    Prepare();
    const std::size_t keys = CountKeys(kClassesKey);
    const std::string from = std::string("Software\\Classes\\") + kClassesKey;
    const std::string to = UndoBackupBase + "\\00000001" + kClassesKey;
    TRegistry registry(HKEY_LOCAL_MACHINE);
    ResetPeakMemory();
    for (auto _ : state) {
        registry.MoveKey(from, to, true);
        state.PauseTiming();
        registry.MoveKey(to, from, true);
        state.ResumeTiming();
    }
    Report(state, keys);
}

void RegisterAll() {
    const struct {
        StoreKind kind;
        const char* name;
    } stores[] = {{StoreKind::Memory, "Memory"}, {StoreKind::Sqlite, "Sqlite"}};
    for (const auto& store : stores) {
        const std::string suffix = std::string("/") + store.name;
        benchmark::RegisterBenchmark(("DeleteClsid" + suffix).c_str(), BM_DeleteClsid, store.kind)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
        benchmark::RegisterBenchmark(("StoreMoveClsid" + suffix).c_str(), BM_StoreMoveClsid,
                                     store.kind)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
        benchmark::RegisterBenchmark(("UndoDeleteClsid" + suffix).c_str(), BM_UndoDeleteClsid,
                                     store.kind)
            ->Unit(benchmark::kMillisecond)
            ->Iterations(3);
    }
}

}  // namespace
}  // namespace zanver::bench

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    zanver::bench::RegisterAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
