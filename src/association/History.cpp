#include "History.h"

#include <algorithm>

#include "NameRules.h"

namespace zanver {

int TZVHistory::Add(std::string_view text) {
    if (text.empty())
        return -1;
    auto found = std::find_if(entries_.begin(), entries_.end(),
                              [text](const std::string& entry) { return SameName(entry, text); });
    if (found != entries_.end()) {
        if (found + 1 == entries_.end())
            return Count() - 1;
        entries_.erase(found);
    } else {
        // Keeps the list within HistoryMax, also after Assign gave it more.
        while (Count() >= HistoryMax)
            entries_.erase(entries_.begin());
    }
    entries_.emplace_back(text);
    return Count() - 1;
}

const std::string& TZVHistory::Strings(int index) const {
    return entries_.at(static_cast<std::size_t>(index));
}

std::vector<std::string> HistoryMenuCaptions(const TZVHistory& history) {
    if (history.Empty())
        return {kNoHistoryCaption};
    return {history.Entries().rbegin(), history.Entries().rend()};
}

}  // namespace zanver
