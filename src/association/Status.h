#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace zanver {

// Levels of the status line: 0 (a plain hint) to 15.
inline constexpr int kStatusLevels = 16;

// The background colour of the status line for one level: either the system
// colour of button faces or an RGB colour.
struct StatusColor {
    bool ButtonFace = false;
    std::uint8_t Red = 0;
    std::uint8_t Green = 0;
    std::uint8_t Blue = 0;

    static constexpr StatusColor SystemButtonFace() { return {true, 0, 0, 0}; }
    static constexpr StatusColor Rgb(std::uint8_t red, std::uint8_t green, std::uint8_t blue) {
        return {false, red, green, blue};
    }
    bool operator==(const StatusColor&) const = default;
};

// One colour per level; an entry may be changed at run time before a text of
// its level is shown.
extern std::array<StatusColor, kStatusLevels> StatusColors;
// The colours the program starts with.
std::array<StatusColor, kStatusLevels> DefaultStatusColors();

// The hook through which any code shows a text with a level on the status
// line. Empty until the main window installs its status routine.
using StatusProcedure = std::function<void(std::string_view text, int level)>;
extern StatusProcedure StatusHandler;

// Shows Text at level 0 through StatusHandler; nothing while none is installed.
void ShowHint(std::string_view text);

// A set of status levels (bit n stands for level n).
using StatusLevelSet = std::uint16_t;
constexpr StatusLevelSet StatusLevel(int level) {
    return static_cast<StatusLevelSet>(1u << level);
}

// What the status label shows: a text with its level and colour. A text
// replaces the shown one only when its level is at least as high.
class TStatusLine {
  public:
    // Shows Text when Level (0..15) is at least the level shown now; a text of
    // a lower level is dropped.
    void ShowStatus(std::string_view text, int level);
    // Clears the line when the level shown is one of Levels.
    void ClearStatus(StatusLevelSet levels);
    void ClearAllStatus();

    int MsgLevel() const { return msgLevel_; }
    const std::string& Caption() const { return caption_; }
    const std::string& Hint() const { return hint_; }
    const StatusColor& Color() const { return color_; }

  private:
    int msgLevel_ = 0;
    std::string caption_;
    std::string hint_;
    StatusColor color_ = StatusColor::SystemButtonFace();
};

}  // namespace zanver
