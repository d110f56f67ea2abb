#include "ResetStore.h"

#include <istream>
#include <ostream>

#include "RegCommands.h"
#include "SeededStore.h"
#include "StrUtils.h"

namespace zanver {

namespace {

bool AskToReplace(const std::string& path, std::istream& in, std::ostream& err) {
    err << "Replace the store " << path
        << " with the bundled associations? Everything in it will be lost. [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in, answer))
        return false;
    answer = LowerCaseAscii(Trim(answer));
    return answer == "y" || answer == "yes";
}

}  // namespace

int RunResetStore(const std::vector<std::string>& args, const std::string& path,
                  std::string_view seedText, std::istream& in, std::ostream& out,
                  std::ostream& err) {
    bool assumeYes = false;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--yes" || args[i] == "-y") {
            assumeYes = true;
        } else {
            err << kResetStoreOption << " takes no arguments but --yes.\n" << RegToolUsage();
            return 2;
        }
    }
    if (!assumeYes && !AskToReplace(path, in, err)) {
        err << "The store was not changed.\n";
        return 1;
    }
    std::string error;
    if (!RemoveStoreFiles(path, error)) {
        err << error << '\n';
        return 1;
    }
    if (!OpenSeededStore(path, seedText, error)) {
        err << error << '\n';
        return 1;
    }
    out << "The store " << path << " now holds the bundled associations.\n";
    return 0;
}

}  // namespace zanver
