// Measures the import and export of registry files against Wine's regedit on
// the same file. For each scale it generates the association data set, writes
// it as a "Windows Registry Editor Version 5.00" file and times
//
//   - our import of that file into a new SqliteStore file (ImportRegFile),
//   - our export of HKEY_CLASSES_ROOT from that store (ExportRegFile, 5.00),
//   - `wine regedit /s FILE` into a fresh Wine prefix,
//   - `wine regedit /e OUT HKEY_CLASSES_ROOT` from that prefix,
//
// with the peak memory of each: our process (getrusage, reset before each
// measurement), the wine process tree that was waited for (wait4), and the
// wineserver, which holds Wine's registry (VmHWM, reset before each step).
// Wine's export is then imported into a MemoryStore and every value of our
// store is looked up in it, so the run also shows that the data survived the
// round trip through Wine.
//
//   zanver-regfile-bench [--scales=0.25,0.5,1] [--repeat=N] [--dir=FOLDER]
//                        [--full=SCALE] [--optional=SHARE] [--seed=N]
//                        [--timeout=SECONDS] [--no-wine]
//
// Scale 1 is the data set of the generator at --full (0.5333: 80,000 keys)
// with --optional of its optional values (0.335: 105,000 values). Its file
// takes 23.5 MB, since every REG_EXPAND_SZ value is written as hex(2) bytes.
// Wine runs once per scale (a run takes tens of seconds), ours --repeat times
// (median). Each Wine prefix is a copy of one made with `wineboot -i` before
// any timing; its wineserver is started (`wineserver -p60`) and warmed up
// with `wine cmd /c exit` (timed, shown as "start") before regedit runs, so
// neither the server's start nor the prefix's set-up is counted. The regedit
// times do include starting the Wine process itself, which "start" shows.

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "BenchPlatform.h"
#include "DataSetGenerator.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "MemoryStore.h"
#include "RegFile.h"
#include "RootKeys.h"
#include "SqliteStore.h"

