#pragma once

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>
#include <string_view>

#include "Exception.h"

// Helpers shared by the fuzz targets: a failed invariant or an exception other
// than zanver::Exception aborts, which libFuzzer reports as a crash.
namespace zanver::fuzz {

[[noreturn]] inline void Fail(const char* what, std::string_view detail) {
    std::fprintf(stderr, "invariant failed: %s\n  %.*s\n", what, static_cast<int>(detail.size()),
                 detail.data());
    std::abort();
}

inline void Check(bool condition, const char* what, std::string_view detail = {}) {
    if (!condition)
        Fail(what, detail);
}

// Runs call; true when it returns, false when it raises zanver::Exception. Any
// other exception is a fault.
template <typename Call>
bool Succeeds(Call&& call) {
    try {
        call();
        return true;
    } catch (const Exception&) {
        return false;
    } catch (const std::exception& e) {
        Fail("unexpected exception", e.what());
    } catch (...) {
        Fail("unexpected exception", "not derived from std::exception");
    }
}

// Every line break (CR LF, lone CR, lone LF) as CR LF: what a string keeps
// when it passes through the escaped form.
inline std::string NormalizeLineBreaks(std::string_view text) {
    std::string result;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
            result += "\r\n";
        } else {
            result += text[i];
        }
    }
    return result;
}

inline std::string_view Trimmed(std::string_view text) {
    while (!text.empty() && static_cast<unsigned char>(text.front()) <= 32)
        text.remove_prefix(1);
    while (!text.empty() && static_cast<unsigned char>(text.back()) <= 32)
        text.remove_suffix(1);
    return text;
}

}  // namespace zanver::fuzz
