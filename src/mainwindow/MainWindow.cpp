#include "MainWindow.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QPalette>
#include <QTimer>

#include "QtGuard.h"
#include "QtText.h"
#include "Undo.h"
#include "UndoBackup.h"

namespace zanver {

TZVFormMain::TZVFormMain(std::vector<std::string> arguments, QWidget* parent) : QWidget(parent) {
    setObjectName("ZVFormMain");
    CreateControls();
    WireHandlers();
    WireTreeEvents();
    SetWindowHost(this);
    SetActiveControlSource(this);
    try {
        FormCreate(arguments);
    } catch (...) {
        // No destructor runs: the hooks go now. Nothing of this run is in
        // the store yet, so nothing there is cleaned up.
        destroyed_ = true;
        RemoveIdleHandler();
        StatusHandler = nullptr;
        UndoBackupBase.clear();
        SetWindowHost(nullptr);
        SetActiveControlSource(nullptr);
        throw;
    }
}

TZVFormMain::~TZVFormMain() {
    Guarded([this] { FormDestroy(); });
    if (ActiveWindowHost() == this)
        SetWindowHost(nullptr);
    if (GetActiveControlSource() == this)
        SetActiveControlSource(nullptr);
}

void TZVFormMain::ShowStatus(std::string_view text, int level) {
    statusLine_.ShowStatus(text, level);
    PaintStatus();
}

void TZVFormMain::ClearStatus(StatusLevelSet levels) {
    statusLine_.ClearStatus(levels);
    PaintStatus();
}

void TZVFormMain::ClearAllStatus() {
    statusLine_.ClearAllStatus();
    PaintStatus();
}

// The label shows the status line's text, hint and colour.
void TZVFormMain::PaintStatus() {
    if (LabelMsg == nullptr)
        return;
    const QString caption = ToQString(statusLine_.Caption());
    if (LabelMsg->text() != caption)
        LabelMsg->setText(caption);
    LabelMsg->setToolTip(ToQString(statusLine_.Hint()));
    const StatusColor& color = statusLine_.Color();
    const QColor wanted = color.ButtonFace ? QApplication::palette().color(QPalette::Button)
                                           : QColor(color.Red, color.Green, color.Blue);
    if (LabelMsg->palette().color(QPalette::Window) != wanted) {
        QPalette palette = LabelMsg->palette();
        palette.setColor(QPalette::Window, wanted);
        LabelMsg->setPalette(palette);
    }
    LabelMsg->setAutoFillBackground(true);
}

void TZVFormMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    Guarded([&] {
        FormCloseQuery();
        canClose = true;
    });
    if (canClose)
        event->accept();
    else
        event->ignore();
}

void TZVFormMain::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Guarded([this] { ArrangeFrame(); });
}

bool TZVFormMain::eventFilter(QObject* watched, QEvent* event) {
    bool consumed = false;
    Guarded([&] { consumed = FrameEvent(watched, event); });
    return consumed || QWidget::eventFilter(watched, event);
}

void TZVFormMain::SpeedButtonUndoClick() {
    PerformUndo(UndoList);
}

void TZVFormMain::SpeedButtonRefreshClick() {
    FillLists();
    SelectExtension(CurExt, 0);
}

void TZVFormMain::SpeedButtonPasteClick() {
    if (ActiveTree() != nullptr)
        RegTreeViewPaste();
}

}  // namespace zanver
