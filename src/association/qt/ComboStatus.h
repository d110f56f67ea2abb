#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "Status.h"

namespace zanver {

// The status line level of the texts about the highlighted item of an open
// drop-down list.
inline constexpr int kComboStatusLevel = 13;

struct TComboStatus {
    std::string Text;
    StatusColor Color;
};

// What the status line says about Item, highlighted in the drop-down list of
// the combo box named BoxName: for "ComboExt" the extension's file type and
// whether it exists, for "ComboFileType" the file type's description; nothing
// for other boxes. Reads below HKEY_CLASSES_ROOT.
std::optional<TComboStatus> ComboStatusFor(std::string_view boxName, std::string_view item);

}  // namespace zanver
