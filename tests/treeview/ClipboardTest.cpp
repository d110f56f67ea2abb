// Copy and paste of keys and values as REGEDIT4 text.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "GuiFixture.h"
#include "Progress.h"
#include "RegFile.h"
#include "RegTreeView.h"
#include "StoreHelpers.h"
#include "TreeErrors.h"

namespace zanver {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

void Str(std::string_view key, std::string_view name, std::string_view text) {
    WriteString(HKEY_CLASSES_ROOT, key, name, false, text);
}

class ClipboardTest : public GuiTest {
  protected:
    ~ClipboardTest() override { TProgress::StepHook = nullptr; }

    // Shows key and selects the node at path.
    void ShowAndSelect(const std::string& key, const std::string& path) {
        view.RefreshPath(key, false);
        TRegTreeNode* node = view.FindNode(path, true);
        EXPECT_NE(node, nullptr) << path;
        view.Select(node);
    }
    // The value's text, or "-" when it is not there.
    static std::string Read(const std::string& key, const std::string& name) {
        return ValueExists(HKEY_CLASSES_ROOT, key, name)
                   ? ReadValueText(HKEY_CLASSES_ROOT, key, name, false)
                   : "-";
    }
    std::string SelectedPath() const {
        return view.Selected() != nullptr ? view.Selected()->NodePath() : "<none>";
    }
    void Paste(const std::string& text, bool ask = false) {
        gui::SetClipboard(text);
        view.PasteFromClipboard(ask);
    }
    void ExpectAsk(const std::string& text, MessageResult answer,
                   MessageButtons buttons = MessageButtons::YesNoCancelAll) {
        Expect("Zanver", text, buttons, MessageIcon::Question, answer);
    }

    TRegTreeView view;
};

TEST_F(ClipboardTest, CopyWritesKeysDepthFirstValuesWithTheirKeyAndFailsCleanly) {
    Str(".txt", "", "txtfile");
    Str(".txt", "Content Type", "text/plain");
    WriteDWord(HKEY_CLASSES_ROOT, ".txt", "Flags", 1);
    Str(".txt\\ShellNew", "", "");  // an empty default string is left out
    Str(".txt\\ShellNew", "NullFile", "");
    ShowAndSelect(".txt", ".txt");
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(),
              "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n@ = \"txtfile\"\r\n"
              "\"Content Type\" = \"text/plain\"\r\n\"Flags\" = dword: 00000001\r\n\r\n"
              "[HKEY_CLASSES_ROOT\\.txt\\ShellNew]\r\n\"NullFile\" = \"\"\r\n");
    view.Select(view.FindNode(".txt\\ShellNew", false));
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(),
              "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\.txt\\ShellNew]\r\n"
              "\"NullFile\" = \"\"\r\n");
    view.Select(view.FindNode(".txt\\Content Type", false));
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(),
              "REGEDIT4\r\n\r\n; Associate value\r\n[HKEY_CLASSES_ROOT\\.txt]\r\n"
              "\"Content Type\" = \"text/plain\"\r\n");

    // A key the store cannot read, and one whose parent has gone behind the
    // view's back: nothing is copied.
    view.ClearTree();
    Str("a\\b", "v", "1");
    ShowAndSelect("a", "a\\b");
    FaultStore faults(store);
    ScopedActiveStore faulty(faults);
    faults.FailNth(FaultStore::Call::QueryInfoKey, 1, err::kAccessDenied);
    faults.FailNth(FaultStore::Call::QueryInfoKey, 2, err::kAccessDenied);
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] { view.CopyToClipboard(); }),
              "Could not query key b. Access is denied");
    EXPECT_TRUE(view.ClipText.empty());
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a"));
    EXPECT_THAT(ErrorOf<ERegTreeView>([&] { view.CopyToClipboard(); }),
                StartsWith("Could not open HKEY_CLASSES_ROOT\\a. "));
    EXPECT_TRUE(view.ClipText.empty());
    EXPECT_TRUE(view.ClipKeyPath.empty());
}

TEST_F(ClipboardTest, CanPasteWantsTheHeaderWordFollowedByASeparator) {
    EXPECT_FALSE(view.CanPaste());
    for (const char* text : {"REGEDIT4", "REGEDIT", "REGEDIT5\r\n", "REGEDIT4x", " REGEDIT4\r\n"}) {
        gui::SetClipboard(text);
        EXPECT_FALSE(view.CanPaste()) << text;
    }
    for (const char* text : {"regedit4\r\n", "REGEDIT4 ", "REGEDIT4;", "ReGeDiT4\n[x]"}) {
        gui::SetClipboard(text);
        EXPECT_TRUE(view.CanPaste()) << text;
    }
}

