#include "TextRestore.h"

#include <QLineEdit>

#include <algorithm>

namespace zanver {

TRestoreRange RestoredRange(const QString& current, const QString& restored) {
    const qsizetype shorter = std::min(current.size(), restored.size());
    qsizetype prefix = 0;
    while (prefix < shorter && current[prefix] == restored[prefix])
        ++prefix;
    qsizetype suffix = 0;
    while (suffix < shorter - prefix &&
           current[current.size() - 1 - suffix] == restored[restored.size() - 1 - suffix])
        ++suffix;
    return {static_cast<int>(prefix), static_cast<int>(restored.size() - suffix)};
}

void SelectRestored(QLineEdit* edit, TRestoreRange range) {
    if (range.End > range.Start) {
        edit->setSelection(range.Start, range.End - range.Start);
    } else {
        edit->deselect();
        edit->setCursorPosition(range.Start);
    }
}

}  // namespace zanver
