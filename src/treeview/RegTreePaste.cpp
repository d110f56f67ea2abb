// Pasting REGEDIT4 text from the clipboard below the selected key: the parser
// of the text, the renaming of keys and values that exist already, and the
// questions asked on the way.

#include <QObject>

#include <algorithm>
#include <cstdint>
#include <exception>
#include <optional>
#include <unordered_set>
#include <vector>

#include "ActiveStore.h"
#include "AppMessageBox.h"
#include "Clipboard.h"
#include "ErrorCodes.h"
#include "EscapedText.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "NameRules.h"
#include "Progress.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "StrUtils.h"
#include "TreeErrors.h"
#include "Undo.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

constexpr std::string_view kHeader = "REGEDIT4";
constexpr std::string_view kValueMarker = "; Associate value";
// Names and values longer than this are pasted only after a question.
constexpr std::size_t kLongName = 255;

bool IsLineEnd(char c) {
    return c == '\r' || c == '\n' || c == '\0';
}

// base + "(n)" for the first n from 2 for which exists gives false.
template <typename Exists>
std::string FirstFreeName(const std::string& base, Exists exists) {
    for (int n = 2;; ++n) {
        std::string name = base + "(" + std::to_string(n) + ")";
        if (!exists(name))
            return name;
    }
}

// True when path lies below base ("base\..."), letter case ignored.
bool IsBelow(std::string_view path, std::string_view base) {
    return path.size() > base.size() && path[base.size()] == '\\' &&
           SameName(path.substr(0, base.size()), base);
}

// The paste of one clipboard text: the text with a read position, and the
// working state of the parser.
class Paster {
  public:
    Paster(TRegTreeView& view, std::string text, bool confirmCreate, TProgress& progress,
           TPasteChanges& changes)
        : view_(view),
          root_(view.Registry.GetRootKey()),
          text_(std::move(text)),
          progress_(progress),
          changes_(changes),
          askCreate_(confirmCreate) {}

    void Run();

  private:
    enum class Answer { Go, Skip, Stop };

    std::string_view Line(std::size_t end) const {
        return std::string_view(text_).substr(pos_, end - pos_);
    }
    std::size_t LineEnd(std::size_t from) const {
        std::size_t end = from;
        while (end < text_.size() && !IsLineEnd(text_[end]))
            ++end;
        return end;
    }
    void SkipWhiteSpace() {
        while (pos_ < text_.size() && IsWhiteSpace(text_[pos_]))
            ++pos_;
    }
    bool ReadHeader();
    void ReadComment(std::size_t end);
    // Each returns whether the common steps follow.
    bool ReadKeyLine(std::size_t end);
    bool ReadValueLine(std::size_t end);
    std::string ReadValueData(std::size_t from, std::size_t end);
    // The common steps; false when the paste ends.
    bool PasteItem();
    MessageResult Ask(const std::string& text, MessageButtons buttons);
    void AskLength(std::size_t length, const std::string& text);
    Answer AskYesNoCancelAll(const std::string& text, bool& askAgain);
    // What the write of the current line changes, worked out before it is
    // made (the keys above a new key exist after it).
    TPasteChanges ChangeOfLine(bool existed) const;
    // Commits what was pasted so far; raises when the store cannot.
    void CommitSoFar();
    void Finish();

    TRegTreeView& view_;
    RootKey root_;
    std::string text_;
    TProgress& progress_;
    TPasteChanges& changes_;
    TPasteChanges committed_;  // changes_ as of the last commit
    std::size_t pos_ = 0;
    std::optional<StoreTransaction> transaction_;

    std::string target_;
    std::string firstTarget_;
    std::string sourceBase_;
    bool sourceBaseSet_ = false;
    std::string currentKey_;
    std::string lastCreated_ = "prutje11";
    bool valueMarker_ = false;
    bool askOverwrite_ = true;
    bool askCreate_;
    TNodeRef firstNode_;
    std::string valueName_;
    std::string valueText_;
    bool keyLine_ = false;

