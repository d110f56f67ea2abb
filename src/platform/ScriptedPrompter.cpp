#include "ScriptedPrompter.h"

#include <utility>

namespace zanver {

bool ButtonsOffer(MessageButtons buttons, MessageResult answer) {
    switch (buttons) {
        case MessageButtons::Ok:
            return answer == MessageResult::Ok;
        case MessageButtons::OkCancel:
            return answer == MessageResult::Ok || answer == MessageResult::Cancel;
        case MessageButtons::YesNo:
            return answer == MessageResult::Yes || answer == MessageResult::No;
        case MessageButtons::YesNoCancel:
            return answer == MessageResult::Yes || answer == MessageResult::No ||
                   answer == MessageResult::Cancel;
        case MessageButtons::YesNoCancelAll:
            return answer == MessageResult::Yes || answer == MessageResult::No ||
                   answer == MessageResult::Cancel || answer == MessageResult::All;
        case MessageButtons::RetryCancel:
            return answer == MessageResult::Retry || answer == MessageResult::Cancel;
    }
    return false;
}

ScriptedPrompter& ScriptedPrompter::Expect(MessageRequest request, MessageResult answer) {
    expected_.push_back({std::move(request), answer});
    return *this;
}

ScriptedPrompter& ScriptedPrompter::Expect(std::string caption, std::string text,
                                           MessageButtons buttons, MessageIcon icon,
                                           MessageResult answer) {
    return Expect(MessageRequest{std::move(caption), std::move(text), buttons, icon}, answer);
}

MessageResult ScriptedPrompter::Ask(const MessageRequest& request) {
    asked_.push_back(request);
    if (expected_.empty()) {
        Fail("unexpected message box " + Describe(request));
        return CautiousAnswer(request.buttons);
    }
    const Expectation next = std::move(expected_.front());
    expected_.pop_front();
    if (!(request == next.request))
        Fail("message box " + Describe(request) + " asked where " + Describe(next.request) +
             " was expected");
    if (!ButtonsOffer(request.buttons, next.answer)) {
        Fail("scripted answer " + std::string(ToString(next.answer)) + " is not offered by " +
             Describe(request));
        return CautiousAnswer(request.buttons);
    }
    return next.answer;
}

std::vector<std::string> ScriptedPrompter::Failures() const {
    std::vector<std::string> failures = failures_;
    for (std::string& failure : Unasked())
        failures.push_back(std::move(failure));
    return failures;
}

std::vector<std::string> ScriptedPrompter::Unasked() const {
    std::vector<std::string> unasked;
    for (const Expectation& expectation : expected_)
        unasked.push_back("expected message box never asked: " + Describe(expectation.request));
    return unasked;
}

void ScriptedPrompter::Reset() {
    expected_.clear();
    failures_.clear();
}

void ScriptedPrompter::Fail(const std::string& failure) {
    failures_.push_back(failure);
    if (onFailure_)
        onFailure_(failure);
}

}  // namespace zanver
