#pragma once

#include <QElapsedTimer>
#include <QString>

#include <functional>
#include <memory>

class QProgressDialog;
class QWidget;

namespace zanver {

// Progress of a long operation on the GUI thread. The dialog appears only when
// the operation has run for longer than 100 ms, so short operations show
// nothing; a cancellable one has a Cancel button. Step() keeps the window
// responsive (it processes events, while the modal dialog keeps input away
// from the other windows) and returns false once the user has cancelled.
// Code run by timers, the idle handler above all, must not touch the registry
// views while Running() is true.
class TProgress {
  public:
    TProgress(QWidget* parent, const QString& label, int maximum, bool cancellable = true);
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;

    bool Step(int done);
    // For operations that learn their size only once they have begun.
    void SetMaximum(int maximum);
    bool Cancelled() const { return cancelled_; }
    // Whether the dialog has been shown.
    bool Shown() const { return dialog_ != nullptr; }
    // Whether an operation with progress is under way.
    static bool Running() { return running_ > 0; }

    // Tests: called on every step with the count done; returning false
    // cancels as the dialog's button would.
    static std::function<bool(int done)> StepHook;

  private:
    QWidget* parent_;
    QString label_;
    int maximum_;
    bool cancellable_;
    bool cancelled_ = false;
    static int running_;
    QElapsedTimer started_;
    qint64 lastUpdate_ = 0;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace zanver
