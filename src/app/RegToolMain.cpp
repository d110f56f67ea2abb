// zanver-reg: queries and changes the registry store from the command line.
#include <iostream>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "ProgramStore.h"
#include "RegCommands.h"
#include "ResetStore.h"
#include "SeedRegistry.h"
#include "StoreLocation.h"

int main(int argc, char** argv) {
    const std::string path = zanver::ChooseStorePath(argc, argv);
    const std::vector<std::string> args(argv + 1, argv + argc);
    if (path.empty()) {
        std::cerr << "No store file: give one with --store PATH.\n";
        return 2;
    }
    if (args.empty() || args[0] == "--help" || args[0] == "-h")
        return zanver::RunRegCommand(args, std::cout, std::cerr);
    zanver::IgnoreFileSizeSignal();
    if (args[0] == zanver::kResetStoreOption)
        return zanver::RunResetStore(args, path, zanver::SeedRegistryText(), std::cin, std::cout,
                                     std::cerr);

    int exitCode = 0;
    const auto store = zanver::OpenProgramStore(path, std::cerr, exitCode);
    if (!store)
        return exitCode;
    zanver::ScopedActiveStore active(*store);
    return zanver::RunRegCommand(args, std::cout, std::cerr);
}
