#pragma once

#include "Prompter.h"

#include <cstddef>
#include <deque>
#include <functional>
#include <string>
#include <utility>
#include <vector>

namespace zanver {

// A prompter for tests: answers a script of expected message boxes in order.
// Each box asked must match the next expectation in caption, text, buttons and
// icon; it then gets the scripted answer. A box asked when no expectation is
// left, a box that differs from the expectation, an answer that its buttons do
// not offer, and expectations never asked are failures: they are recorded
// (Failures()) and passed to the failure handler when one is set, so a test
// framework can report them at once. A mismatching box still consumes its
// expectation and gets its answer, so the script stays in step; an unexpected
// box gets the cautious answer (CautiousAnswer).
class ScriptedPrompter : public Prompter {
  public:
    using FailureHandler = std::function<void(const std::string& failure)>;

    ScriptedPrompter() = default;
    explicit ScriptedPrompter(FailureHandler onFailure) : onFailure_(std::move(onFailure)) {}

    ScriptedPrompter& Expect(MessageRequest request, MessageResult answer);
    ScriptedPrompter& Expect(std::string caption, std::string text, MessageButtons buttons,
                             MessageIcon icon, MessageResult answer);

    MessageResult Ask(const MessageRequest& request) override;

    // Every box asked so far, in order.
    const std::vector<MessageRequest>& Asked() const { return asked_; }
    std::size_t PendingCount() const { return expected_.size(); }

    // The failures so far, followed by one failure for each expectation that
    // has not been asked yet. Empty when the script ran as planned.
    std::vector<std::string> Failures() const;
    // One failure for each expectation that has not been asked yet.
    std::vector<std::string> Unasked() const;

    // Drops the remaining expectations and the recorded failures.
    void Reset();

  private:
    struct Expectation {
        MessageRequest request;
        MessageResult answer;
    };

    void Fail(const std::string& failure);

    std::deque<Expectation> expected_;
    std::vector<MessageRequest> asked_;
    std::vector<std::string> failures_;
    FailureHandler onFailure_;
};

// Whether the buttons offer the answer (Cancel is offered by every set with a
// Cancel button).
bool ButtonsOffer(MessageButtons buttons, MessageResult answer);

}  // namespace zanver
