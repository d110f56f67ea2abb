#include "NameRules.h"

#include <utility>

#include "ErrorCodes.h"
#include "Store.h"

namespace zanver {

namespace {
char UpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}
}  // namespace

std::string FoldName(std::string_view name) {
    std::string folded(name);
    for (char& c : folded)
        c = UpperAscii(c);
    return folded;
}

int CompareNames(std::string_view a, std::string_view b) {
    const std::size_t n = a.size() < b.size() ? a.size() : b.size();
    for (std::size_t i = 0; i < n; ++i) {
        const auto ca = static_cast<unsigned char>(UpperAscii(a[i]));
        const auto cb = static_cast<unsigned char>(UpperAscii(b[i]));
        if (ca != cb)
            return ca < cb ? -1 : 1;
    }
    if (a.size() == b.size())
        return 0;
    return a.size() < b.size() ? -1 : 1;
}

bool SameName(std::string_view a, std::string_view b) {
    return a.size() == b.size() && CompareNames(a, b) == 0;
}

long SplitKeyPath(std::string_view path, std::vector<std::string>& names) {
    names.clear();
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    if (path.empty())
        return err::kSuccess;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        const std::string_view name = path.substr(
            start, end == std::string_view::npos ? std::string_view::npos : end - start);
        if (name.empty() || name.size() > kMaxKeyNameLength ||
            name.find('\0') != std::string_view::npos)
            return err::kInvalidParameter;
        names.emplace_back(name);
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return err::kSuccess;
}

long SplitMovePaths(std::string_view source, std::string_view dest,
                    std::vector<std::string>& sourceNames,
                    std::vector<std::string>& destParentNames, std::string& destName) {
    if (SplitKeyPath(source, sourceNames) != err::kSuccess ||
        SplitKeyPath(dest, destParentNames) != err::kSuccess || sourceNames.empty() ||
        destParentNames.empty())
        return err::kInvalidParameter;
    destName = std::move(destParentNames.back());
    destParentNames.pop_back();
    return err::kSuccess;
}

bool ValidValueName(std::string_view name) {
    return name.size() <= kMaxValueNameLength && name.find('\0') == std::string_view::npos;
}

}  // namespace zanver
