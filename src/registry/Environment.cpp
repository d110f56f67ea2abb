#include "Environment.h"

#include "NameRules.h"

#include <cstdlib>

#ifdef _WIN32
#include <windows.h>

#include <vector>
#else
extern char** environ;
#endif

namespace zanver {

std::string ExpandEnvironment(std::string_view text, const EnvironmentLookup& lookup) {
    std::string result;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t open = text.find('%', pos);
        if (open == std::string_view::npos) {
            result.append(text.substr(pos));
            break;
        }
        result.append(text.substr(pos, open - pos));
        const std::size_t close = text.find('%', open + 1);
        if (close == std::string_view::npos) {
            result.append(text.substr(open));  // an unpaired "%" stays
            break;
        }
        const std::string name(text.substr(open + 1, close - open - 1));
        std::optional<std::string> value;
        if (!name.empty())
            value = lookup(name);
        if (value)
            result.append(*value);
        else
            result.append(text.substr(open, close - open + 1));
        pos = close + 1;
        if (result.size() >= kExpandBufferSize)
            return std::string(text);
    }
    if (result.size() >= kExpandBufferSize)
        return std::string(text);
    return result;
}

#ifdef _WIN32

std::optional<std::string> EnvironmentValue(const std::string& name) {
    // The lookup must not disturb the last error that a caller may still report.
    const DWORD savedError = GetLastError();
    std::optional<std::string> result;
    std::vector<char> buffer(256);
    for (;;) {
        SetLastError(0);
        const DWORD n =
            GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) {
            if (GetLastError() != ERROR_ENVVAR_NOT_FOUND)
                result = std::string();  // a variable with an empty value
            break;
        }
        if (n < buffer.size()) {
            result = std::string(buffer.data(), n);
            break;
        }
        buffer.resize(n);
    }
    SetLastError(savedError);
    return result;
}

std::string ExpandEnvironment(std::string_view text) {
    const std::string source(text);
    char buffer[kExpandBufferSize];
    const DWORD n = ExpandEnvironmentStringsA(source.c_str(), buffer, sizeof buffer);
    if (n == 0 || n > sizeof buffer)
        return source;
    return std::string(buffer);
}

#else

std::optional<std::string> EnvironmentValue(const std::string& name) {
    if (const char* value = std::getenv(name.c_str()))
        return std::string(value);
    for (char** entry = environ; entry && *entry; ++entry) {
        const std::string_view item(*entry);
        const std::size_t equals = item.find('=');
        if (equals != std::string_view::npos && SameName(item.substr(0, equals), name))
            return std::string(item.substr(equals + 1));
    }
    return std::nullopt;
}

std::string ExpandEnvironment(std::string_view text) {
    return ExpandEnvironment(text, EnvironmentValue);
}

#endif

}  // namespace zanver
