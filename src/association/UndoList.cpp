#include "UndoList.h"

#include <cassert>
#include <utility>

namespace zanver {

void TZVUndoList::Add(std::string description, std::shared_ptr<TUndo> record) {
    entries_.push_back(Entry{std::move(description), std::move(record)});
}

const std::string& TZVUndoList::Descriptions(int index) const {
    return entries_.at(static_cast<std::size_t>(index)).description;
}

TUndo& TZVUndoList::Objects(int index) const {
    return *entries_.at(static_cast<std::size_t>(index)).record;
}

const std::string& TZVUndoList::LastDescription() const {
    assert(!entries_.empty());
    return entries_.back().description;
}

std::shared_ptr<TUndo> TZVUndoList::Last() const {
    assert(!entries_.empty());
    return entries_.back().record;
}

void TZVUndoList::RemoveLast() {
    if (!entries_.empty())
        entries_.pop_back();
}

bool TZVUndoList::Remove(const TUndo& record) {
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        if (it->record.get() == &record) {
            entries_.erase(std::next(it).base());
            return true;
        }
    }
    return false;
}

}  // namespace zanver
