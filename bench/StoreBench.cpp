// Measures the registry stores on a generated association data set: generating
// it, enumerating the classes root, reading every extension's default value,
// copying and deleting the CLSID subtree, and the peak memory. Each figure is
// the median of several runs, at several sizes of the data set, so that the
// growth of each cost with the number of keys shows.
//
//   zanver-store-bench [--stores=memory,sqlite,win32] [--scales=0.25,0.5,1]
//                      [--repeat=N] [--heavy-repeat=N] [--budget=SECONDS]
//                      [--dir=FOLDER] [--seed=N]
//                      [--base=ROOT\PATH]
//
// Natively the default stores are memory and sqlite (a new file in --dir, by
// default the temp folder, for every generation); on Windows (and under Wine)
// it is win32, the system registry, where the data set goes below the
// throw-away key HKEY_CURRENT_USER\Software\ZanverBench, deleted afterwards.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "BenchPlatform.h"
#include "DataSetGenerator.h"
#include "Exception.h"
#include "MemoryStore.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "RootKeys.h"

#ifdef _WIN32
#include "Win32Store.h"
#else
#include <unistd.h>

#include "SqliteStore.h"
#endif

namespace zanver::bench {

namespace {

// The throw-away key of the system registry.
constexpr const char* kThrowAwayKey = "Software\\ZanverBench";
constexpr const char* kThrowAwayClasses = "Software\\ZanverBench\\Classes";
constexpr const char* kCopyName = "CLSID Copy";

struct Options {
    std::vector<std::string> stores;
    std::vector<double> scales = {0.25, 0.5, 1.0};
    int repeat = 9;       // enumeration and reads
    int heavyRepeat = 3;  // generation, copy and delete
    double budget = 30;   // seconds for the runs of one measurement
    std::string dir;
    std::uint64_t seed = 1;
    bool hasBase = false;
    RootKey baseRoot = HKEY_CLASSES_ROOT;
    std::string basePath;
};

[[noreturn]] void Fail(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "zanver-store-bench: %s\n", message.c_str());
    std::exit(1);
}

// A store under test: makes a new empty one on request and cleans up after itself.
class BenchStore {
  public:
    virtual ~BenchStore() = default;
    virtual std::string Name() const = 0;
    // An empty store (the one before it is gone).
    virtual RegistryStore& Fresh() = 0;
    // Drops the store and whatever it left behind.
    virtual void Release() = 0;
    // Where the data set goes by default.
    virtual RootKey Root() const { return HKEY_CLASSES_ROOT; }
    virtual std::string BasePath() const { return {}; }
};

class MemoryBenchStore : public BenchStore {
  public:
    std::string Name() const override { return "MemoryStore"; }
    RegistryStore& Fresh() override {
        store_.reset();
        store_ = std::make_unique<MemoryStore>();
        return *store_;
    }
    void Release() override { store_.reset(); }

  private:
    std::unique_ptr<MemoryStore> store_;
};

#ifndef _WIN32
class SqliteBenchStore : public BenchStore {
  public:
    explicit SqliteBenchStore(std::string dir) : dir_(std::move(dir)) {}
    ~SqliteBenchStore() override { Release(); }
    std::string Name() const override { return "SqliteStore"; }
    RegistryStore& Fresh() override {
        Release();
        path_ = (std::filesystem::path(dir_) / ("zanver-bench-" + std::to_string(getpid()) + "-" +
                                                std::to_string(++files_) + ".db"))
                    .string();
        RemoveFiles();
        std::string error;
        store_ = SqliteStore::Open(path_, error);
        if (!store_)
            Fail(error);
        return *store_;
    }
    void Release() override {
        store_.reset();
        RemoveFiles();
    }
    // The size of the database file with its write-ahead log.
    std::uintmax_t FileBytes() const {
        std::uintmax_t total = 0;
        for (const char* suffix : {"", "-wal"}) {
            std::error_code ec;
            const auto size = std::filesystem::file_size(path_ + suffix, ec);
            total += ec ? 0 : size;
        }
        return total;
    }

  private:
    void RemoveFiles() {
        if (path_.empty())
            return;
        for (const char* suffix : {"", "-wal", "-shm", "-journal"}) {
            std::error_code ec;
            std::filesystem::remove(path_ + suffix, ec);
        }
    }

