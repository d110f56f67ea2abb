// The extension, file type and description fields: browsing while typing,
// committing on exit, and creating a key with its default value after a
// confirmation, with the undo of that creation.
#include <QLineEdit>
#include <QScopedValueRollback>

#include <memory>
#include <string>

#include "ActiveStore.h"
#include "AppMessageBox.h"
#include "Confirm.h"
#include "Errors.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "MainWindow.h"
#include "NameRules.h"
#include "Options.h"
#include "RegTreeNode.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "Vocabulary.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {

namespace {

const char* FileTypeWordOf(std::string_view name) {
    return name.size() >= 6 && SameName(name.substr(0, 6), kClsidPrefix) ? kWordClass
                                                                         : kWordFileType;
}

// Puts the committed form of a name into its box: no record, no browsing.
void PutText(TZVComboBox* combo, std::string_view text) {
    QScopedValueRollback<bool> quiet(combo->SuppressChange, true);
    combo->SetTextSilently(text, false);
}

void ShowTopNode(TRegTreeView* tree) {
    if (TRegTreeNode* top = tree->TopNode())
        tree->scrollToItem(top);
}

// Closes a key opened by CreateKey on every way out.
struct KeyCloser {
    StoreKey key;
    ~KeyCloser() { CloseStoreKey(key); }
};

[[noreturn]] void Abort() {
    throw EZAbort("Abort");
}

}  // namespace

void TZVFormMain::ComboExtChange() {
    const std::string text = ComboExt->Text();
    const std::string ext = CheckExtensionName(text);
    if (text == ext && !ext.empty() && ext != "." && KeyExists(HKEY_CLASSES_ROOT, ext))
        SelectExtension(ext, SelKeepExtCombo);
}

void TZVFormMain::ComboExtEnter() {
    ShowTopNode(RegTreeViewExt);
}

void TZVFormMain::ComboExtExit() {
    std::string ext = CheckExtensionName(ComboExt->Text());
    if (ext == ".")
        ext.clear();
    PutText(ComboExt, ext);

    std::string fileType = CurFileType == kUnknownFileType ? std::string() : CurFileType;
    if (fileType.empty()) {
        if (Closing) {
            SelectExtension(ext, SelKeepExtCombo);
            ShowTopNode(RegTreeViewExt);
            return;
        }
        fileType = (ext.empty() ? ext : ext.substr(1)) + "file";
    }
    if (SetKeyDefault(ext, fileType, kWordExtension, FileTypeWordOf(fileType), ComboExt))
        SelectExtension(ext, SelKeepExtCombo);
    else if (ext != CurExt)
        SelectExtension(ext, ext.empty() ? SelKeepExtCombo | SelNoFollow : SelKeepExtCombo);
    ShowTopNode(RegTreeViewExt);
}

void TZVFormMain::ComboFileTypeChange() {
    const std::string text = ComboFileType->Text();
    const std::string fileType = CheckFileTypeName(text, false);
    if (!fileType.empty() && text == fileType && KeyExists(HKEY_CLASSES_ROOT, fileType) &&
        !IsExcludedKey(fileType))
        SelectFileType(fileType, SelNoFileTypeItem);
}

void TZVFormMain::ComboFileTypeEnter() {
    ShowTopNode(RegTreeViewExt);
}

void TZVFormMain::ComboFileTypeExit() {
    std::string old = CurExt.empty() ? std::string() : ReadString(HKEY_CLASSES_ROOT, CurExt, "");
    if (old.empty())
        old = kUnknownFileType;
    const std::string fileType = CheckFileTypeName(ComboFileType->Text(), true);
    PutText(ComboFileType, fileType);
    try {
        const bool created =
            SetKeyDefault(fileType, "", FileTypeWordOf(fileType), kWordDescription, ComboFileType);
        if (created || fileType != old)
            SelectFileType(fileType, SelWriteDefault | SelShowOnExtTop | SelNoFileTypeItem);
    } catch (const EZAbort&) {
        // The user kept the extension's file type: show it again.
        SelectFileType(old, 0);
        return;
    }
    ShowTopNode(RegTreeViewExt);
}

void TZVFormMain::EditFileTypeDescrEnter() {
    RequireFileType();
    RegTreeViewFileType->RevealPath(CurFileType);
}

void TZVFormMain::EditFileTypeDescrExit() {
    const bool existed = FileTypeExists;
    const std::string description = Trim(EditFileTypeDescr->Text());
    if (!description.empty())
        RegTreeViewFileType->WriteStringUndoable(CurFileType, "", false, description);
    else
        RegTreeViewFileType->DeleteValueUndoable(CurFileType, "");
    if (existed)
        RefreshDescription();
    else
        ReloadFileType(0);
}

