// Placeholder until its owner writes this file.
#include "MainWindow.h"

namespace zanver {

void TZVFormMain::PanelExtResize() {}
void TZVFormMain::PanelFileTypeResize() {}
void TZVFormMain::PanelSpeedBarResize() {}
void TZVFormMain::LayoutActionLabel() {}
void TZVFormMain::TimerTimer() {}
void TZVFormMain::ArrangeFrame() {}
void TZVFormMain::RegTreeViewEnter() {}
void TZVFormMain::RegTreeViewExit() {}

}  // namespace zanver

namespace zanver {
bool TZVFormMain::FrameEvent(QObject*, QEvent*) {
    return false;
}
}  // namespace zanver