TEST_F(ClipboardTest, PastedNamesThatExistAreNumbered) {
    Str(".txt", "Content Type", "text/plain");
    Str(".abc", "Content Type", "text/abc");
    ShowAndSelect(".txt", ".txt\\Content Type");
    view.CopyToClipboard();
    view.ClearTree();
    ShowAndSelect(".abc", ".abc");
    ExpectAsk("Create HKEY_CLASSES_ROOT\\.abc\\Content Type(2) with value \"text/plain\"?",
              MessageResult::Yes);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read(".abc", "Content Type"), "\"text/abc\"");
    EXPECT_EQ(Read(".abc", "Content Type(2)"), "\"text/plain\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".abc\\.txt"));
    EXPECT_EQ(SelectedPath(), ".abc\\Content Type(2)");
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read(".abc", "Content Type(3)"), "\"text/plain\"");

    // A key, with its subkeys below the renamed copy.
    Str("a\\sub", "", "s");
    Str("a\\sub\\deep", "dv", "d");
    Str("a\\sub(2)x", "", "");  // a name that only starts alike is no clash
    view.ClearTree();
    ShowAndSelect("a", "a\\sub");
    view.CopyToClipboard();
    view.Select(view.TopNode());
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("a\\sub(2)", ""), "\"s\"");
    EXPECT_EQ(Read("a\\sub(2)\\deep", "dv"), "\"d\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\deep"));
    EXPECT_EQ(SelectedPath(), "a\\sub(2)");
    EXPECT_NE(view.FindNode("a\\sub(2)\\deep\\dv", false), nullptr);
    // Into an empty tree the key goes straight below the root key.
    view.ClearTree();
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("sub\\deep", "dv"), "\"d\"");
    EXPECT_EQ(view.TopNode()->NodeName(), "sub");

    // A key or value twice in one text: renamed the second time.
    ShowAndSelect("a", "a");
    Paste(
        "REGEDIT4\r\n[R\\k]\r\n\"v\" = \"1\"\r\n\"V\" = \"2\"\r\n[R\\k\\s]\r\n"
        "[R\\k\\S]\r\n\"w\" = \"3\"\r\n");
    EXPECT_EQ(Read("a\\k", "v"), "\"1\"");
    EXPECT_EQ(Read("a\\k", "V(2)"), "\"2\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\k\\s"));
    EXPECT_EQ(Read("a\\k\\S(2)", "w"), "\"3\"");
}

TEST_F(ClipboardTest, EachAnswerToTheCreateQuestions) {
    using R = MessageResult;
    struct Case {
        std::vector<std::pair<std::string, R>> asked;  // after "Create HKEY_CLASSES_ROOT\dst\"
        std::string state;  // dst\k's default, v, whether s is there, and s's w
        std::string selected;
    };
    const std::vector<Case> cases = {
        // A new key's default value brings no question of its own.
        {{{"k\\", R::Yes},
          {"k\\v with value \"1\"", R::Yes},
          {"k\\s\\", R::Yes},
          {"k\\s\\w with value \"2\"", R::Yes}},
         "\"d\" \"1\" s \"2\"",
         ""},
        // No skips that line only; a key not made makes its default value a new value.
        {{{"k\\", R::No},
          {"k\\ with value \"d\"", R::No},
          {"k\\v with value \"1\"", R::Yes},
          {"k\\s\\", R::No},
          {"k\\s\\w with value \"2\"", R::No}},
         "- \"1\" - -",
         ""},
        // Cancel ends quietly, keeping what was pasted.
        {{{"k\\", R::Yes}, {"k\\v with value \"1\"", R::Cancel}}, "\"d\" - - -", "dst\\k"},
    };
    Str("dst", "", "old");
    for (const Case& c : cases) {
        DeleteKeyTree(HKEY_CLASSES_ROOT, "dst\\k");
        view.ClearTree();
        ShowAndSelect("dst", "dst");
        for (const auto& [what, answer] : c.asked)
            ExpectAsk("Create HKEY_CLASSES_ROOT\\dst\\" + what + "?", answer);
        EXPECT_NO_THROW(
            Paste("REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\src\\k]\r\n@ = \"d\"\r\n\"v\" = \"1\"\r\n"
                  "\r\n[HKEY_CLASSES_ROOT\\src\\k\\s]\r\n\"w\" = \"2\"\r\n",
                  true));
        EXPECT_EQ(Read("dst\\k", "") + " " + Read("dst\\k", "v") + " " +
                      (KeyExists(HKEY_CLASSES_ROOT, "dst\\k\\s") ? "s " : "- ") +
                      Read("dst\\k\\s", "w"),
                  c.state);
        if (!c.selected.empty()) {
            EXPECT_EQ(SelectedPath(), c.selected);
        }
    }
    ShowAndSelect("dst", "dst");

    // All stops the create questions but not the overwrite questions; All to
    // an overwrite question ends every question.
    const std::string overwrite = "HKEY_CLASSES_ROOT\\dst\\ already exists. Overwrite it?";
    ExpectAsk("Create HKEY_CLASSES_ROOT\\dst\\n1 with value \"1\"?", R::All);
    ExpectAsk(overwrite, R::No);
    Paste(
        "REGEDIT4\r\n\r\n; Associate value\r\n[HKEY_CLASSES_ROOT\\elsewhere]\r\n"
        "\"n1\" = \"1\"\r\n\"n2\" = \"2\"\r\n@ = \"new\"\r\n",
        true);
    EXPECT_EQ(Read("dst", "n2"), "\"2\"");
    EXPECT_EQ(Read("dst", ""), "\"old\"");
    ExpectAsk(overwrite, R::All);
    Paste("REGEDIT4\r\n; Associate value\r\n[x]\r\n@ = \"new\"\r\n\"n3\" = \"3\"\r\n", true);
    EXPECT_EQ(Read("dst", ""), "\"new\"");
    EXPECT_EQ(Read("dst", "n3"), "\"3\"");
}

