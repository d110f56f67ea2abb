#include "QtBench.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include <unistd.h>

#include "ActiveStore.h"
#include "DataSetGenerator.h"
#include "MemoryStore.h"
#include "SqliteStore.h"

namespace zanver::bench {

RegistryStore& BenchDataSet::Get(StoreKind kind, double scale) {
    if (store_ && kind == kind_ && scale == scale_)
        return *store_;
    Release();
    if (kind == StoreKind::Memory) {
        store_ = std::make_unique<MemoryStore>();
    } else {
        path_ = (std::filesystem::temp_directory_path() /
                 (program_ + "-" + std::to_string(getpid()) + ".db"))
                    .string();
        RemoveFiles();
        std::string error;
        store_ = SqliteStore::Open(path_, error);
        if (!store_) {
            std::fprintf(stderr, "%s: %s\n", program_.c_str(), error.c_str());
            std::exit(1);
        }
    }
    DataSetOptions options;
    options.scale = scale;
    if (GenerateDataSet(*store_, options) != 0) {
        std::fprintf(stderr, "%s: the data set could not be written\n", program_.c_str());
        std::exit(1);
    }
    kind_ = kind;
    scale_ = scale;
    SetActiveStore(store_.get());
    return *store_;
}

void BenchDataSet::Release() {
    SetActiveStore(nullptr);
    store_.reset();
    RemoveFiles();
}

void BenchDataSet::RemoveFiles() {
    if (path_.empty())
        return;
    for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
        std::error_code ec;
        std::filesystem::remove(path_ + suffix, ec);
    }
}

int RunQtBenchmarks(int argc, char** argv, void (*registerAll)(), BenchDataSet& dataSet) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    registerAll();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    dataSet.Release();
    return 0;
}

}  // namespace zanver::bench
