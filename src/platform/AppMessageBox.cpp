#include "AppMessageBox.h"

#include <string>

#include "AppTitle.h"
#include "Confirm.h"

namespace zanver {

namespace {

class PrompterCorePrompts : public CorePrompts {
  public:
    std::string Title() override { return AppTitle(); }
    bool AskYesNo(const std::string& caption, const std::string& text) override {
        return ShowMessage(caption, text, MessageButtons::YesNo, MessageIcon::Question) ==
               MessageResult::Yes;
    }
};

}  // namespace

MessageResult ShowMessageBox(std::string_view text, MessageButtons buttons, MessageIcon icon) {
    return ShowMessage(AppTitle(), std::string(text), buttons, icon);
}

void InstallCorePrompts() {
    static PrompterCorePrompts prompts;
    SetCorePrompts(&prompts);
}

}  // namespace zanver
