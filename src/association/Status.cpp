#include "Status.h"

namespace zanver {

std::array<StatusColor, kStatusLevels> DefaultStatusColors() {
    const StatusColor face = StatusColor::SystemButtonFace();
    const StatusColor yellow = StatusColor::Rgb(243, 220, 126);
    const StatusColor red = StatusColor::Rgb(255, 0, 0);
    const StatusColor green = StatusColor::Rgb(0, 128, 0);
    return {face, face, face, yellow, yellow, yellow, yellow, red,
            red,  red,  red,  red,    red,    yellow, yellow, green};
}

std::array<StatusColor, kStatusLevels> StatusColors = DefaultStatusColors();

StatusProcedure StatusHandler;

void ShowHint(std::string_view text) {
    if (StatusHandler)
        StatusHandler(text, 0);
}

void TStatusLine::ShowStatus(std::string_view text, int level) {
    // Levels outside 0..15 are none the program uses; keep them in range
    // rather than index past the colour table.
    if (level < 0)
        level = 0;
    if (level >= kStatusLevels)
        level = kStatusLevels - 1;
    if (level < msgLevel_)
        return;
    msgLevel_ = level;
    caption_ = text;
    hint_ = text;
    color_ = StatusColors[static_cast<std::size_t>(level)];
}

void TStatusLine::ClearStatus(StatusLevelSet levels) {
    if (msgLevel_ < kStatusLevels && (levels & StatusLevel(msgLevel_)) != 0)
        ClearAllStatus();
}

void TStatusLine::ClearAllStatus() {
    msgLevel_ = 0;
    caption_.clear();
    hint_.clear();
    color_ = StatusColors[0];
}

}  // namespace zanver