TEST_F(ClipboardTest, LongNamesAndValuesAreAskedForAndMalformedTextRefused) {
    Str("p", "", "");
    ShowAndSelect("p", "p");
    const std::string longName(300, 'n');
    const std::string longText(256, 't');
    const auto ok = MessageButtons::OkCancel;
    ExpectAsk("Are you sure you want to paste a value with this long name " + longName +
                  " into the registry?",
              MessageResult::Ok, ok);
    ExpectAsk(
        "Are you sure you want to paste this long value \"" + longText + "\" into the registry?",
        MessageResult::Cancel, ok);
    EXPECT_EQ(ErrorOf<ERegTreeView>([&] {
                  Paste("REGEDIT4\r\n; Associate value\r\n[x]\r\n\"" + longName +
                        "\" = \"1\"\r\n\"v\" = \"" + longText + "\"\r\n\"w\" = \"2\"\r\n");
              }),
              "Paste canceled");
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "p", longName));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "p", "w"));

    const std::string part(100, 'k');
    const std::string head = "[HKEY_CLASSES_ROOT\\" + part;
    const std::string deep = "p\\" + part + "\\" + part + "\\" + part;
    ExpectAsk(
        "Are you sure you want to paste a key with this long name " + deep + " into the registry?",
        MessageResult::Ok, ok);
    Paste("REGEDIT4\r\n" + head + "]\r\n" + head + "\\" + part + "]\r\n" + head + "\\" + part +
          "\\" + part + "]\r\n");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, deep));

    auto failure = [&](const std::string& body) {
        return ErrorOf([&] { Paste("REGEDIT4\r\n" + body); });
    };
    EXPECT_EQ(failure("[HKEY_CLASSES_ROOT\\a\r\n"), "] Expected");
    EXPECT_EQ(failure("@x = \"1\"\r\n"), "\" Expected: @x");
    EXPECT_EQ(failure("\"abc\"\r\n\"d\" = \"1\"\r\n"), "= expected: \"abc\"");
    // Text that is not REGEDIT4 text: nothing happens at all.
    Paste("Hello\r\n[HKEY_CLASSES_ROOT\\a]\r\n");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "p\\a"));
    view.ClearTree();
    EXPECT_EQ(failure("\"v\" = \"1\"\r\n"), "Don't want to create a value in HKEY_CLASSES_ROOT.");
}

