#include "ScriptedServices.h"

#include "LastError.h"
#include "NameRules.h"

namespace zanver {

namespace {
std::optional<std::string> Copy(std::optional<std::string_view> text) {
    return text ? std::optional<std::string>(std::string(*text)) : std::nullopt;
}
}  // namespace

void ScriptedServices::ScriptShellResult(std::intptr_t code, std::optional<long> lastError) {
    shellResults_.push_back({code, lastError});
}

void ScriptedServices::ScriptStartResult(unsigned code, std::optional<long> lastError) {
    startResults_.push_back({static_cast<std::intptr_t>(code), lastError});
}

std::intptr_t ScriptedServices::TakeResult(std::deque<Result>& results) {
    if (results.empty())
        return kSuccessCode;
    const Result result = results.front();
    results.pop_front();
    if (result.lastError)
        SetLastErrorCode(*result.lastError);
    return result.code;
}

std::intptr_t ScriptedServices::ShellExecute(WindowHandle window,
                                             std::optional<std::string_view> verb,
                                             std::string_view file,
                                             std::optional<std::string_view> parameters,
                                             std::optional<std::string_view> directory,
                                             int showMode) {
    shellCalls.push_back(
        {window, Copy(verb), std::string(file), Copy(parameters), Copy(directory), showMode});
    return TakeResult(shellResults_);
}

unsigned ScriptedServices::StartProgram(std::string_view commandLine, int showMode) {
    programStarts.push_back({std::string(commandLine), showMode});
    return static_cast<unsigned>(TakeResult(startResults_));
}

unsigned ScriptedServices::ScanCodeOfKey(std::uint8_t virtualKey) {
    const auto found = scanCodes.find(virtualKey);
    return found == scanCodes.end() ? 0 : found->second;
}

void ScriptedServices::SendKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, bool keyUp) {
    keyEvents.push_back({virtualKey, scanCode, keyUp});
}

int ScriptedServices::WindowTextLength(WindowHandle window) {
    const auto found = windowTexts.find(window);
    return found == windowTexts.end() ? 0 : static_cast<int>(found->second.size());
}

std::string ScriptedServices::WindowTextUpTo(WindowHandle window, int bufferSize) {
    const auto found = windowTexts.find(window);
    if (found == windowTexts.end() || bufferSize <= 1)
        return {};
    return found->second.substr(0, static_cast<std::size_t>(bufferSize - 1));
}

std::optional<std::string> ScriptedServices::EnvironmentVariable(const std::string& name) {
    for (const auto& [key, value] : environment)
        if (SameName(key, name))
            return value;
    return std::nullopt;
}

}  // namespace zanver
