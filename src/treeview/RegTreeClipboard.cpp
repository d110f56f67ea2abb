// Copying keys and values to the clipboard as REGEDIT4 text, the test whether
// the clipboard holds such text, and the recursive key walk behind the copy.

#include <QObject>

#include <optional>

#include "ActiveStore.h"
#include "Clipboard.h"
#include "ErrorCodes.h"
#include "EscapedText.h"
#include "KeyHandle.h"
#include "LastError.h"
#include "NameRules.h"
#include "Progress.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "TreeErrors.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

constexpr const char* kLineEnd = "\r\n";
constexpr std::string_view kHeader = "REGEDIT4";
constexpr const char* kValueMarker = "; Associate value";
// Keys copied before the progress dialog is worth setting up.
constexpr std::uint32_t kProgressKeys = 1000;

int Call(const WalkKeyCallback& callback, const std::string& name, int& len) {
    return callback ? callback(name, len) : 1;
}

int Call(const WalkValueCallback& callback, const std::string& name, const std::string& text,
         int& len) {
    return callback ? callback(name, text, len) : 1;
}

// Empties the copy's working state however the copy ends.
class ClipStateGuard {
  public:
    explicit ClipStateGuard(TRegTreeView& view) : view_(view) {}
    ~ClipStateGuard() {
        view_.ClipText.clear();
        view_.ClipText.shrink_to_fit();
        view_.ClipKeyPath.clear();
    }
    ClipStateGuard(const ClipStateGuard&) = delete;
    ClipStateGuard& operator=(const ClipStateGuard&) = delete;

  private:
    TRegTreeView& view_;
};

// The number of subkeys of key path below root, 0 when it cannot be read.
std::uint32_t SubKeyCount(RegistryStore& store, StoreKey parent, const std::string& name) {
    KeyHandle key(store);
    KeyInfo info;
    if (key.Open(parent, name, kKeyRead) != err::kSuccess ||
        store.QueryInfoKey(key.Get(), info) != err::kSuccess)
        return 0;
    return info.subKeys;
}

}  // namespace

bool TRegTreeView::CanPaste() const {
    if (!ClipboardHasText())
        return false;
    const std::string text = ClipboardText();
    if (text.size() <= kHeader.size())
        return false;
    const char next = text[kHeader.size()];
    return SameName(std::string_view(text).substr(0, kHeader.size()), kHeader) &&
           (IsWhiteSpace(next) || next == ';');
}

int TRegTreeView::WalkKey(StoreKey parentKey, const std::string& name, LoadOptions options, int len,
                          const WalkValueCallback& valueCallback,
                          const WalkKeyCallback& keyCallback) {
    RegistryStore& store = ActiveStore();
    KeyHandle key(store);
    if (key.Open(parentKey, name, kKeyRead) != err::kSuccess)
        return 1;
    if ((options & SkipFirstKey) == 0) {
        const int code = Call(keyCallback, name, len);
        if (code != 1)
            return code;
    }
    options &= ~static_cast<LoadOptions>(SkipFirstKey);

    KeyInfo info;
    const long queried = store.QueryInfoKey(key.Get(), info);
    if (queried != err::kSuccess) {
        SetLastErrorCode(queried);
        throw ERegTreeView("Could not query key " + name + ". " + LastErrorText());
    }

    const bool defaultOnly = (options & DefaultOnly) != 0;
    if ((options & NoValues) == 0) {
        std::string valueName;
        std::uint32_t type = RegNone;
        Bytes data;
        for (std::uint32_t index = 0;
             store.EnumValue(key.Get(), index, valueName, &type, &data) == err::kSuccess; ++index) {
            if (defaultOnly && !valueName.empty())
                continue;
            const std::string text = FormatValueText(data, type, (options & ExportText) != 0);
            const int code = Call(valueCallback, valueName, text, len);
            if (defaultOnly || code == 0)
                return code;
            if (code != 1)
                break;
        }
    }
    if (defaultOnly)
        return 1;

    LoadOptions subOptions = options;
    if ((options & SecondLevel) != 0)
        subOptions |= DefaultOnly;
    else if ((options & TwoLevels) != 0)
        subOptions |= SecondLevel;
    std::string subKey;
    for (std::uint32_t index = 0; store.EnumKey(key.Get(), index, subKey) == err::kSuccess;
         ++index) {
        if (WalkKey(key.Get(), subKey, subOptions, len, valueCallback, keyCallback) == 0)
            return 0;
    }
    return 1;
}

