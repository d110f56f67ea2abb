#include "SetValueConfirmed.h"

#include <cstdint>
#include <string>
#include <utility>

#include "Confirm.h"
#include "KeyPaths.h"
#include "RegistryAccess.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

// The value as questions and undo descriptions name it: the full value name,
// or Display, a blank and the value path without a trailing "\".
std::string ValueLabel(RootKey root, const std::string& valuePath, std::string_view display) {
    if (display.empty())
        return FullKeyName(root, valuePath);
    std::string_view path = valuePath;
    if (!path.empty() && path.back() == '\\')
        path.remove_suffix(1);
    return std::string(display) + " " + std::string(path);
}

}  // namespace

bool SetValueConfirmed(RootKey root, std::string_view key, std::string_view name,
                       std::string_view what, std::string_view display,
                       std::string_view newValueText, UndoProcedure changeUndo, void* changeTarget,
                       UndoProcedure createValueUndo, void* createValueTarget,
                       UndoProcedure createKeyUndo, void* createKeyTarget) {
    // Malformed text is refused before anything is asked or recorded.
    {
        std::uint32_t type = 0;
        Bytes data;
        ParseValueText(newValueText, type, data);
    }

    const std::string valuePath = std::string(key) + "\\" + std::string(name);
    const std::string label = ValueLabel(root, valuePath, display);

    const bool keyIsNew = !KeyExists(root, key);
    if (keyIsNew) {
        std::string description = "Create " + label;
        if (!newValueText.empty())
            description += " with " + std::string(what) + " " + std::string(newValueText);
        if (!ConfirmWrite(description + "?"))
            return false;
        AddUndoForActiveControl(std::move(description), std::string(key), std::move(createKeyUndo),
                                createKeyTarget);
    }

    const bool existed = !keyIsNew && ValueExists(root, key, name);
    std::string oldText;
    // What the undo record puts back: the old type and bytes exactly.
    std::string exactOldText;
    if (existed) {
        oldText = ReadValueText(root, key, name, false);
        if (oldText == newValueText)
            return true;
        exactOldText = ReadExactValueText(root, key, name);
    }

    if (!keyIsNew && !ConfirmWriteFmt("Set %s of %s to %s?", {what, label, newValueText}))
        return false;

    SetValueText(root, key, name, newValueText);

    if (keyIsNew)
        return true;
    if (existed) {
        std::string description =
            display.empty() ? "change " + FullKeyName(root, valuePath)
                            : "change " + std::string(what) + " of " + label + " from " + oldText;
        AddUndoForActiveControl(std::move(description),
                                ValueUndoText(root, key, name, exactOldText), std::move(changeUndo),
                                changeTarget);
    } else {
        AddUndoForActiveControl("create " + label, CreatedValueUndoText(key, name),
                                std::move(createValueUndo), createValueTarget);
    }
    return true;
}

}  // namespace zanver
