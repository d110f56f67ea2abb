#include "StoreLocation.h"

#include <cstdlib>
#include <string_view>

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
        return std::string();
    if (home.back() == '/')
        home.pop_back();
    return home + "/.local/share/" + kStoreFile;
}

std::string DefaultStorePath() {
    return DefaultStorePath(ProcessVariable);
}

namespace {

struct StoreOption {
    bool given = false;
    bool missingName = false;  // some --store had no file name
    std::string path;
};

// The store file given by --store options among args (the last one wins);
// marks the arguments that belong to those options.
StoreOption FindStoreOption(const std::vector<std::string>& args, std::vector<bool>& consumed) {
    consumed.assign(args.size(), false);
    StoreOption option;
    for (std::size_t i = 0; i < args.size() && args[i] != "--"; ++i) {
        const std::string& arg = args[i];
        if (arg == kStoreOption) {
            option.given = true;
            consumed[i] = true;
            if (i + 1 < args.size()) {
                option.path = args[++i];
                consumed[i] = true;
            } else {
                option.path.clear();
            }
        } else if (arg.starts_with(kStoreOption) && arg.size() > kStoreOption.size() &&
                   arg[kStoreOption.size()] == '=') {
            option.given = true;
            consumed[i] = true;
            option.path = arg.substr(kStoreOption.size() + 1);
        } else {
            continue;
        }
        option.missingName = option.missingName || option.path.empty();
    }
    return option;
}

std::string ChooseFrom(const StoreOption& option, const EnvironmentLookup& environment) {
    if (option.missingName)
        return std::string();
    if (option.given)
        return option.path;
    const std::string fromEnvironment = NonEmpty(environment, kStoreEnvironmentVariable);
    if (!fromEnvironment.empty())
        return fromEnvironment;
    return DefaultStorePath(environment);
}

}  // namespace

std::string ChooseStorePath(std::vector<std::string>& args, const EnvironmentLookup& environment) {
    std::vector<bool> consumed;
    const StoreOption option = FindStoreOption(args, consumed);
    std::vector<std::string> rest;
    for (std::size_t i = 0; i < args.size(); ++i)
        if (!consumed[i])
            rest.push_back(std::move(args[i]));
    args = std::move(rest);
    return ChooseFrom(option, environment);
}

std::string ChooseStorePath(int& argc, char** argv) {
    if (argc < 1)
        return ChooseFrom(StoreOption(), ProcessVariable);
    const std::vector<std::string> args(argv + 1, argv + argc);
    std::vector<bool> consumed;
    const StoreOption option = FindStoreOption(args, consumed);
    int kept = 1;
    for (int i = 1; i < argc; ++i)
        if (!consumed[static_cast<std::size_t>(i - 1)])
            argv[kept++] = argv[i];
    argc = kept;
    argv[argc] = nullptr;
    return ChooseFrom(option, ProcessVariable);
}

}  // namespace zanver