    // What this paste knows without asking the store (folded names): the keys
    // it created from key lines, whose every subkey is therefore its own; the
    // other keys it wrote to; and the value names written into the current key while
    // that is a key it created. exists_ tells, when known, whether the value
    // of the line exists.
    bool IsFresh(const std::string& key) const { return freshKeys_.contains(FoldName(key)); }
    bool KeyKnownMissing(const std::string& key) const {
        if (!IsFresh(ExtractParentKey(key)))
            return false;
        const std::string folded = FoldName(key);
        return !freshKeys_.contains(folded) && !writtenKeys_.contains(folded);
    }
    std::unordered_set<std::string> freshKeys_;
    std::unordered_set<std::string> writtenKeys_;
    bool currentFresh_ = false;
    std::unordered_set<std::string> freshValues_;
    std::optional<bool> exists_;
};

bool Paster::ReadHeader() {
    std::size_t end = 0;
    while (end < text_.size() && !IsWhiteSpace(text_[end]) && text_[end] != ';')
        ++end;
    pos_ = end;
    return SameName(Trim(std::string_view(text_).substr(0, end)), kHeader);
}

void Paster::ReadComment(std::size_t end) {
    if (Trim(Line(end)) == kValueMarker)
        valueMarker_ = true;
}

bool Paster::ReadKeyLine(std::size_t end) {
    std::string line(Line(end));
    std::string keyName;
    ParseKeyLine(line, keyName);
    // A key name may itself hold "]": the name runs to the last "]" of the line.
    const std::string_view whole = TrimView(Line(end));
    if (!line.empty() && whole.back() == ']')
        keyName = Trim(whole.substr(1, whole.size() - 2));
    while (keyName.size() > 1 && keyName.back() == '\\')
        keyName.pop_back();
    if (valueMarker_) {
        // The key of a copied value: its value goes into the receiving key.
        valueMarker_ = false;
        return false;
    }
    if (!sourceBaseSet_ || !IsBelow(keyName, sourceBase_)) {
        // The first key line, or one outside the key last pasted: it goes
        // below the receiving key as the first one did.
        if (sourceBaseSet_)
            target_ = firstTarget_;
        sourceBase_ = ExtractParentKey(keyName);
        sourceBaseSet_ = true;
    }
    std::string below = sourceBase_.empty() ? "\\" + keyName : keyName.substr(sourceBase_.size());
    if (target_.empty())
        below.erase(0, 1);  // straight below the root key
    currentKey_ = target_ + below;
    currentFresh_ = false;
    freshValues_.clear();
    auto exists = [this](const std::string& key) {
        return !KeyKnownMissing(key) && KeyExists(root_, key);
    };
    if (exists(currentKey_)) {
        currentKey_ = FirstFreeName(currentKey_, exists);
        target_ = currentKey_;
        sourceBase_ = keyName;
    }
    valueName_.clear();
    valueText_.clear();
    keyLine_ = true;
    exists_ = false;  // neither the key nor its default value
    return true;
}

bool Paster::ReadValueLine(std::size_t end) {
    if (currentKey_.empty())
        throw ERegTreeView("Don't want to create a value in " + RootKeyName(root_) + ".");
    // The name ends at the "=" after its closing double quote, so that a name
    // holding "=" reads back; without a closing quote, at the first "=".
    std::size_t equals = std::string_view::npos;
    if (text_[pos_] == '"') {
        std::size_t i = pos_ + 1;
        while (i < end && text_[i] != '"')
            i += text_[i] == '\\' ? 2 : 1;
        if (i < end)
            equals = text_.find('=', i);
    }
    if (equals == std::string_view::npos || equals >= end)
        equals = text_.find('=', pos_);
    if (equals == std::string_view::npos || equals >= end)
        throw Exception("= expected: " + std::string(Line(end).substr(0, 32)));
    const std::string name = Trim(Line(equals));
    valueName_ = name == "@" ? std::string() : UnquoteText(name);
    valueText_ = FromRegeditValueText(ReadValueData(equals + 1, end));
    keyLine_ = false;
    exists_.reset();
    if (!valueName_.empty()) {
        auto exists = [this](const std::string& value) {
            return currentFresh_ ? freshValues_.contains(FoldName(value))
                                 : ValueExists(root_, currentKey_, value);
        };
        if (exists(valueName_))
            valueName_ = FirstFreeName(valueName_, exists);
        exists_ = false;
    } else if (currentFresh_) {
        exists_ = true;  // its key line gave the key a default value
    }
    return true;
}

