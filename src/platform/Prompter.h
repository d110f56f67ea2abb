#pragma once

#include <string>
#include <string_view>

namespace zanver {

enum class MessageIcon { None, Stop, Warning, Question, Information };

// The buttons of a message box, in the order in which they are shown.
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel, YesNoCancelAll, RetryCancel };

// The button the user pressed; Cancel also when the box was closed otherwise
// (Escape, the close box) and the buttons allow it.
enum class MessageResult { None, Ok, Cancel, Yes, No, All, Retry };

// One message box: a question or a message to the user.
struct MessageRequest {
    std::string caption;
    std::string text;
    MessageButtons buttons = MessageButtons::Ok;
    MessageIcon icon = MessageIcon::None;

    bool operator==(const MessageRequest&) const = default;
};

std::string_view ToString(MessageIcon icon);
std::string_view ToString(MessageButtons buttons);
std::string_view ToString(MessageResult result);
// The request in one line, for logs and test failures.
std::string Describe(const MessageRequest& request);

// The answer that commits to nothing: OK for a box that offers only OK, No
// when there is No but no Cancel, Cancel otherwise.
MessageResult CautiousAnswer(MessageButtons buttons);

// Shows message boxes and returns the user's answer. Every question and
// message of the program goes through the active prompter: the GUI installs
// one that shows real boxes, tests install a scripted one.
class Prompter {
  public:
    virtual ~Prompter() = default;
    virtual MessageResult Ask(const MessageRequest& request) = 0;
};

// The active prompter. While none is installed, a fallback writes every box to
// the standard error stream and gives the cautious answer, so that nothing is
// ever confirmed on the user's behalf.
Prompter& ActivePrompter();
Prompter* SetActivePrompter(Prompter* prompter);  // returns the previous one

class ScopedPrompter {
  public:
    explicit ScopedPrompter(Prompter& prompter) : previous_(SetActivePrompter(&prompter)) {}
    ~ScopedPrompter() { SetActivePrompter(previous_); }
    ScopedPrompter(const ScopedPrompter&) = delete;
    ScopedPrompter& operator=(const ScopedPrompter&) = delete;

  private:
    Prompter* previous_;
};

// Shortcut: builds the request and asks the active prompter.
MessageResult ShowMessage(std::string caption, std::string text, MessageButtons buttons,
                          MessageIcon icon);

}  // namespace zanver
