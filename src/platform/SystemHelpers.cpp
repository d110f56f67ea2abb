#include "SystemHelpers.h"

#include "ErrorBoxes.h"

#include <chrono>
#include <optional>

namespace zanver {

namespace {
std::optional<std::string_view> Absent(std::string_view text) {
    return text.empty() ? std::nullopt : std::optional<std::string_view>(text);
}

// Results above 32 mean success for both the shell and the program start.
constexpr std::intptr_t kLastFailureCode = 32;
}  // namespace

std::intptr_t ExecuteShell(WindowHandle window, std::string_view verb, std::string_view file,
                           std::string_view directory, std::string_view parameters, int showMode) {
    const std::intptr_t code = ActiveServices().ShellExecute(
        window, Absent(verb), file, Absent(parameters), Absent(directory), showMode);
    if (code <= kLastFailureCode) {
        std::string context;
        if (!verb.empty()) {
            context += verb;
            context += ' ';
        }
        context += file;
        if (!parameters.empty()) {
            context += ' ';
            context += parameters;
        }
        ShowLastError(context);
    }
    return code;
}

bool ExecuteCommand(std::string_view commandLine) {
    if (ActiveServices().StartProgram(commandLine, kShowNormal) > kLastFailureCode)
        return true;
    ShowLastError(commandLine);
    return false;
}

void PressKey(int virtualKey) {
    const auto key = static_cast<std::uint8_t>(virtualKey & 0xFF);
    if (key == 0 || key == 0xFF)
        return;
    PlatformServices& services = ActiveServices();
    const auto scanCode = static_cast<std::uint8_t>(services.ScanCodeOfKey(key) & 0xFF);
    services.SendKeyEvent(key, scanCode, false);
    services.SendKeyEvent(key, scanCode, true);
}

std::string SearchPathList() {
    PlatformServices& services = ActiveServices();
    std::string list = services.WindowsFolder() + ";" + services.SystemFolder();
    // PATH is taken in full however long it is (a search path cut short would
    // name a folder that does not exist), and only when it is set.
    if (const std::optional<std::string> path = services.EnvironmentVariable("PATH"))
        list += ";" + *path;
    return list;
}

std::string WindowText(WindowHandle window) {
    PlatformServices& services = ActiveServices();
    const int length = services.WindowTextLength(window);
    if (length <= 0)
        return {};
    return services.WindowTextUpTo(window, length + 1);
}

std::uint32_t TickCount() {
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace zanver
