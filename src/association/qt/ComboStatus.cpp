#include "ComboStatus.h"

#include "RegistryAccess.h"
#include "RootKeys.h"

namespace zanver {

namespace {

constexpr StatusColor kPaleOrange = StatusColor::Rgb(243, 220, 126);
constexpr StatusColor kRed = StatusColor::Rgb(255, 0, 0);

// Name, followed by " = " and the key's default value when it has one.
std::string WithDescription(std::string_view key) {
    std::string text(key);
    const std::string description = ReadString(HKEY_CLASSES_ROOT, key, "");
    if (!description.empty())
        text += " = " + description;
    return text;
}

TComboStatus ExtensionStatus(std::string_view ext) {
    const std::string fileType = ReadString(HKEY_CLASSES_ROOT, ext, "");
    if (fileType.empty())
        return {std::string(ext) + " has no file type.", kPaleOrange};
    if (KeyExists(HKEY_CLASSES_ROOT, fileType))
        return {std::string(ext) + ": " + WithDescription(fileType),
                StatusColor::SystemButtonFace()};
    return {"File type " + fileType + " of extension " + std::string(ext) + " not found.", kRed};
}

}  // namespace

std::optional<TComboStatus> ComboStatusFor(std::string_view boxName, std::string_view item) {
    if (boxName == "ComboExt")
        return ExtensionStatus(item);
    if (boxName == "ComboFileType")
        return TComboStatus{WithDescription(item), StatusColor::SystemButtonFace()};
    return std::nullopt;
}

}  // namespace zanver
