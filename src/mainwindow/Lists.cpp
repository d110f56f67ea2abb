// The item lists of the panel's combo boxes: extensions, file types, MIME
// types and new-file templates, and the exclusion list that hides keys from
// the file type list.
#include <QStringList>

#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>
#include <vector>

#include "ActiveStore.h"
#include "MainWindow.h"
#include "NameRules.h"
#include "Options.h"
#include "QtText.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "RootKeys.h"
#include "ValueNames.h"
#include "Vocabulary.h"
#include "ZVComboBox.h"

namespace zanver {

namespace {

// The exclusion list used while the settings hold none.
const char* const kDefaultExcludedKeys[] = {"APPID",    "Applications", "CLSID",  "Interface",
                                            "Software", "MIME",         "TypeLib"};

constexpr char kMimeDatabaseKey[] = "MIME\\Database\\Content Type";

// The subkey names of a key below HKEY_CLASSES_ROOT in store order (none when
// the key is missing).
std::vector<std::string> SubKeyNames(std::string_view path) {
    std::vector<std::string> names;
    TRegistry registry(HKEY_CLASSES_ROOT);
    if (registry.OpenKey(path, false))
        registry.GetKeyNames(names);
    return names;
}

// The names in the templates folder in the order the file system gives them.
void AddTemplateNames(QStringList& items) {
    const std::string folder = GetTemplatesFolder();
    if (folder.empty())
        return;
    std::error_code error;
    std::filesystem::directory_iterator entries(folder, error);
    if (error)
        return;
    for (const auto end = std::filesystem::directory_iterator(); entries != end;
         entries.increment(error)) {
        if (error)
            break;
        items.append(ToQString(entries->path().filename().string()));
    }
}

}  // namespace

void TZVFormMain::LoadExcludedKeys() {
    if (!ReadSettingsValueNames(std::string(kSettingsKey) + "\\" + kExcludedKeys, ExcludedKeys))
        ExcludedKeys.insert(ExcludedKeys.end(), std::begin(kDefaultExcludedKeys),
                            std::end(kDefaultExcludedKeys));
}

bool TZVFormMain::IsExcludedKey(std::string_view name) const {
    for (const std::string& excluded : ExcludedKeys)
        if (SameName(excluded, name))
            return true;
    return false;
}

void TZVFormMain::AddFileTypeItem(std::string_view name, bool force) {
    if (IsExcludedKey(name))
        return;
    if (!force && ComboFileType->HasItem(name))
        return;
    ComboFileType->AddItem(name);
}

// The lists are built in memory and set at once: HKEY_CLASSES_ROOT may hold
// tens of thousands of keys.
void TZVFormMain::FillLists() {
    StoreReadScope readScope(ActiveStore());

    QStringList mimeTypes;
    std::unordered_set<std::string> knownMimeTypes;
    for (const std::string& name : SubKeyNames(kMimeDatabaseKey)) {
        mimeTypes.append(ToQString(name));
        knownMimeTypes.insert(FoldName(name));
    }

    QStringList extensions;
    QStringList fileTypes;
    for (const std::string& name : SubKeyNames("")) {
        if (!name.empty() && name.front() == '.') {
            extensions.append(ToQString(name));
            const std::string contentType = ReadString(HKEY_CLASSES_ROOT, name, kContentType);
            if (!contentType.empty() && knownMimeTypes.insert(FoldName(contentType)).second)
                mimeTypes.append(ToQString(contentType));
        } else if (!IsExcludedKey(name)) {
            fileTypes.append(ToQString(name));
        }
    }
    if ((OptionFlags & kOptionShowClassIds) != 0)
        for (const std::string& guid : SubKeyNames(kClsid)) {
            const std::string name = kClsidPrefix + guid;
            if (!IsExcludedKey(name))
                fileTypes.append(ToQString(name));
        }

    QStringList templates{ToQString(kNullFile)};
    AddTemplateNames(templates);

    ComboMimeType->SetItems(std::move(mimeTypes));
    ComboExt->SetItems(std::move(extensions));
    ComboFileType->SetItems(std::move(fileTypes));
    ComboNewTemplate->SetItems(std::move(templates));
}

}  // namespace zanver