// The value data from "from" to the end of its line, with the continuation
// lines of a byte list (a line ending in "\") joined to it; pos_ moves past
// the lines consumed.
std::string Paster::ReadValueData(std::size_t from, std::size_t end) {
    std::string data = Trim(std::string_view(text_).substr(from, end - from));
    pos_ = end;
    if (data.empty() || data.front() == '"')
        return data;
    while (!data.empty() && data.back() == '\\') {
        data.pop_back();
        std::size_t next = pos_;
        // The next line that is not empty or a comment continues the data.
        for (;;) {
            while (next < text_.size() && IsWhiteSpace(text_[next]))
                ++next;
            if (next >= text_.size() || text_[next] != ';')
                break;
            next = LineEnd(next);
        }
        // A line of another kind ends the data, as the end of the text does.
        if (next >= text_.size() || text_[next] == '[' || text_[next] == '"' || text_[next] == '@')
            break;
        const std::size_t nextEnd = LineEnd(next);
        data += Trim(std::string_view(text_).substr(next, nextEnd - next));
        pos_ = nextEnd;
    }
    return data;
}

void Paster::CommitSoFar() {
    if (!transaction_)
        return;
    const long rc = transaction_->Commit();
    transaction_.reset();
    if (rc != err::kSuccess) {
        // What was written since the last commit is gone: the view shows
        // again what the store holds, and no record may name it.
        changes_ = committed_;
        view_.RefreshPath(firstTarget_, true);
        firstNode_ = TNodeRef();
        SetLastErrorCode(rc);
        throw ERegTreeView("Could not complete the paste. " + LastErrorText());
    }
    committed_ = changes_;
}

MessageResult Paster::Ask(const std::string& text, MessageButtons buttons) {
    // What was pasted so far is committed before a question, so that the
    // store is not held locked while the user thinks.
    CommitSoFar();
    const MessageResult answer = ShowMessageBox(text, buttons, MessageIcon::Question);
    transaction_.emplace(ActiveStore());
    return answer;
}

void Paster::AskLength(std::size_t length, const std::string& text) {
    if (length > kLongName && Ask(text, MessageButtons::OkCancel) != MessageResult::Ok)
        throw ERegTreeView("Paste canceled");
}

Paster::Answer Paster::AskYesNoCancelAll(const std::string& text, bool& askAgain) {
    switch (Ask(text, MessageButtons::YesNoCancelAll)) {
        case MessageResult::Yes:
            return Answer::Go;
        case MessageResult::No:
            return Answer::Skip;
        case MessageResult::All:
            askAgain = false;
            return Answer::Go;
        default:
            return Answer::Stop;
    }
}

bool Paster::PasteItem() {
    AskLength(currentKey_.size(), "Are you sure you want to paste a key with this long name " +
                                      currentKey_ + " into the registry?");
    AskLength(valueName_.size(), "Are you sure you want to paste a value with this long name " +
                                     valueName_ + " into the registry?");
    AskLength(valueText_.size(), "Are you sure you want to paste this long value " + valueText_ +
                                     " into the registry?");
    if (askOverwrite_) {
        Answer answer = Answer::Go;
        if (exists_ ? *exists_ : ValueExists(root_, currentKey_, valueName_)) {
            if (!(valueName_.empty() && currentKey_ == lastCreated_))
                answer = AskYesNoCancelAll(view_.FullPath(currentKey_) + "\\" + valueName_ +
                                               " already exists. Overwrite it?",
                                           askOverwrite_);
        } else {
            if (askCreate_) {
                std::string question = "Create " + view_.FullPath(currentKey_) + "\\" + valueName_;
                if (!valueText_.empty())
                    question += " with value " + valueText_;
                answer = AskYesNoCancelAll(question + "?", askCreate_);
            }
            if (answer == Answer::Go && keyLine_)
                lastCreated_ = currentKey_;
        }
        if (answer == Answer::Skip)
            return true;
        if (answer == Answer::Stop)
            return false;
    }
    const TPasteChanges change =
        ChangeOfLine(exists_ ? *exists_ : ValueExists(root_, currentKey_, valueName_));
    // A key line gives the new key an empty default value; a value keeps its
    // exact type and bytes.
    TRegTreeNode* node = nullptr;
    try {
        node = keyLine_ ? view_.WriteValue(currentKey_, valueName_, valueText_)
                        : view_.WriteExactValue(currentKey_, valueName_, valueText_);
    } catch (...) {
        // A write that failed may have made its key all the same.
        for (const std::string& item : change.Created) {
            const std::vector<std::string> fields = SplitUndoFields(item);
            if (fields.size() == 1 ? KeyExists(root_, item)
                                   : ValueExists(root_, fields[0], fields[1]))
                changes_.Created.push_back(item);
        }
        throw;
    }
    changes_.Created.insert(changes_.Created.end(), change.Created.begin(), change.Created.end());
    changes_.Overwritten.insert(changes_.Overwritten.end(), change.Overwritten.begin(),
                                change.Overwritten.end());
    if (keyLine_) {
        // Known to be new, so all below it will be this paste's.
        freshKeys_.insert(FoldName(currentKey_));
        currentFresh_ = true;
    } else if (currentFresh_) {
        freshValues_.insert(FoldName(valueName_));
    }
    if (!currentFresh_)
        writtenKeys_.insert(FoldName(currentKey_));
    if (firstNode_.Get() == nullptr)
        firstNode_ = TNodeRef(node);
    return true;
}

