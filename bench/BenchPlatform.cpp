#include "BenchPlatform.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
// After <windows.h>.
#include <psapi.h>
#else
#include <malloc.h>
#include <sys/resource.h>
#endif

namespace zanver::bench {

#ifdef _WIN32

namespace {

std::string ReadWholeFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return {};
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The number of kB on the "name:" line of a /proc status text, in bytes.
std::uint64_t StatusKilobytes(const std::string& status, const std::string& name) {
    const std::size_t at = status.find(name + ":");
    if (at == std::string::npos)
        return 0;
    return std::strtoull(status.c_str() + at + name.size() + 1, nullptr, 10) * 1024;
}

}  // namespace

std::uint64_t PeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters))
        return 0;
    return counters.PeakWorkingSetSize;
}

bool ResetPeakMemory() {
    return false;
}

std::uint64_t WineServerPeakBytes() {
    // Wine maps the Unix root to drive Z:.
    const std::string proc = "Z:\\proc\\";
    const char* prefix = std::getenv("WINEPREFIX");
    const std::string wanted = prefix ? std::string("WINEPREFIX=") + prefix : std::string();
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((proc + "*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return 0;
    std::vector<std::uint64_t> peaks;
    do {
        const std::string pid = found.cFileName;
        if (pid.empty() || pid.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const std::string comm = ReadWholeFile(proc + pid + "\\comm");
        if (comm.rfind("wineserver", 0) != 0)
            continue;
        if (!wanted.empty()) {
            // The environment is a list of zero-terminated entries.
            const std::string environment = ReadWholeFile(proc + pid + "\\environ");
            std::istringstream entries(environment);
            std::string entry;
            bool same = false;
            while (std::getline(entries, entry, '\0'))
                same = same || entry == wanted;
            if (!same)
                continue;
        }
        peaks.push_back(StatusKilobytes(ReadWholeFile(proc + pid + "\\status"), "VmHWM"));
    } while (FindNextFileA(search, &found));
    FindClose(search);
    return peaks.size() == 1 ? peaks.front() : 0;
}

#else

std::uint64_t PeakMemoryBytes() {
    rusage usage{};
    if (getrusage(RUSAGE_SELF, &usage) != 0)
        return 0;
    return static_cast<std::uint64_t>(usage.ru_maxrss) * 1024;
}

bool ResetPeakMemory() {
    malloc_trim(0);
    // Writing 5 resets the peak resident set size to the current one.
    std::FILE* file = std::fopen("/proc/self/clear_refs", "w");
    if (!file)
        return false;
    const bool written = std::fputs("5", file) >= 0;
    return std::fclose(file) == 0 && written;
}

std::uint64_t WineServerPeakBytes() {
    return 0;
}

#endif

}  // namespace zanver::bench
