#include "ZVCheckBox.h"

#include <QFocusEvent>
#include <QScopedValueRollback>

#include "QtGuard.h"
#include "QtText.h"
#include "Status.h"
#include "WindowHost.h"

namespace zanver {

TZVCheckBox::TZVCheckBox(QWidget* parent) : QCheckBox(parent) {
    connect(this, &QCheckBox::toggled, this, [this] {
        if (!silent_ && OnClick)
            Guarded(OnClick);
    });
}

TZVCheckBox::~TZVCheckBox() {
    // Records that would give this box the focus must not reach it once it is gone.
    DetachUndoRecords(this, this);
}

void TZVCheckBox::SetCheckedSilently(bool checked) {
    QScopedValueRollback<bool> silent(silent_, true);
    setChecked(checked);
}

void TZVCheckBox::SetFocus() {
    setFocus(Qt::OtherFocusReason);
}

void TZVCheckBox::focusInEvent(QFocusEvent* event) {
    QCheckBox::focusInEvent(event);
    Guarded([this] {
        HostClearLastFocus();
        ShowHint(FromQString(toolTip()));
    });
}

}  // namespace zanver
