#include "ProgramStore.h"

#include <csignal>

#include "SeedRegistry.h"
#include "SeededStore.h"

namespace zanver {

std::unique_ptr<SqliteStore> OpenProgramStore(const std::string& path, std::ostream& err,
                                              int& exitCode) {
    if (path.empty()) {
        err << "No store file: give one with --store PATH.\n";
        exitCode = 2;
        return nullptr;
    }
    IgnoreFileSizeSignal();
    std::string error;
    auto store = OpenSeededStore(path, SeedRegistryText(), error);
    if (!store) {
        err << error << '\n';
        exitCode = 1;
    }
    return store;
}

void IgnoreFileSizeSignal() {
#ifdef SIGXFSZ
    std::signal(SIGXFSZ, SIG_IGN);
#endif
}

}  // namespace zanver