bool TZVFormMain::SetKeyDefault(std::string_view key, std::string_view value,
                                std::string_view keyWord, std::string_view valueWord,
                                TZVComboBox* control) {
    if (key.empty())
        return false;
    const std::string name(key);
    // A name the registry would refuse is refused before anything is asked.
    for (std::string_view rest = name; !rest.empty();) {
        const std::string part = FirstKeyName(rest);
        if (part.size() > kMaxKeyNameLength)
            throw EZanver("A key name cannot be longer than " + std::to_string(kMaxKeyNameLength) +
                          " characters: " + part.substr(0, 32) + "...");
        rest.remove_prefix(std::min(rest.size(), part.size() + 1));
    }

    bool asked = false;
    if (ConfirmWritesOn() && !KeyExists(HKEY_CLASSES_ROOT, name)) {
        std::string question = "Create new " + std::string(keyWord) + " " + name;
        if (!value.empty())
            question += " with " + std::string(valueWord) + " \"" + std::string(value) + "\"";
        asked = ConfirmWrite(question + "?");
        if (!asked) {
            if (control == ComboExt)
                return true;
            if (control == ComboFileType)
                Abort();
            if (control == ComboAction && ComboAction->Text() == kOpenVerb)
                ComboAction->lineEdit()->clear();
            return false;
        }
    }

    bool existed = false;
    const KeyCloser opened{
        CreateKey(HKEY_CLASSES_ROOT, name, kKeyQueryValue | kKeySetValue, existed)};
    RegistryStore& store = ActiveStore();
    if (existed) {
        if (value.empty())
            return false;
        std::vector<std::uint8_t> data;
        std::uint32_t type = 0;
        const long queried = store.QueryValue(opened.key, "", &type, &data);
        if (queried != err::kSuccess && queried != err::kFileNotFound) {
            SetLastErrorCode(queried);
            throw EZanver("Could not retrieve " + std::string(valueWord) + " for " +
                          std::string(keyWord) + " " + name + ". " + LastErrorText());
        }
        // An existing value is never overwritten here.
        if (queried == err::kSuccess && data.size() > 1)
            return false;
    }

    // From here on the key exists: the caller shows it.
    const bool result = true;
    if (!value.empty()) {
        if (!asked &&
            !ConfirmWriteFmt("Set %s for %s %s to \"%s\"?", {valueWord, keyWord, name, value})) {
            if (control == ComboFileType)
                Abort();
            return result;
        }
        const std::string text(value);
        const long written =
            store.SetValue(opened.key, "", RegSz,
                           reinterpret_cast<const std::uint8_t*>(text.c_str()), text.size() + 1);
        if (written != err::kSuccess) {
            SetLastErrorCode(written);
            ShowMessageBox("Could not set default value for key " + name + ". " + LastErrorText(),
                           MessageButtons::Ok, MessageIcon::Stop);
            // A key created just now is still recorded, so that it can be
            // taken back.
            if (existed)
                return result;
        }
    }

    if (!existed) {
        const std::string keyName = ExtractKeyName(name);
        if (control == ComboFileType) {
            AddUndo(UndoList, control, "create " + std::string(keyWord) + " " + keyName, name,
                    UndoCreateKeyProc, this);
            AddFileTypeItem(name, false);
        } else if (control != nullptr) {
            AddUndo(UndoList, control, "create " + control->UndoName + " " + keyName, name,
                    UndoCreateKeyProc, this);
            if (!control->HasItem(keyName))
                control->AddItem(keyName);
        }
    }
    return result;
}

bool TZVFormMain::UndoCreateKeyProc(void* target, TUndo& undo) {
    return static_cast<TZVFormMain*>(target)->UndoCreateKey(undo);
}

bool TZVFormMain::UndoCreateKey(TUndo& undo) {
    const std::string& key = undo.Value;
    if (KeyExists(HKEY_CLASSES_ROOT, key)) {
        if (!RegTreeViewExt->ConfirmDelete(key))
            return false;
        const RootKey root = RegTreeViewExt->Registry.GetRootKey();
        const bool deleted = DeleteKeyTree(root, key);
        if (!deleted && KeyExists(root, key)) {
            ShowMessageBox(
                "Could not delete key " + RegTreeViewExt->FullPath(key) + ". " + LastErrorText(),
                MessageButtons::Ok, MessageIcon::Stop);
            return false;
        }
    }

    auto* combo = dynamic_cast<TZVComboBox*>(undo.Control);
    const std::string name = combo == ComboFileType ? key : ExtractKeyName(key);
    if (combo != nullptr) {
        combo->RemoveItem(name);
        combo->SetTextSilently(name, false);
    }
    if (combo == ComboExt)
        SelectExtension(name, SelKeepExtCombo);
    else if (combo == ComboFileType)
        ReloadFileType(SelNoFileTypeItem);
    else
        ReloadFileType(SelKeepAction);
    return true;
}

}  // namespace zanver
