#pragma once

#include <string>

#include "History.h"

class QAction;
class QMenu;

namespace zanver {

// Fills a history submenu, newest entry first. The first item stays (with
// whatever its clicks are connected to) and shows the newest entry; items for
// the older entries follow it. An empty history leaves the first item alone,
// disabled, as "No history". Clicks on any item reach the menu's triggered
// signal; HistoryEntryOf tells which entry an item stands for.
void FillHistoryMenu(const TZVHistory& history, QMenu* menu);

// The history entry an item of a filled history menu stands for (its caption
// shows it with "&" doubled, so that no letter becomes an accelerator).
std::string HistoryEntryOf(const QAction* item);

}  // namespace zanver