void TRegTreeView::CopyToClipboard() {
    TRegTreeNode* node = Selected();
    if (node == nullptr)
        return;
    ClipStateGuard guard(*this);
    const RootKey root = Registry.GetRootKey();
    ClipText = std::string(kHeader) + kLineEnd;

    if (!node->IsKey()) {
        // The registry's own value rather than the caption: the caption's
        // display form drops the bytes of an odd-sized DWORD, for instance.
        const std::string keyPath = node->KeyPath();
        const std::string name = node->ValueName();
        const std::string text = ValueExists(root, keyPath, name)
                                     ? ReadValueText(root, keyPath, name, true)
                                     : node->NodeValue();
        ClipText += kLineEnd;
        ClipText += kValueMarker;
        ClipText += kLineEnd;
        ClipText += FormatKeyLine(FullPath(keyPath));
        ClipText += kLineEnd;
        ClipText += QuoteText(name) + " = " + ToRegeditValueText(text) + kLineEnd;
        SetClipboardText(ClipText);
        return;
    }

    RegistryStore& store = ActiveStore();
    ClipKeyPath = "[" + RootKeyName(root);
    // The key that contains the node's key: its parent's, or RootPath for the
    // top node, or the root key itself.
    const TRegTreeNode* parent = node->ParentNode();
    const std::string parentPath = parent != nullptr ? parent->KeyPath() : RootPath;
    KeyHandle parentKey(store);
    StoreKey container = root;
    if (!parentPath.empty()) {
        const long opened = parentKey.Open(root, parentPath, kKeyRead);
        if (opened != err::kSuccess) {
            SetLastErrorCode(opened);
            CouldNot(parentPath, "open");
        }
        container = parentKey.Get();
        ClipKeyPath += "\\" + parentPath;
    }

    const std::string name = node->NodeName();
    const int topLength = static_cast<int>(ClipKeyPath.size());
    const std::uint32_t subKeys = SubKeyCount(store, container, name);
    std::optional<TProgress> progress;
    if (subKeys >= kProgressKeys)
        progress.emplace(this, QObject::tr("Copying to the clipboard..."),
                         static_cast<int>(subKeys));
    int done = 0;
    bool cancelled = false;

    auto keyCallback = [&](const std::string& keyName, int& len) {
        // A key whose Len is that of the top key's line is a direct subkey.
        if (progress) {
            if (len == topLength + 1 + static_cast<int>(name.size()))
                ++done;
            if (!progress->Step(done)) {
                cancelled = true;
                return 0;
            }
        }
        ClipKeyPath.resize(static_cast<std::size_t>(len));
        ClipKeyPath += '\\';
        ClipKeyPath += keyName;
        len = static_cast<int>(ClipKeyPath.size());
        ClipText += kLineEnd;
        ClipText += ClipKeyPath;
        ClipText += ']';
        ClipText += kLineEnd;
        return 1;
    };
    auto valueCallback = [&](const std::string& valueName, const std::string& valueText, int&) {
        if (valueName.empty()) {
            if (valueText.empty() || valueText == "\"\"")
                return 1;
            ClipText += '@';
        } else {
            ClipText += QuoteText(valueName);
        }
        ClipText += " = ";
        ClipText += ToRegeditValueText(valueText);
        ClipText += kLineEnd;
        return 1;
    };
    {
        // One read scope around the reads: one state of the store, and a
        // store that locks per statement locks once, without holding the
        // write lock (or failing on a read-only store) as a transaction would.
        StoreReadScope readScope(store);
        WalkKey(container, name, ExportText, topLength, valueCallback, keyCallback);
    }
    parentKey.Close();
    if (!cancelled)
        SetClipboardText(ClipText);
}

}  // namespace zanver