namespace zanver::bench {

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Options {
    std::vector<double> scales = {0.25, 0.5, 1.0};
    int repeat = 3;
    std::string dir;
    double full = 0.5333;
    double optional = 0.335;
    std::uint64_t seed = 1;
    int timeout = 300;
    bool wine = true;
};

[[noreturn]] void Fail(const std::string& message) {
    std::fflush(stdout);
    std::fprintf(stderr, "zanver-regfile-bench: %s\n", message.c_str());
    std::exit(1);
}

double MillisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n == 0 ? 0 : n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double Megabytes(std::uint64_t bytes) {
    return static_cast<double>(bytes) / (1024.0 * 1024.0);
}

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- Child processes ---------------------------------------------------------

struct RunResult {
    bool ok = false;  // exited with 0 within the time limit
    double ms = 0;
    std::uint64_t peakBytes = 0;  // of the process and the children it waited for
};

// Runs argv with the extra environment, output to logPath, killed (with its
// process group) after timeout seconds.
RunResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env,
              const std::string& logPath, int timeout) {
    RunResult result;
    const auto start = Clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        Fail("fork failed");
    if (pid == 0) {
        setpgid(0, 0);
        for (const std::string& entry : env)
            putenv(const_cast<char*>(entry.c_str()));
        unsetenv("DISPLAY");
        unsetenv("WAYLAND_DISPLAY");
        const int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
        const int null = open("/dev/null", O_RDONLY);
        if (log >= 0) {
            dup2(log, 1);
            dup2(log, 2);
        }
        if (null >= 0)
            dup2(null, 0);
        std::vector<char*> args;
        for (const std::string& arg : argv)
            args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        execvp(args[0], args.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    for (;;) {
        const pid_t done = wait4(pid, &status, WNOHANG, &usage);
        if (done == pid)
            break;
        if (MillisecondsSince(start) > timeout * 1000.0) {
            std::fprintf(stderr, "zanver-regfile-bench: %s ran over %d s, stopped\n",
                         argv.back().c_str(), timeout);
            kill(-pid, SIGKILL);
            wait4(pid, &status, 0, &usage);
            result.ms = MillisecondsSince(start);
            return result;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    result.ms = MillisecondsSince(start);
    result.ok = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    result.peakBytes = static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
    return result;
}

// The wineserver of a prefix, found through /proc by its environment.
class WineServerWatch {
  public:
    explicit WineServerWatch(const std::string& prefix) : wanted_("WINEPREFIX=" + prefix) {}

    bool Find() {
        pid_ = 0;
        for (const auto& entry : fs::directory_iterator("/proc")) {
            const std::string pid = entry.path().filename().string();
            if (pid.find_first_not_of("0123456789") != std::string::npos)
                continue;
            if (ReadWholeFile("/proc/" + pid + "/comm").rfind("wineserver", 0) != 0)
                continue;
            const std::string environment = ReadWholeFile("/proc/" + pid + "/environ");
            std::size_t at = 0;
            while (at < environment.size()) {
                const std::size_t end = environment.find('\0', at);
                const std::string entry = environment.substr(at, end - at);
                if (entry == wanted_)
                    pid_ = std::stoi(pid);
                if (end == std::string::npos)
                    break;
                at = end + 1;
            }
        }
        return pid_ != 0;
    }
    // Starts a new peak from the memory the server uses now.
    void ResetPeak() const {
        if (pid_ == 0)
            return;
        std::ofstream("/proc/" + std::to_string(pid_) + "/clear_refs") << "5";
    }
    std::uint64_t PeakBytes() const {
        if (pid_ == 0)
            return 0;
        const std::string status = ReadWholeFile("/proc/" + std::to_string(pid_) + "/status");
        const std::size_t at = status.find("VmHWM:");
        return at == std::string::npos ? 0
                                       : std::strtoull(status.c_str() + at + 6, nullptr, 10) * 1024;
    }

  private:
    std::string wanted_;
    int pid_ = 0;
};

// Wine sees the Unix root as drive Z:.
std::string WinePath(const std::string& path) {
    std::string result = "Z:" + path;
    std::replace(result.begin(), result.end(), '/', '\\');
    return result;
}

// ---- Store contents ------------------------------------------------------------

struct ValueData {
    std::uint32_t type = 0;
    std::vector<std::uint8_t> data;
};

// Calls visit(path, name, value) for every value below key, depth first.
void Walk(
    RegistryStore& store, StoreKey key, const std::string& path,
    const std::function<void(const std::string&, const std::string&, const ValueData&)>& visit,
    std::size_t& keys) {
    ++keys;
    std::string name;
    ValueData value;
    for (std::uint32_t i = 0;
         store.EnumValue(key, i, name, &value.type, &value.data) == err::kSuccess; ++i)
        visit(path, name, value);
    std::vector<std::string> subKeys;
    for (std::uint32_t i = 0; store.EnumKey(key, i, name) == err::kSuccess; ++i)
        subKeys.push_back(name);
    for (const std::string& sub : subKeys) {
        StoreKey child = 0;
        if (store.OpenKey(key, sub, kKeyRead, child) != err::kSuccess)
            Fail("cannot open " + path + "\\" + sub);
        Walk(store, child, path.empty() ? sub : path + "\\" + sub, visit, keys);
        store.CloseKey(child);
    }
}

struct Comparison {
    std::size_t keys = 0;     // keys below the root of the reference
    std::size_t values = 0;   // values of the reference
    std::size_t missing = 0;  // of them not found in the other store
    std::size_t changed = 0;  // found with another type or other bytes
    std::string firstProblem;
};

// Looks up every value of reference (below root) in other.
Comparison CompareInto(RegistryStore& reference, RegistryStore& other, RootKey root) {
    Comparison result;
    Walk(
        reference, root, "",
        [&](const std::string& path, const std::string& name, const ValueData& value) {
            ++result.values;
            StoreKey key = 0;
            ValueData found;
            bool present = other.OpenKey(root, path, kKeyRead, key) == err::kSuccess;
            if (present) {
                present = other.QueryValue(key, name, &found.type, &found.data) == err::kSuccess;
                other.CloseKey(key);
            }
            const bool same = present && found.type == value.type && found.data == value.data;
            if (!present)
                ++result.missing;
            else if (!same)
                ++result.changed;
            if (!same && result.firstProblem.empty())
                result.firstProblem = path + " \"" + name + "\"";
        },
        result.keys);
    return result;
}

// ---- The measurements ------------------------------------------------------------

struct Row {
    double scale = 0;
    std::size_t keys = 0;
    std::size_t values = 0;
    std::uint64_t fileBytes = 0;
    double importMs = 0, exportMs = 0;
    std::uint64_t importPeak = 0, exportPeak = 0;
    std::uint64_t exportBytes = 0;
    bool wine = false;
    double wineStartMs = 0, wineImportMs = 0, wineExportMs = 0;
    std::uint64_t wineImportPeak = 0, wineExportPeak = 0;      // the wine process
    std::uint64_t serverImportPeak = 0, serverExportPeak = 0;  // the wineserver
    std::uint64_t wineExportBytes = 0;
    std::size_t wineExportKeys = 0;
    Comparison roundTrip;
};

class Bench {
  public:
    explicit Bench(Options options) : options_(std::move(options)) {}

    void Prepare() {
        fs::create_directories(options_.dir);
        if (!options_.wine)
            return;
        template_ = options_.dir + "/wine-template";
        fs::remove_all(template_);
        const std::vector<std::string> env = WineEnvironment(template_);
        std::printf("== setting up the Wine prefix (not timed) ...\n");
        std::fflush(stdout);
        if (!Run({"wine", "wineboot", "-i"}, env, Log(), options_.timeout).ok)
            Fail("wineboot -i failed; see " + Log());
        Run({"wineserver", "-w"}, env, Log(), options_.timeout);
    }

    Row Measure(double scale) {
        Row row;
        row.scale = scale;
        const std::string tag = std::to_string(static_cast<int>(scale * 100 + 0.5));
        const std::string file = options_.dir + "/dataset-" + tag + ".reg";
        GenerateFile(scale, file, row);

        // Ours: import into a new SqliteStore file, then export its classes root.
        const std::string db = options_.dir + "/import-" + tag + ".db";
        const std::string ours = options_.dir + "/ours-" + tag + ".reg";
        std::unique_ptr<SqliteStore> store;
        std::vector<double> imports, exports;
        for (int run = 0; run < options_.repeat; ++run) {
            store.reset();
            RemoveDatabase(db);
            std::string error;
            store = SqliteStore::Open(db, error);
            if (!store)
                Fail(error);
            ResetPeakMemory();
            auto start = Clock::now();
            const RegImportResult imported = ImportRegFile(*store, file);
            imports.push_back(MillisecondsSince(start));
            row.importPeak = std::max(row.importPeak, PeakMemoryBytes());
            if (imported.values != row.values)
                Fail("import wrote " + std::to_string(imported.values) + " values, not " +
                     std::to_string(row.values));
        }
        for (int run = 0; run < options_.repeat; ++run) {
            ResetPeakMemory();
            auto start = Clock::now();
            ExportRegFile(*store, HKEY_CLASSES_ROOT, "", ours, RegFormat::Version5);
            exports.push_back(MillisecondsSince(start));
            row.exportPeak = std::max(row.exportPeak, PeakMemoryBytes());
        }
        row.importMs = Median(imports);
        row.exportMs = Median(exports);
        row.exportBytes = fs::file_size(ours);

        if (options_.wine)
            MeasureWine(tag, file, *store, row);
        store.reset();
        RemoveDatabase(db);
        fs::remove(ours);
        fs::remove(file);
        return row;
    }

    std::string Log() const { return options_.dir + "/wine.log"; }

  private:
    void GenerateFile(double scale, const std::string& file, Row& row) {
        MemoryStore source;
        DataSetOptions data;
        data.scale = scale * options_.full;
        data.seed = options_.seed;
        data.optionalValues = options_.optional;
        DataSetCounts counts;
        if (const long rc = GenerateDataSet(source, data, &counts); rc != err::kSuccess)
            Fail("generating the data set failed with error " + std::to_string(rc));
        ExportRegFile(source, HKEY_CLASSES_ROOT, "", file, RegFormat::Version5);
        row.keys = counts.keys;
        row.values = counts.values;
        row.fileBytes = fs::file_size(file);
    }

    void MeasureWine(const std::string& tag, const std::string& file, RegistryStore& ours,
                     Row& row) {
        const std::string prefix = options_.dir + "/wine-" + tag;
        const std::string out = options_.dir + "/wine-export-" + tag + ".reg";
        fs::remove_all(prefix);
        fs::remove(out);
        fs::copy(template_, prefix, fs::copy_options::recursive | fs::copy_options::copy_symlinks);
        const std::vector<std::string> env = WineEnvironment(prefix);
        Run({"wineserver", "-p60"}, env, Log(), options_.timeout);
        const RunResult warm = Run({"wine", "cmd", "/c", "exit"}, env, Log(), options_.timeout);
        WineServerWatch server(prefix);
        if (!warm.ok || !server.Find())
            Fail("Wine did not start in " + prefix + "; see " + Log());
        row.wineStartMs = warm.ms;

        server.ResetPeak();
        const RunResult imported =
            Run({"wine", "regedit", "/s", WinePath(file)}, env, Log(), options_.timeout);
        row.serverImportPeak = server.PeakBytes();
        server.ResetPeak();
        const RunResult exported =
            Run({"wine", "regedit", "/e", WinePath(out), "HKEY_CLASSES_ROOT"}, env, Log(),
                options_.timeout);
        row.serverExportPeak = server.PeakBytes();
        Run({"wineserver", "-k"}, env, Log(), options_.timeout);
        if (!imported.ok || !exported.ok || !fs::exists(out))
            Fail("wine regedit failed in " + prefix + "; see " + Log());
        row.wine = true;
        row.wineImportMs = imported.ms;
        row.wineImportPeak = imported.peakBytes;
        row.wineExportMs = exported.ms;
        row.wineExportPeak = exported.peakBytes;
        row.wineExportBytes = fs::file_size(out);

        // Every value of our store must come back from Wine unchanged.
        MemoryStore back;
        ImportRegFile(back, out);
        row.roundTrip = CompareInto(ours, back, HKEY_CLASSES_ROOT);
        std::size_t keys = 0;
        Walk(
            back, HKEY_CLASSES_ROOT, "", [](const auto&, const auto&, const auto&) {}, keys);
        row.wineExportKeys = keys - 1;  // the root itself is no key of the file
        fs::remove(out);
        fs::remove_all(prefix);
    }

    static std::vector<std::string> WineEnvironment(const std::string& prefix) {
        return {"WINEPREFIX=" + prefix, "WINEDEBUG=-all", "WINEDLLOVERRIDES=mscoree,mshtml="};
    }

    static void RemoveDatabase(const std::string& path) {
        for (const char* suffix : {"", "-wal", "-shm", "-journal"})
            fs::remove(path + suffix);
    }

    Options options_;
    std::string template_;
};

// ---- Output ----------------------------------------------------------------------

void PrintRows(const std::vector<Row>& rows) {
    std::printf("\n%-6s %7s %7s %6s | %9s %6s %9s %6s | %6s %9s %6s %6s %9s %6s %6s %7s\n", "scale",
                "keys", "values", "file", "import", "peak", "export", "peak", "start", "w-import",
                "proc", "server", "w-export", "proc", "server", "w-keys");
    std::printf("%-6s %7s %7s %6s | %9s %6s %9s %6s | %6s %9s %6s %6s %9s %6s %6s %7s\n", "", "",
                "", "MB", "ms", "MB", "ms", "MB", "ms", "ms", "MB", "MB", "ms", "MB", "MB", "");
    for (const Row& r : rows) {
        std::printf("%-6.2f %7zu %7zu %6.1f | %9.1f %6.1f %9.1f %6.1f", r.scale, r.keys, r.values,
                    Megabytes(r.fileBytes), r.importMs, Megabytes(r.importPeak), r.exportMs,
                    Megabytes(r.exportPeak));
        if (r.wine)
            std::printf(" | %6.0f %9.0f %6.1f %6.1f %9.0f %6.1f %6.1f %7zu\n", r.wineStartMs,
                        r.wineImportMs, Megabytes(r.wineImportPeak), Megabytes(r.serverImportPeak),
                        r.wineExportMs, Megabytes(r.wineExportPeak), Megabytes(r.serverExportPeak),
                        r.wineExportKeys);
        else
            std::printf(" | %6s\n", "-");
    }
    std::printf("\n");
    for (const Row& r : rows) {
        if (!r.wine)
            continue;
        std::printf(
            "scale %.2f: Wine/ours import %.1fx, export %.1fx (per key exported: %.1fx); "
            "export %.1f MB ours, %.1f MB Wine's; round trip through Wine: %zu of %zu values "
            "intact (%zu missing, %zu changed%s%s)\n",
            r.scale, r.wineImportMs / r.importMs, r.wineExportMs / r.exportMs,
            (r.wineExportMs / static_cast<double>(r.wineExportKeys)) /
                (r.exportMs / static_cast<double>(r.keys)),
            Megabytes(r.exportBytes), Megabytes(r.wineExportBytes),
            r.roundTrip.values - r.roundTrip.missing - r.roundTrip.changed, r.roundTrip.values,
            r.roundTrip.missing, r.roundTrip.changed,
            r.roundTrip.firstProblem.empty() ? "" : "; first: ", r.roundTrip.firstProblem.c_str());
    }
    if (rows.size() >= 2) {
        const Row& a = rows.front();
        const Row& b = rows.back();
        const double growth = static_cast<double>(b.keys) / static_cast<double>(a.keys);
        auto perKey = [&](double first, double last) { return (last / first) / growth; };
        std::printf("growth %.2f->%.2f (keys x%.2f), cost per key x: import %.2f, export %.2f",
                    a.scale, b.scale, growth, perKey(a.importMs, b.importMs),
                    perKey(a.exportMs, b.exportMs));
        if (a.wine && b.wine)
            std::printf(", Wine import %.2f, Wine export %.2f",
                        perKey(a.wineImportMs - a.wineStartMs, b.wineImportMs - b.wineStartMs),
                        perKey(a.wineExportMs - a.wineStartMs, b.wineExportMs - b.wineStartMs));
        std::printf("\n");
    }
    std::printf(
        "ours: median of the runs; Wine: one run each (regedit times include starting the Wine "
        "process, \"start\"; the growth of Wine's costs leaves that out); peak: ours getrusage, "
        "\"proc\" the wine process (wait4), \"server\" the wineserver's VmHWM\n");
}

std::vector<double> ParseScales(const std::string& text) {
    std::vector<double> scales;
    std::size_t at = 0;
    while (at <= text.size()) {
        const std::size_t end = text.find(',', at);
        const std::string part = text.substr(at, end == std::string::npos ? end : end - at);
        const double scale = std::atof(part.c_str());
        if (scale <= 0)
            Fail("bad scale: " + part);
        scales.push_back(scale);
        if (end == std::string::npos)
            break;
        at = end + 1;
    }
    return scales;
}

Options ParseOptions(int argc, char** argv) {
    Options options;
    options.dir = (fs::temp_directory_path() / "zanver-regfile-bench").string();
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const std::string& name) -> const char* {
            return arg.rfind(name + "=", 0) == 0 ? arg.c_str() + name.size() + 1 : nullptr;
        };
        if (const char* v = value("--scales"))
            options.scales = ParseScales(v);
        else if (const char* v = value("--repeat"))
            options.repeat = std::max(1, std::atoi(v));
        else if (const char* v = value("--dir"))
            options.dir = fs::absolute(v).string();
        else if (const char* v = value("--full"))
            options.full = std::atof(v);
        else if (const char* v = value("--optional"))
            options.optional = std::atof(v);
        else if (const char* v = value("--seed"))
            options.seed = std::strtoull(v, nullptr, 10);
        else if (const char* v = value("--timeout"))
            options.timeout = std::max(10, std::atoi(v));
        else if (arg == "--no-wine")
            options.wine = false;
        else
            Fail("unknown option " + arg);
    }
    return options;
}

}  // namespace

}  // namespace zanver::bench

int main(int argc, char** argv) {
    using namespace zanver::bench;
    try {
        const Options options = ParseOptions(argc, argv);
        Bench bench(options);
        bench.Prepare();
        std::vector<Row> rows;
        for (double scale : options.scales) {
            std::printf("== scale %.2f ...\n", scale);
            std::fflush(stdout);
            rows.push_back(bench.Measure(scale));
        }
        PrintRows(rows);
    } catch (const zanver::Exception& e) {
        Fail(e.what());
    }
    return 0;
}
