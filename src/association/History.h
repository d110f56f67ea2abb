#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace zanver {

// The greatest number of entries a history keeps.
inline constexpr int HistoryMax = 8;

// Caption of the single, disabled item of an empty history menu.
inline constexpr char kNoHistoryCaption[] = "No history";

// The texts last accepted in an entry box, oldest first, newest last; a text
// occurs at most once (letter case ignored).
class TZVHistory {
  public:
    // Makes Text the newest entry, in the letter case given, dropping an older
    // copy of it or, when the history is full, the oldest entry. An empty text
    // adds nothing and gives -1; otherwise the result is the entry's index.
    int Add(std::string_view text);

    int Count() const { return static_cast<int>(entries_.size()); }
    bool Empty() const { return entries_.empty(); }
    const std::string& Strings(int index) const;
    const std::vector<std::string>& Entries() const { return entries_; }

    // Replaces the entries as they are (used when the history is read back).
    void Assign(std::vector<std::string> entries) { entries_ = std::move(entries); }
    void Clear() { entries_.clear(); }

  private:
    std::vector<std::string> entries_;
};

// The captions of a history menu, top to bottom: the entries newest first, or
// the one caption kNoHistoryCaption (shown disabled) when the history is empty.
std::vector<std::string> HistoryMenuCaptions(const TZVHistory& history);

}  // namespace zanver
