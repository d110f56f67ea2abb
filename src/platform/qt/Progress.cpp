#include "Progress.h"

#include <QApplication>
#include <QProgressDialog>

namespace zanver {

namespace {
// The dialog appears once an operation has run this long, and is redrawn at
// most this often, so that progress costs next to nothing.
constexpr qint64 kShowAfterMs = 100;
constexpr qint64 kUpdateEveryMs = 50;
}  // namespace

std::function<bool(int done)> TProgress::StepHook;
int TProgress::running_ = 0;

TProgress::TProgress(QWidget* parent, const QString& label, int maximum, bool cancellable)
    : parent_(parent), label_(label), maximum_(maximum), cancellable_(cancellable) {
    ++running_;
    started_.start();
}

TProgress::~TProgress() {
    --running_;
}

void TProgress::SetMaximum(int maximum) {
    maximum_ = maximum;
    if (dialog_)
        dialog_->setMaximum(maximum);
}

bool TProgress::Step(int done) {
    if (cancelled_)
        return false;
    if (StepHook && !StepHook(done) && cancellable_) {
        cancelled_ = true;
        return false;
    }
    const qint64 elapsed = started_.elapsed();
    if (elapsed < kShowAfterMs || elapsed - lastUpdate_ < kUpdateEveryMs)
        return true;
    lastUpdate_ = elapsed;
    if (!dialog_) {
        dialog_ = std::make_unique<QProgressDialog>(label_, QProgressDialog::tr("Cancel"), 0,
                                                    maximum_, parent_);
        dialog_->setWindowModality(Qt::ApplicationModal);
        dialog_->setMinimumDuration(0);
        dialog_->setAutoClose(false);
        dialog_->setAutoReset(false);
        if (!cancellable_)
            dialog_->setCancelButton(nullptr);
        dialog_->show();
    }
    dialog_->setValue(std::min(done, maximum_));
    // The dialog is modal: only its Cancel button takes input meanwhile.
    QApplication::processEvents();
    if (cancellable_ && dialog_->wasCanceled())
        cancelled_ = true;
    return !cancelled_;
}

}  // namespace zanver
