#include "AppTitle.h"

namespace zanver {

namespace {
std::string& TitleStorage() {
    static std::string title(kProgramName);
    return title;
}
}  // namespace

const std::string& AppTitle() {
    return TitleStorage();
}

void SetAppTitle(std::string_view title) {
    TitleStorage() = std::string(title);
}

}  // namespace zanver
