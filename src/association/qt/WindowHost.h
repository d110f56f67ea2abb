#pragma once

#include "Status.h"

namespace zanver {

// What the entry controls and the association tree views need of the main
// window. The main window implements it and installs itself; tests install a
// recording double. While none is installed the calls do nothing.
class WindowHost {
  public:
    // The main window's LastFocus: the control that had the focus when a
    // field was last left (cleared when a control is entered).
    virtual void ClearLastFocus() = 0;
    virtual void SetLastFocusToActive() = 0;
    // Enables the tool bar's edit buttons: Cut and Copy by canCutCopy, Paste
    // by whether the clipboard holds text, Delete by canDelete.
    virtual void UpdateEditCommands(bool canCutCopy, bool canDelete) = 0;
    // Clears the status label when the level it shows is one of levels.
    virtual void ClearStatus(StatusLevelSet levels) = 0;
    // Re-reads the application override field after an undo changed it.
    virtual void EditApplicationRefresh() = 0;

  protected:
    ~WindowHost() = default;
};

WindowHost* ActiveWindowHost();
WindowHost* SetWindowHost(WindowHost* host);  // returns the previous one

// Shortcuts that do nothing while no host is installed.
void HostClearLastFocus();
void HostSetLastFocusToActive();
void HostUpdateEditCommands(bool canCutCopy, bool canDelete);
void HostClearStatus(StatusLevelSet levels);
void HostEditApplicationRefresh();

}  // namespace zanver
