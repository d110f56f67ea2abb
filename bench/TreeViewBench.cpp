// Measures the registry tree view on the generated association data set:
// showing the CLSID key (30,000 subkeys at full size) and expanding it,
// copying it to the clipboard as REGEDIT4 text, and pasting that text below a
// new key. Each runs on the in-memory and on the SQLite store, at a quarter
// and at the full size of the data set, so that the growth of each cost
// shows. Every benchmark reports the peak memory of the process during its
// runs (the data set itself included).
//
//   zanver-treeview-bench [Google Benchmark options, e.g. --benchmark_filter=Copy]
//
// The Qt platform is the offscreen one unless QT_QPA_PLATFORM says otherwise.

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QProgressDialog>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>

#include <unistd.h>

#include "ActiveStore.h"
#include "BenchPlatform.h"
#include "Clipboard.h"
#include "DataSetGenerator.h"
#include "MemoryStore.h"
#include "Progress.h"
#include "Prompter.h"
#include "QtBench.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "SqliteStore.h"

namespace zanver::bench {
namespace {

// Agrees to every question (a paste asks about long values) without waiting
// for a user.
class YesPrompter : public Prompter {
  public:
    MessageResult Ask(const MessageRequest& request) override {
        ++asked;
        return request.buttons == MessageButtons::OkCancel ? MessageResult::Ok : MessageResult::Yes;
    }
    int asked = 0;
};

BenchDataSet& TheDataSet() {
    static BenchDataSet dataSet("zanver-treeview-bench");
    return dataSet;
}

std::size_t SubKeyCount(const char* key) {
    RegistryStore& store = ActiveStore();
    StoreKey handle = 0;
    KeyInfo info;
    if (store.OpenKey(HKEY_CLASSES_ROOT, key, kKeyRead, handle) != 0)
        return 0;
    store.QueryInfoKey(handle, info);
    store.CloseKey(handle);
    return info.subKeys;
}

void Report(benchmark::State& state, std::size_t keys) {
    state.counters["keys"] = static_cast<double>(keys);
    state.counters["peak_MB"] = static_cast<double>(PeakMemoryBytes()) / (1024.0 * 1024.0);
}

// The longest stretch of an operation in which the window was frozen with
// nothing to show for it: the event loop could not run (between two progress
// steps, each of which may process events; from the start to the first step;
// from the last step to the end) and no progress dialog was on screen. With
// no steps at all it is the whole operation.
class FreezeMeter {
  public:
    FreezeMeter() {
        TProgress::StepHook = [this](int) {
            Mark();
            return true;
        };
    }
    ~FreezeMeter() { TProgress::StepHook = nullptr; }
    FreezeMeter(const FreezeMeter&) = delete;
    FreezeMeter& operator=(const FreezeMeter&) = delete;

    void Start() {
        clock_.start();
        last_ = 0;
        dialogShown_ = false;
    }
    void Stop() { Mark(); }
    void Report(benchmark::State& state) const {
        state.counters["max_freeze_ms"] = static_cast<double>(longest_);
    }