    std::string dir_;
    std::string path_;
    int files_ = 0;
    std::unique_ptr<SqliteStore> store_;
};
#endif

#ifdef _WIN32
class Win32BenchStore : public BenchStore {
  public:
    ~Win32BenchStore() override { Release(); }
    std::string Name() const override {
        return Win32Store::RunningUnderWine() ? "Win32Store (Wine)" : "Win32Store";
    }
    RegistryStore& Fresh() override {
        Clear();
        return store_;
    }
    void Release() override { Clear(); }
    RootKey Root() const override { return HKEY_CURRENT_USER; }
    std::string BasePath() const override { return kThrowAwayClasses; }

  private:
    void Clear() {
        ScopedActiveStore active(store_);
        if (KeyExists(HKEY_CURRENT_USER, kThrowAwayKey) &&
            !DeleteKeyTree(HKEY_CURRENT_USER, kThrowAwayKey))
            Fail("could not delete HKEY_CURRENT_USER\\" + std::string(kThrowAwayKey));
    }
    Win32Store store_;
};
#endif

using Clock = std::chrono::steady_clock;

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double MedianOf(std::vector<double> times) {
    if (times.empty())
        return 0;
    std::sort(times.begin(), times.end());
    const std::size_t n = times.size();
    return n % 2 == 1 ? times[n / 2] : (times[n / 2 - 1] + times[n / 2]) / 2;
}

struct Timing {
    double ms = 0;  // the median
    int runs = 0;
};

// Runs a measurement (which returns its own time in ms, so that it can leave
// out its set-up) up to maxRuns times, but no more once budgetSeconds of wall
// time (set-up included) have passed; the median of the runs.
Timing Median(int maxRuns, double budgetSeconds, const std::function<double()>& measure) {
    const auto start = Clock::now();
    std::vector<double> times;
    while (static_cast<int>(times.size()) < maxRuns) {
        times.push_back(measure());
        if (MillisecondsSince(start) > budgetSeconds * 1000)
            break;
    }
    return {MedianOf(times), static_cast<int>(times.size())};
}

std::string JoinPath(const std::string& base, const std::string& name) {
    return base.empty() ? name : base + "\\" + name;
}

struct Row {
    std::string store;
    double scale = 0;
    DataSetCounts counts;
    std::size_t rootSubKeys = 0;
    std::size_t copiedKeys = 0;
    int generateRuns = 0;
    int copyRuns = 0;
    double generateMs = 0;
    double enumerateMs = 0;
    double readMs = 0;
    double copyMs = 0;
    double deleteMs = 0;
    std::uint64_t peakBytes = 0;
    std::uint64_t serverPeakBytes = 0;
    std::uintmax_t fileBytes = 0;
};

// The number of keys of a subtree, the key itself included.
std::size_t CountKeys(RegistryStore& store, StoreKey parent, const std::string& path) {
    StoreKey key = 0;
    if (store.OpenKey(parent, path, kKeyRead, key) != 0)
        Fail("could not open " + path + " to count its keys");
    std::vector<std::string> names;
    std::string name;
    for (std::uint32_t i = 0; store.EnumKey(key, i, name) == 0; ++i)
        names.push_back(name);
    std::size_t count = 1;
    for (const std::string& child : names)
        count += CountKeys(store, key, child);
    store.CloseKey(key);
    return count;
}

Row Measure(BenchStore& bench, const Options& options, double scale) {
    Row row;
    row.store = bench.Name();
    row.scale = scale;
    const RootKey root = options.hasBase ? options.baseRoot : bench.Root();
    const std::string base = options.hasBase ? options.basePath : bench.BasePath();
    ResetPeakMemory();

    DataSetOptions generate;
    generate.scale = scale;
    generate.seed = options.seed;
    generate.root = root;
    generate.basePath = base;
    RegistryStore* store = nullptr;
    const Timing generated = Median(options.heavyRepeat, options.budget, [&] {
        store = &bench.Fresh();
        const auto start = Clock::now();
        const long rc = GenerateDataSet(*store, generate, &row.counts);
        const double ms = MillisecondsSince(start);
        if (rc != 0)
            Fail("generating the data set failed with error " + std::to_string(rc));
        return ms;
    });
    row.generateMs = generated.ms;
    row.generateRuns = generated.runs;
    ScopedActiveStore active(*store);

    // All subkey names of the classes root, as the file type list reads them.
    const Timing enumerated = Median(options.repeat, options.budget, [&] {
        const auto start = Clock::now();
        TRegistry registry(root);
        std::vector<std::string> names;
        if (!registry.OpenKey(base, false))
            Fail("could not open the classes root");
        registry.GetKeyNames(names);
        const double ms = MillisecondsSince(start);
        row.rootSubKeys = names.size();
        return ms;
    });
    row.enumerateMs = enumerated.ms;
    if (row.rootSubKeys != row.counts.extensions + row.counts.fileTypes + 1)
        Fail("the classes root enumerated " + std::to_string(row.rootSubKeys) + " subkeys");

    std::vector<std::string> extensions;
    for (std::size_t i = 0; i < row.counts.extensions; ++i)
        extensions.push_back(JoinPath(base, ExtensionName(i)));
    const Timing read = Median(options.repeat, options.budget, [&] {
        std::size_t found = 0;
        const auto start = Clock::now();
        for (const std::string& extension : extensions)
            found += ReadString(root, extension, "").empty() ? 0 : 1;
        const double ms = MillisecondsSince(start);
        if (found != extensions.size())
            Fail("read " + std::to_string(found) + " of " + std::to_string(extensions.size()) +
                 " extensions");
        return ms;
    });
    row.readMs = read.ms;

    const std::string source = JoinPath(base, kClassesKey);
    const std::string copy = JoinPath(base, kCopyName);
    row.copiedKeys = CountKeys(*store, root, source);
    if (row.copiedKeys != row.counts.classes * 3 + 1)
        Fail(source + " has " + std::to_string(row.copiedKeys) + " keys");
    std::vector<double> deletes;
    const Timing copied = Median(options.heavyRepeat, options.budget, [&] {
        TRegistry registry(root);
        const auto start = Clock::now();
        registry.MoveKey(source, copy, false);
        const double ms = MillisecondsSince(start);
        if (!KeyExists(root, copy))
            Fail("the copy of " + source + " is missing");
        const auto deleteStart = Clock::now();
        const bool deleted = DeleteKeyTree(root, copy);
        deletes.push_back(MillisecondsSince(deleteStart));
        if (!deleted || KeyExists(root, copy))
            Fail("could not delete the copy " + copy);
        return ms;
    });
    row.copyMs = copied.ms;
    row.copyRuns = copied.runs;
    row.deleteMs = MedianOf(deletes);

    row.peakBytes = PeakMemoryBytes();
    row.serverPeakBytes = WineServerPeakBytes();
#ifndef _WIN32
    if (auto* sqlite = dynamic_cast<SqliteBenchStore*>(&bench))
        row.fileBytes = sqlite->FileBytes();
#endif
    bench.Release();
    return row;
}

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

void PrintHeader() {
    std::printf("%-18s %5s %7s %7s %5s %10s %8s %8s %9s %9s %7s %7s\n", "store", "scale", "keys",
                "values", "runs", "generate", "enum", "read", "copy", "delete", "peak", "extra");
    std::printf("%-18s %5s %7s %7s %5s %10s %8s %8s %9s %9s %7s %7s\n", "", "", "", "", "", "ms",
                "ms", "ms", "ms", "ms", "MB", "MB");
}

void PrintRow(const Row& row) {
    char extra[32] = "-";
    if (row.serverPeakBytes > 0)
        std::snprintf(extra, sizeof extra, "%.1f", Megabytes(row.serverPeakBytes));
    else if (row.fileBytes > 0)
        std::snprintf(extra, sizeof extra, "%.1f", Megabytes(row.fileBytes));
    const std::string runs = std::to_string(row.generateRuns) + "/" + std::to_string(row.copyRuns);
    std::printf("%-18s %5.2f %7zu %7zu %5s %10.1f %8.2f %8.2f %9.1f %9.1f %7.1f %7s\n",
                row.store.c_str(), row.scale, row.counts.keys, row.counts.values, runs.c_str(),
                row.generateMs, row.enumerateMs, row.readMs, row.copyMs, row.deleteMs,
                Megabytes(row.peakBytes), extra);
    std::fflush(stdout);
}

// How each cost grew from the smallest to the largest data set, per key: 1.0
// is linear growth, 2.0 would be twice the cost per key.
void PrintGrowth(const std::vector<Row>& rows) {
    if (rows.size() < 2)
        return;
    const Row& small = rows.front();
    const Row& large = rows.back();
    const double keys =
        static_cast<double>(large.counts.keys) / static_cast<double>(small.counts.keys);
    auto ratio = [&](double a, double b) { return a > 0 ? b / a / keys : 0.0; };
    std::printf(
        "%-18s growth %.2f->%.2f (keys x%.2f), cost per key x: generate %.2f, enum %.2f, "
        "read %.2f, copy %.2f, delete %.2f\n",
        large.store.c_str(), small.scale, large.scale, keys,
        ratio(small.generateMs, large.generateMs), ratio(small.enumerateMs, large.enumerateMs),
        ratio(small.readMs, large.readMs), ratio(small.copyMs, large.copyMs),
        ratio(small.deleteMs, large.deleteMs));
    std::fflush(stdout);
}

std::vector<std::string> SplitList(const std::string& text) {
    std::vector<std::string> items;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t comma = std::min(text.find(',', start), text.size());
        if (comma > start)
            items.push_back(text.substr(start, comma - start));
        start = comma + 1;
    }
    return items;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
#ifdef _WIN32
    options.stores = {"win32"};
#else
    options.stores = {"memory", "sqlite"};
#endif
    options.dir = std::filesystem::temp_directory_path().string();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const std::size_t equals = arg.find('=');
        const std::string name = arg.substr(0, equals);
        const std::string value = equals == std::string::npos ? "" : arg.substr(equals + 1);
        try {
            if (name == "--stores") {
                options.stores = SplitList(value);
            } else if (name == "--scales") {
                options.scales.clear();
                for (const std::string& scale : SplitList(value))
                    options.scales.push_back(std::stod(scale));
            } else if (name == "--repeat") {
                options.repeat = std::max(1, std::stoi(value));
            } else if (name == "--heavy-repeat") {
                options.heavyRepeat = std::max(1, std::stoi(value));
            } else if (name == "--budget") {
                options.budget = std::stod(value);
            } else if (name == "--dir") {
                options.dir = value;
            } else if (name == "--seed") {
                options.seed = std::stoull(value);
            } else if (name == "--base") {
                const std::size_t slash = value.find('\\');
                options.baseRoot = RootKeyFromName(value.substr(0, slash));
                options.basePath = slash == std::string::npos ? "" : value.substr(slash + 1);
                options.hasBase = true;
                if (options.baseRoot == kUnknownRoot)
                    Fail("unknown root key in " + value);
            } else {
                Fail("unknown option " + arg);
            }
        } catch (const std::logic_error&) {
            Fail("bad value in " + arg);
        }
    }
    std::sort(options.scales.begin(), options.scales.end());
    return options;
}

