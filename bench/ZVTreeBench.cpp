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
#include "QtBench.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "SqliteStore.h"
#include "Undo.h"
#include "UndoBackup.h"
#include "ZVRegTreeView.h"

namespace zanver::bench {
namespace {

constexpr double kScale = 1.0 / 3.0;

// The store with the data set, kept from one benchmark to the next.
BenchDataSet& TheDataSet() {
    static BenchDataSet dataSet("zanver-zvtree-bench");
    return dataSet;
}

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
    TheDataSet().Get(kind, kScale);
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
    TheDataSet().Get(kind, kScale);
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
    TheDataSet().Get(kind, kScale);
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
    for (const auto& store : kBenchStores) {
        const std::string suffix = std::string("/") + store.name;
        RegisterMilliseconds("DeleteClsid" + suffix, BM_DeleteClsid, store.kind);
        RegisterMilliseconds("StoreMoveClsid" + suffix, BM_StoreMoveClsid, store.kind);
        RegisterMilliseconds("UndoDeleteClsid" + suffix, BM_UndoDeleteClsid, store.kind);
    }
}

}  // namespace
}  // namespace zanver::bench

int main(int argc, char** argv) {
    return zanver::bench::RunQtBenchmarks(argc, argv, zanver::bench::RegisterAll,
                                          zanver::bench::TheDataSet());
}