TPasteChanges Paster::ChangeOfLine(bool existed) const {
    TPasteChanges change;
    if (currentFresh_)
        return change;  // inside a key this paste created
    // A key line's key is new; so is the key of a value whose key line was
    // declined. The missing keys above it come with it.
    if (keyLine_ || !KeyExists(root_, currentKey_)) {
        std::string top = currentKey_;
        for (std::string parent = ExtractParentKey(top);
             !parent.empty() && !IsFresh(parent) && !KeyExists(root_, parent);
             parent = ExtractParentKey(parent))
            top = parent;
        if (!IsFresh(ExtractParentKey(top)))
            change.Created.push_back(top);
    } else if (existed) {
        change.Overwritten.push_back(
            {currentKey_, valueName_, ReadExactValueText(root_, currentKey_, valueName_)});
    } else {
        change.Created.push_back(CreatedValueUndoText(currentKey_, valueName_));
    }
    return change;
}

void Paster::Run() {
    TRegTreeNode* parent = view_.ParentForNew();
    currentKey_ = parent != nullptr ? parent->KeyPath() : std::string();
    // Into an empty tree the keys go below RootPath (or the root key).
    target_ = parent != nullptr ? currentKey_ : view_.RootPath;
    firstTarget_ = target_;
    if (!ReadHeader())
        return;

    progress_.SetMaximum(static_cast<int>(std::min<std::size_t>(text_.size(), INT32_MAX)));
    transaction_.emplace(ActiveStore());
    view_.BeginUpdate();
    try {
        for (;;) {
            SkipWhiteSpace();
            if (pos_ >= text_.size())
                break;
            if (!progress_.Step(static_cast<int>(std::min<std::size_t>(pos_, INT32_MAX))))
                break;
            const std::size_t end = LineEnd(pos_);
            bool item = false;
            switch (text_[pos_]) {
                case ';':
                    ReadComment(end);
                    pos_ = end;
                    break;
                case '[':
                    item = ReadKeyLine(end);
                    pos_ = end;
                    break;
                case '"':
                case '@':
                    item = ReadValueLine(end);
                    break;
                default:
                    // Text of no kind this format knows (a stray continuation
                    // line, for instance): passed over.
                    pos_ = end;
            }
            if (item && !PasteItem())
                break;
        }
    } catch (...) {
        const std::exception_ptr failure = std::current_exception();
        // A commit that fails here is the greater news: it raises instead.
        Finish();
        std::rethrow_exception(failure);
    }
    Finish();
}

// What was pasted stays, also when a line failed or the paste was cancelled.
void Paster::Finish() {
    view_.EndUpdate();
    CommitSoFar();
    if (TRegTreeNode* first = firstNode_.Get()) {
        view_.Select(first);
        view_.scrollToItem(first);
    }
}

}  // namespace

void TRegTreeView::PasteFromClipboard(bool confirmCreate, TPasteChanges* changes) {
    // The progress runs from the start, since reading a large clipboard takes
    // time too; a short paste ends before its dialog would appear.
    TProgress progress(this, QObject::tr("Pasting from the clipboard..."), 0);
    TPasteChanges ignored;
    Paster paster(*this, ClipboardText(), confirmCreate, progress, changes ? *changes : ignored);
    paster.Run();
}

}  // namespace zanver
