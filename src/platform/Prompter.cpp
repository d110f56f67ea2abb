#include "Prompter.h"

#include <cstdio>
#include <utility>

namespace zanver {

std::string_view ToString(MessageIcon icon) {
    switch (icon) {
        case MessageIcon::None:
            return "no icon";
        case MessageIcon::Stop:
            return "stop";
        case MessageIcon::Warning:
            return "warning";
        case MessageIcon::Question:
            return "question";
        case MessageIcon::Information:
            return "information";
    }
    return "?";
}

std::string_view ToString(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return "OK";
        case MessageButtons::OkCancel:
            return "OK/Cancel";
        case MessageButtons::YesNo:
            return "Yes/No";
        case MessageButtons::YesNoCancel:
            return "Yes/No/Cancel";
        case MessageButtons::YesNoCancelAll:
            return "Yes/No/Cancel/All";
        case MessageButtons::RetryCancel:
            return "Retry/Cancel";
    }
    return "?";
}

std::string_view ToString(MessageResult result) {
    switch (result) {
        case MessageResult::None:
            return "none";
        case MessageResult::Ok:
            return "OK";
        case MessageResult::Cancel:
            return "Cancel";
        case MessageResult::Yes:
            return "Yes";
        case MessageResult::No:
            return "No";
        case MessageResult::All:
            return "All";
        case MessageResult::Retry:
            return "Retry";
    }
    return "?";
}

std::string Describe(const MessageRequest& request) {
    std::string text = "[" + request.caption + "] \"" + request.text + "\" (";
    text += ToString(request.buttons);
    text += ", ";
    text += ToString(request.icon);
    text += ")";
    return text;
}

MessageResult CautiousAnswer(MessageButtons buttons) {
    switch (buttons) {
        case MessageButtons::Ok:
            return MessageResult::Ok;
        case MessageButtons::YesNo:
            return MessageResult::No;
        default:
            return MessageResult::Cancel;
    }
}

namespace {

class StderrPrompter : public Prompter {
  public:
    MessageResult Ask(const MessageRequest& request) override {
        const MessageResult answer = CautiousAnswer(request.buttons);
        std::fprintf(stderr, "%s\n%s\n", request.caption.c_str(), request.text.c_str());
        if (request.buttons != MessageButtons::Ok)
            std::fprintf(stderr, "(answered %s)\n", std::string(ToString(answer)).c_str());
        return answer;
    }
};

Prompter* g_activePrompter = nullptr;

}  // namespace

Prompter& ActivePrompter() {
    static StderrPrompter fallback;
    return g_activePrompter ? *g_activePrompter : fallback;
}

Prompter* SetActivePrompter(Prompter* prompter) {
    Prompter* previous = g_activePrompter;
    g_activePrompter = prompter;
    return previous;
}

MessageResult ShowMessage(std::string caption, std::string text, MessageButtons buttons,
                          MessageIcon icon) {
    return ActivePrompter().Ask(MessageRequest{std::move(caption), std::move(text), buttons, icon});
}

}  // namespace zanver
