#include "WindowHost.h"

namespace zanver {

namespace {
WindowHost* host = nullptr;
}  // namespace

WindowHost* ActiveWindowHost() {
    return host;
}

WindowHost* SetWindowHost(WindowHost* newHost) {
    WindowHost* previous = host;
    host = newHost;
    return previous;
}

void HostClearLastFocus() {
    if (host)
        host->ClearLastFocus();
}

void HostSetLastFocusToActive() {
    if (host)
        host->SetLastFocusToActive();
}

void HostUpdateEditCommands(bool canCutCopy, bool canDelete) {
    if (host)
        host->UpdateEditCommands(canCutCopy, canDelete);
}

void HostClearStatus(StatusLevelSet levels) {
    if (host)
        host->ClearStatus(levels);
}

void HostEditApplicationRefresh() {
    if (host)
        host->EditApplicationRefresh();
}

}  // namespace zanver