TEST_F(ClipboardTest, NamesAndStringsWithQuotesBackslashesAndLineBreaksRoundTrip) {
    // Default values first, where a pasted key has its own.
    Str("src", "", "top \"default\"");
    for (const std::string s :
         {"q\"uote", "back\\slash", "cr\rlf\nboth\r\n", "a=b \" = \"", "trail\\", " blanks "}) {
        Str("src", s, s);
        Str("src\\k " + s.substr(0, 1) + "\"]x", "", "");
        Str("src\\k " + s.substr(0, 1) + "\"]x", s, "v");
    }
    Str("src\\empty", "", "");
    const std::uint8_t bytes[] = {0, 1, 0x5C, 0x22, 0xFF};
    // What a plain write would change: an unassigned default value with
    // bytes, a string without even its terminator.
    SetExactRawValue(HKEY_CLASSES_ROOT, "src\\bin", "", RegNone, bytes, 2);
    SetExactRawValue(HKEY_CLASSES_ROOT, "src\\bin", "no bytes", RegSz, nullptr, 0);
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "raw", RegBinary, bytes, sizeof bytes);
    // A value whose display form would lose bytes, and a string that is no
    // valid UTF-8 (the clipboard holds text).
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "short dword", RegDword, bytes + 2, 3);
    const std::uint8_t latin[] = {'a', 0xFF, 0};
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "latin", RegSz, latin, sizeof latin);
    WriteString(HKEY_CLASSES_ROOT, "src\\bin", "exp", true, "%PATH%\\x");
    Str("dst", "", "");
    ShowAndSelect("src", "src");
    view.CopyToClipboard();
    view.ClearTree();
    ShowAndSelect("dst", "dst");
    view.PasteFromClipboard(false);

    // Every value comes back with its type and bytes; only a name's lone
    // line breaks come back as CR LF.
    std::string expected = test::Tree(store, HKEY_CLASSES_ROOT, "src");
    for (std::size_t at = 0; (at = expected.find("\"cr\rlf\n", at)) != std::string::npos;)
        expected.replace(at, 7, "\"cr\r\nlf\r\n");
    EXPECT_EQ(test::Tree(store, HKEY_CLASSES_ROOT, "dst\\src"), expected);
}

TEST_F(ClipboardTest, TextOfTheRegFileExporterPastesWithItsContinuationLines) {
    Bytes blob(40);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>(i * 7);
    Str("src", "", "");
    SetRawValue(HKEY_CLASSES_ROOT, "src", "blob", RegBinary, blob.data(), blob.size());
    WriteString(HKEY_CLASSES_ROOT, "src\\sub", "", false, "x \"quoted\" \\ y");
    const char multi[] = "first\0second\0third string of some length\0\0";
    SetRawValue(HKEY_CLASSES_ROOT, "src\\sub", "multi", RegMultiSz,
                reinterpret_cast<const std::uint8_t*>(multi), sizeof multi - 1);
    const std::string text = ExportRegText(store, HKEY_CLASSES_ROOT, "src", RegFormat::Regedit4);
    ASSERT_THAT(text, HasSubstr("\\\r\n  "));
    Str("dst", "", "");
    ShowAndSelect("dst", "dst");
    Paste(text);
    EXPECT_EQ(test::Tree(store, HKEY_CLASSES_ROOT, "dst\\src"),
              test::Tree(store, HKEY_CLASSES_ROOT, "src"));

    // A continuation line without its value line, and other unknown text,
    // are passed over without writing anything.
    view.Select(view.TopNode());
    Paste(
        "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\t]\r\n  41,42,\\\r\n  43\r\n"
        "junk = \"1\"\r\n\"v\" = \"1\"\r\n-\r\n");
    EXPECT_EQ(test::Tree(store, HKEY_CLASSES_ROOT, "dst\\t"), "\"\" 1: 0\n\"v\" 1: 49 0\n");
}

TEST_F(ClipboardTest, CancelledProgressKeepsWhatWasPasted) {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 1500; ++i)
        text +=
            "\r\n[HKEY_CLASSES_ROOT\\src\\k" + std::to_string(10000 + i) + "]\r\n\"v\" = \"1\"\r\n";
    Str("dst", "", "");
    ShowAndSelect("dst", "dst");
    int steps = 0;
    TProgress::StepHook = [&](int) { return ++steps < 100; };
    Paste(text);
    int pasted = 0;
    while (KeyExists(HKEY_CLASSES_ROOT, "dst\\k" + std::to_string(10000 + pasted)))
        ++pasted;
    EXPECT_GT(pasted, 10);
    EXPECT_LT(pasted, 100);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dst\\k" + std::to_string(10000 + pasted + 1)));
    EXPECT_NE(view.FindNode("dst\\k10000\\v", false), nullptr);
}

}  // namespace
}  // namespace zanver