std::unique_ptr<BenchStore> MakeStore(const std::string& name, const Options& options) {
    if (name == "memory")
        return std::make_unique<MemoryBenchStore>();
#ifdef _WIN32
    (void)options;
    if (name == "win32")
        return std::make_unique<Win32BenchStore>();
#else
    if (name == "sqlite")
        return std::make_unique<SqliteBenchStore>(options.dir);
#endif
    Fail("no store " + name + " on this platform");
}

}  // namespace

int Main(int argc, char** argv) {
    const Options options = ParseOptions(argc, argv);
    std::vector<std::vector<Row>> results;
    PrintHeader();
    try {
        for (const std::string& name : options.stores) {
            std::unique_ptr<BenchStore> bench = MakeStore(name, options);
            results.emplace_back();
            for (double scale : options.scales) {
                results.back().push_back(Measure(*bench, options, scale));
                PrintRow(results.back().back());
            }
        }
    } catch (const std::exception& e) {
        Fail(e.what());
    }
    std::printf("\n");
    for (const auto& rows : results)
        PrintGrowth(rows);
    const DataSetCounts full = PlannedCounts(1.0);
    std::printf(
        "\nmedian of %d runs (generate, copy, delete: of %d, fewer when they take over %.0f s;"
        " runs = generate/copy runs done);\nat scale 1: %zu extensions, %zu file "
        "types, %zu classes;\ncopy = TRegistry::MoveKey of CLSID without delete (%zu keys at scale "
        "1), delete = DeleteKeyTree of that copy;\npeak = %s; extra = %s\n",
        options.repeat, options.heavyRepeat, options.budget, full.extensions, full.fileTypes,
        full.classes, full.classes * 3 + 1,
#ifdef _WIN32
        "peak working set of the process (never reset: each row shows the highest so far)",
        "peak resident set (VmHWM) of the wineserver, which holds Wine's registry"
#else
        "peak resident set of the process during that row",
        "size of the SQLite file with its write-ahead log"
#endif
    );
    return 0;
}

}  // namespace zanver::bench

int main(int argc, char** argv) {
    return zanver::bench::Main(argc, argv);
}