  private:
    static bool ProgressDialogShown() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (qobject_cast<QProgressDialog*>(widget) != nullptr && widget->isVisible())
                return true;
        return false;
    }
    void Mark() {
        const qint64 now = clock_.elapsed();
        if (!dialogShown_)
            longest_ = std::max(longest_, now - last_);
        if (std::getenv("ZANVER_BENCH_GAPS") != nullptr && now - last_ > 40)
            std::fprintf(stderr, "gap %lld ms ending at %lld ms, dialog %d\n",
                         static_cast<long long>(now - last_), static_cast<long long>(now),
                         dialogShown_ ? 1 : 0);
        last_ = now;
        dialogShown_ = ProgressDialogShown();
    }
    QElapsedTimer clock_;
    qint64 last_ = 0;
    qint64 longest_ = 0;
    bool dialogShown_ = false;
};

void ShowAndExpand(TRegTreeView& view) {
    view.RefreshPath(kClassesKey, false);
    view.TopNode()->setExpanded(true);
    view.LoadPending();
}

// Shows CLSID in a new tree view and expands it.
void BM_ShowClsid(benchmark::State& state, StoreKind kind, double scale) {
    TheDataSet().Get(kind, scale);
    ResetPeakMemory();
    FreezeMeter freeze;
    for (auto _ : state) {
        TRegTreeView view;
        freeze.Start();
        ShowAndExpand(view);
        freeze.Stop();
        benchmark::DoNotOptimize(view.TopNode()->childCount());
        state.PauseTiming();  // the tree's destruction is not part of showing it
        view.ClearTree();
        state.ResumeTiming();
    }
    Report(state, SubKeyCount(kClassesKey));
    freeze.Report(state);
}

// Copies the shown CLSID key to the clipboard.
void BM_CopyClsid(benchmark::State& state, StoreKind kind, double scale) {
    TheDataSet().Get(kind, scale);
    TRegTreeView view;
    ShowAndExpand(view);
    view.Select(view.TopNode());
    ResetPeakMemory();
    std::size_t bytes = 0;
    FreezeMeter freeze;
    for (auto _ : state) {
        freeze.Start();
        view.CopyToClipboard();
        freeze.Stop();
        state.PauseTiming();
        bytes = ClipboardText().size();
        state.ResumeTiming();
    }
    Report(state, SubKeyCount(kClassesKey));
    state.counters["text_MB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
    freeze.Report(state);
}

// Pastes the copied CLSID key below a new, empty key; the copy is deleted
// again between the runs.
void BM_PasteClsid(benchmark::State& state, StoreKind kind, double scale) {
    TheDataSet().Get(kind, scale);
    YesPrompter prompter;
    ScopedPrompter installed(prompter);
    {
        TRegTreeView source;
        ShowAndExpand(source);
        source.Select(source.TopNode());
        source.CopyToClipboard();
    }
    const std::string target = "PasteTarget";
    ResetPeakMemory();
    FreezeMeter freeze;
    for (auto _ : state) {
        state.PauseTiming();
        WriteString(HKEY_CLASSES_ROOT, target, "", false, "");
        auto view = std::make_unique<TRegTreeView>();
        view->RefreshPath(target, false);
        view->Select(view->TopNode());
        state.ResumeTiming();
        freeze.Start();
        view->PasteFromClipboard(false);
        freeze.Stop();
        state.PauseTiming();
        if (!KeyExists(HKEY_CLASSES_ROOT, target + "\\" + kClassesKey)) {
            state.SkipWithError("nothing was pasted");
            break;
        }
        view.reset();
        StoreTransaction transaction(ActiveStore());
        DeleteKeyTree(HKEY_CLASSES_ROOT, target);
        transaction.Commit();
        state.ResumeTiming();
    }
    Report(state, SubKeyCount(kClassesKey));
    freeze.Report(state);
}

void RegisterAll() {
    const struct {
        double scale;
        const char* name;
    } scales[] = {{0.25, "quarter"}, {1.0, "full"}};
    for (const auto& store : kBenchStores) {
        for (const auto& scale : scales) {
            const std::string suffix = std::string("/") + store.name + "/" + scale.name;
            RegisterMilliseconds("ShowClsid" + suffix, BM_ShowClsid, store.kind, scale.scale);
            RegisterMilliseconds("CopyClsid" + suffix, BM_CopyClsid, store.kind, scale.scale);
            RegisterMilliseconds("PasteClsid" + suffix, BM_PasteClsid, store.kind, scale.scale);
        }
    }
}

}  // namespace
}  // namespace zanver::bench

int main(int argc, char** argv) {
    return zanver::bench::RunQtBenchmarks(argc, argv, zanver::bench::RegisterAll,
                                          zanver::bench::TheDataSet());
}
