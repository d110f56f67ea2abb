#include "StoreLocation.h"

#include <cstdlib>
#include <string_view>

#include "Exception.h"

namespace zanver {

namespace {

constexpr std::string_view kStoreOption = "--store";
constexpr const char* kStoreFile = "zanver/registry.db";

std::optional<std::string> ProcessVariable(const std::string& name) {
    const char* value = std::getenv(name.c_str());
    if (!value)
        return std::nullopt;
    return std::string(value);
}

std::string NonEmpty(const EnvironmentLookup& environment, const char* name) {
    const std::optional<std::string> value = environment(name);
    return value ? *value : std::string();
}

}  // namespace

std::string DefaultStorePath(const EnvironmentLookup& environment) {
    const std::string dataHome = NonEmpty(environment, "XDG_DATA_HOME");
    // Relative paths in XDG_DATA_HOME are invalid and are to be ignored.
    if (!dataHome.empty() && dataHome.front() == '/')
        return dataHome + (dataHome.back() == '/' ? "" : "/") + kStoreFile;
    std::string home = NonEmpty(environment, "HOME");
    if (home.empty())
        throw Exception(
            "The folder of the registry store is unknown: neither XDG_DATA_HOME nor HOME is set");
    if (home.back() == '/')
        home.pop_back();
    return home + "/.local/share/" + kStoreFile;
}

std::string DefaultStorePath() {
    return DefaultStorePath(ProcessVariable);
}

namespace {

[[noreturn]] void MissingStoreName() {
    throw Exception("The option --store needs the name of the registry store file");
}

// The store file given by --store options among args (the last one wins), or
// the empty text; marks the arguments that belong to those options.
std::string StoreOption(const std::vector<std::string>& args, std::vector<bool>& consumed) {
    consumed.assign(args.size(), false);
    std::string chosen;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg == kStoreOption) {
            if (i + 1 >= args.size() || args[i + 1].empty())
                MissingStoreName();
            chosen = args[i + 1];
            consumed[i] = consumed[i + 1] = true;
            ++i;
        } else if (arg.starts_with(kStoreOption) && arg.size() > kStoreOption.size() &&
                   arg[kStoreOption.size()] == '=') {
            chosen = arg.substr(kStoreOption.size() + 1);
            if (chosen.empty())
                MissingStoreName();
            consumed[i] = true;
        }
    }
    return chosen;
}

std::string ChooseFrom(const std::string& option, const EnvironmentLookup& environment) {
    if (!option.empty())
        return option;
    const std::string fromEnvironment = NonEmpty(environment, kStoreEnvironmentVariable);
    if (!fromEnvironment.empty())
        return fromEnvironment;
    return DefaultStorePath(environment);
}

}  // namespace

std::string ChooseStorePath(std::vector<std::string>& args, const EnvironmentLookup& environment) {
    std::vector<bool> consumed;
    const std::string option = StoreOption(args, consumed);
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (!consumed[i])
            rest.push_back(std::move(args[i]));
    args = std::move(rest);
    return ChooseFrom(option, environment);
}

std::string ChooseStorePath(int& argc, char** argv) {
    if (argc < 1)
        return ChooseFrom(std::string(), ProcessVariable);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<bool> consumed;
    const std::string option = StoreOption(args, consumed);
    int kept = 1;
    for (int i = 1; i < argc; ++i)
        if (!consumed[static_cast<std::size_t>(i - 1)])
            argv[kept++] = argv[i];
    argc = kept;
    argv[argc] = nullptr;
    return ChooseFrom(option, ProcessVariable);
}

}  // namespace zanver
