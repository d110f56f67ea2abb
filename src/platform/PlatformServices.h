#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace zanver {

// An opaque window handle of the platform; 0 is no window.
using WindowHandle = std::uintptr_t;

// Show states for started programs and opened files (the platform's numbers).
inline constexpr int kShowHide = 0;
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;
inline constexpr int kShowDefault = 10;

// The shell, kernel and window services the program needs from the platform.
// Each call behaves like its Windows counterpart, including its result codes,
// and sets the last error (LastError.h) when it fails, so the program reports
// failures the same way on every platform.
class PlatformServices {
  public:
    virtual ~PlatformServices() = default;

    // Performs verb on file, like ShellExecuteA (absent verb: the default verb);
    // a result of 32 or less is a failure.
    virtual std::intptr_t ShellExecute(WindowHandle window, std::optional<std::string_view> verb,
                                       std::string_view file,
                                       std::optional<std::string_view> parameters,
                                       std::optional<std::string_view> directory, int showMode) = 0;
    // Starts a command line as a program, like WinExec; a result of 32 or less
    // is a failure.
    virtual unsigned StartProgram(std::string_view commandLine, int showMode) = 0;

    // The scan code that the keyboard maps a virtual key to (0 when none).
    virtual unsigned ScanCodeOfKey(std::uint8_t virtualKey) = 0;
    // Synthesises one key press or release.
    virtual void SendKeyEvent(std::uint8_t virtualKey, std::uint8_t scanCode, bool keyUp) = 0;

    // The length of a window's text, and its text cut to bufferSize - 1
    // characters, like GetWindowTextLengthA and GetWindowTextA.
    virtual int WindowTextLength(WindowHandle window) = 0;
    virtual std::string WindowTextUpTo(WindowHandle window, int bufferSize) = 0;

    // The Windows folder and the system folder (empty when unknown).
    virtual std::string WindowsFolder() = 0;
    virtual std::string SystemFolder() = 0;
    // One variable of the environment; nullopt when it is not set.
    virtual std::optional<std::string> EnvironmentVariable(const std::string& name) = 0;
};

// The services in use. The program installs them at start-up, tests install a
// scripted double; using them while none is installed is a programming error
// and throws std::logic_error.
PlatformServices& ActiveServices();
PlatformServices* SetActiveServices(PlatformServices* services);  // returns the previous one

class ScopedServices {
  public:
    explicit ScopedServices(PlatformServices& services) : previous_(SetActiveServices(&services)) {}
    ~ScopedServices() { SetActiveServices(previous_); }
    ScopedServices(const ScopedServices&) = delete;
    ScopedServices& operator=(const ScopedServices&) = delete;

  private:
    PlatformServices* previous_;
};

}  // namespace zanver
