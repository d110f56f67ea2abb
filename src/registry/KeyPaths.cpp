#include "KeyPaths.h"

#include "NameRules.h"

namespace zanver {

namespace {

std::string_view WithoutLeadingBackslash(std::string_view key) {
    if (!key.empty() && key.front() == '\\')
        key.remove_prefix(1);
    return key;
}

}  // namespace

std::string FullKeyName(RootKey root, std::string_view key) {
    std::string result = RootKeyName(root);
    if (!key.empty()) {
        if (key.front() != '\\')
            result += '\\';
        result += key;
    }
    return result;
}

std::string FullValueName(RootKey root, std::string_view key, std::string_view name) {
    return FullKeyName(root, key) + "\\" + std::string(name);
}

void MapClassesRoot(RootKey& root, std::string& key) {
    if (root != HKEY_CLASSES_ROOT)
        return;
    root = HKEY_LOCAL_MACHINE;
    key = "Software\\Classes\\" + key;
}

bool IsSubKeyOf(RootKey root, std::string_view key, RootKey ancestorRoot,
                std::string_view ancestorKey) {
    std::string path(WithoutLeadingBackslash(key));
    std::string ancestor(WithoutLeadingBackslash(ancestorKey));
    MapClassesRoot(root, path);
    MapClassesRoot(ancestorRoot, ancestor);
    if (root != ancestorRoot || ancestor.size() >= path.size())
        return false;
    if (path[ancestor.size()] != '\\')
        return false;
    return SameName(std::string_view(path).substr(0, ancestor.size()), ancestor);
}

bool NamesRootKey(std::string_view path) {
    for (const char c : path)
        if (c != '\\' && static_cast<unsigned char>(c) > ' ')
            return false;
    return true;
}

std::string ExtractKeyName(std::string_view path) {
    const std::size_t pos = path.rfind('\\');
    return std::string(pos == std::string_view::npos ? path : path.substr(pos + 1));
}

std::string ExtractParentKey(std::string_view path) {
    const std::size_t pos = path.rfind('\\');
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(0, pos));
}

std::string FirstKeyName(std::string_view path) {
    return std::string(path.substr(0, path.find('\\')));
}

std::string StripFirstKeyName(std::string_view path) {
    const std::size_t pos = path.find('\\');
    return pos == std::string_view::npos ? std::string() : std::string(path.substr(pos + 1));
}

}  // namespace zanver
