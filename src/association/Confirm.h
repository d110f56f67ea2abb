#pragma once

#include <initializer_list>
#include <string>
#include <string_view>

namespace zanver {

// Appended to the application title to caption the questions asked before a write.
inline constexpr char kConfirmWriteCaptionSuffix[] = " confirm write to registry";

// How the core asks the user. This layer shows no boxes itself: the platform
// layer installs an implementation that goes through its prompter and takes
// the title from the one place the main window sets it.
class CorePrompts {
  public:
    // The application title, the caption of the program's questions.
    virtual std::string Title() = 0;
    // A question box with Yes and No and the question icon; true for Yes.
    virtual bool AskYesNo(const std::string& caption, const std::string& text) = 0;

  protected:
    ~CorePrompts() = default;
};

// Null removes the prompts; questions are then answered No, so that nothing
// is ever confirmed on the user's behalf.
CorePrompts* SetCorePrompts(CorePrompts* prompts);  // returns the previous one
CorePrompts* GetCorePrompts();

// True at once while the confirm-writes option is off; otherwise asks Message
// captioned with the title + " confirm write to registry", true for Yes.
bool ConfirmWrite(std::string_view message);

// Like ConfirmWrite, formatting the message only when it is asked: each "%s"
// of Format takes the next text of Args ("%%" gives one "%").
bool ConfirmWriteFmt(std::string_view format, std::initializer_list<std::string_view> args);

// Format with "%s" placeholders filled in order by Args; a placeholder without
// an argument stays empty.
std::string FormatTexts(std::string_view format, std::initializer_list<std::string_view> args);

}  // namespace zanver
