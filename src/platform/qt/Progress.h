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
// nothing; it can be cancelled. Step() keeps the window responsive and
// returns false once the user has cancelled.
class TProgress {
  public:
    TProgress(QWidget* parent, const QString& label, int maximum);
    ~TProgress();
    TProgress(const TProgress&) = delete;
    TProgress& operator=(const TProgress&) = delete;

    bool Step(int done);
    bool Cancelled() const { return cancelled_; }
    // Whether the dialog has been shown.
    bool Shown() const { return dialog_ != nullptr; }

    // Tests: called on every step with the count done; returning false
    // cancels as the dialog's button would.
    static std::function<bool(int done)> StepHook;

  private:
    QWidget* parent_;
    QString label_;
    int maximum_;
    bool cancelled_ = false;
    QElapsedTimer started_;
    qint64 lastUpdate_ = 0;
    std::unique_ptr<QProgressDialog> dialog_;
};

}  // namespace zanver
