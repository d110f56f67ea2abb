#pragma once

#include <QString>

class QLineEdit;

namespace zanver {

// The part of a restored text that differs from the text it replaces: the
// characters from Start to End (exclusive) of the restored text.
struct TRestoreRange {
    int Start = 0;
    int End = 0;
    bool operator==(const TRestoreRange&) const = default;
};

// Start is the length of the common prefix of current and restored; End is
// where the longest common suffix begins in restored. The suffix is not allowed
// to reach into the prefix, so End is never before Start: when undoing a typed
// character the two meet (nothing to highlight), and when undoing a deletion
// the range covers the characters that come back.
TRestoreRange RestoredRange(const QString& current, const QString& restored);

// Selects the range in the line edit (caret at its end, scrolled into view);
// an empty range only places the caret.
void SelectRestored(QLineEdit* edit, TRestoreRange range);

}  // namespace zanver
