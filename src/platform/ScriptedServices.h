#pragma once

#include "PlatformServices.h"

#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace zanver {

// Platform services for tests: records every call and answers from a script.
// Program starts and shell verbs succeed (result 33) unless a result has been
// scripted for them; each scripted result is used once, in order, and may set
// the last error code (LastError.h) as the real call would on failure.
class ScriptedServices : public PlatformServices {
  public:
    static constexpr unsigned kSuccessCode = 33;

    struct ShellCall {
        WindowHandle window = 0;
        std::optional<std::string> verb;
        std::string file;
        std::optional<std::string> parameters;
        std::optional<std::string> directory;
        int showMode = 0;
        bool operator==(const ShellCall&) const = default;
    };
    struct ProgramStart {
        std::string commandLine;
        int showMode = 0;
        bool operator==(const ProgramStart&) const = default;
    };
    struct KeyEvent {
        std::uint8_t virtualKey = 0;
        std::uint8_t scanCode = 0;
        bool keyUp = false;
        bool operator==(const KeyEvent&) const = default;
    };

    // Scripts the result of the next shell verb or program start, and the last
    // error code it leaves (none: the last error is not touched).
    void ScriptShellResult(std::intptr_t code, std::optional<long> lastError = std::nullopt);
    void ScriptStartResult(unsigned code, std::optional<long> lastError = std::nullopt);

    // What the services report; change freely in tests.
    std::map<std::uint8_t, unsigned> scanCodes;       // keys not listed map to 0
    std::map<WindowHandle, std::string> windowTexts;  // windows not listed have no text
    std::string windowsFolder = "C:\\WINDOWS";
    std::string systemFolder = "C:\\WINDOWS\\system32";
    // Looked up without regard to ASCII letter case, as on Windows.
    std::map<std::string, std::string> environment;

    // What was called, in order.
    std::vector<ShellCall> shellCalls;
    std::vector<ProgramStart> programStarts;
    std::vector<KeyEvent> keyEvents;

    std::intptr_t ShellExecute(WindowHandle window, std::optional<std::string_view> verb,
                               std::string_view file, std::optional<std::string_view> parameters,
                               std::optional<std::string_view> directory, int showMode) override;
    unsigned StartProgram(std::string_view commandLine, int showMode) override;
    unsigned ScanCodeOfKey(std::uint8_t virtualKey) override;
    void SendKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, bool keyUp) override;
    int WindowTextLength(WindowHandle window) override;
    std::string WindowTextUpTo(WindowHandle window, int bufferSize) override;
    std::string WindowsFolder() override { return windowsFolder; }
    std::string SystemFolder() override { return systemFolder; }
    std::optional<std::string> EnvironmentVariable(const std::string& name) override;

  private:
    struct Result {
        std::intptr_t code;
        std::optional<long> lastError;
    };
    static std::intptr_t TakeResult(std::deque<Result>& results);

    std::deque<Result> shellResults_;
    std::deque<Result> startResults_;
};

}  // namespace zanver
