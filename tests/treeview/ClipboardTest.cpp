// Copy and paste of keys and values as REGEDIT4 text, and the key walk.

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "FaultStore.h"
#include "GuiFixture.h"
#include "Progress.h"
#include "RegFile.h"
#include "RegTreeView.h"
#include "RegistryAccess.h"
#include "TreeErrors.h"
#include "ValueText.h"
#include "ValueTextRegistry.h"

namespace zanver {
namespace {

using ::testing::HasSubstr;
using ::testing::StartsWith;

constexpr auto YNCA = MessageButtons::YesNoCancelAll;
constexpr auto Q = MessageIcon::Question;

void Str(std::string_view key, std::string_view name, std::string_view text) {
    WriteString(HKEY_CLASSES_ROOT, key, name, false, text);
}

// Every key below key with its values (type and bytes), one line each, for
// comparing two trees; a key without default value counts as one with an
// empty string, which is what a pasted key gets.
void Dump(const std::string& key, const std::string& shown,
          std::map<std::string, std::string>& out) {
    RegistryStore& store = ActiveStore();
    StoreKey handle = 0;
    ASSERT_EQ(store.OpenKey(HKEY_CLASSES_ROOT, key, kKeyRead, handle), err::kSuccess) << key;
    std::string name;
    std::uint32_t type = 0;
    Bytes data;
    bool hasDefault = false;
    for (std::uint32_t i = 0; store.EnumValue(handle, i, name, &type, &data) == 0; ++i) {
        out[shown + "|" + name] =
            std::to_string(type) + ":" + std::string(data.begin(), data.end());
        hasDefault = hasDefault || name.empty();
    }
    if (!hasDefault)
        out[shown + "|"] = std::string("1:") + '\0';
    std::vector<std::string> subKeys;
    for (std::uint32_t i = 0; store.EnumKey(handle, i, name) == 0; ++i)
        subKeys.push_back(name);
    store.CloseKey(handle);
    for (const std::string& sub : subKeys)
        Dump(key + "\\" + sub, shown + "\\" + sub, out);
}

std::map<std::string, std::string> Dump(const std::string& key) {
    std::map<std::string, std::string> out;
    Dump(key, "", out);
    return out;
}

// Lone carriage returns and line feeds become CR LF.
std::string Crlf(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\r\n";
            ++i;
        } else if (text[i] == '\r' || text[i] == '\n') {
            out += "\r\n";
        } else {
            out += text[i];
        }
    }
    return out;
}

class ClipboardTest : public GuiTest {
  protected:
    ~ClipboardTest() override { TProgress::StepHook = nullptr; }

    // Shows key and selects the node at path.
    TRegTreeNode* ShowAndSelect(const std::string& key, const std::string& path) {
        view.RefreshPath(key, false);
        TRegTreeNode* node = view.FindNode(path, true);
        EXPECT_NE(node, nullptr) << path;
        view.Select(node);
        return node;
    }
    std::string Read(const std::string& key, const std::string& name) {
        return ReadValueText(HKEY_CLASSES_ROOT, key, name, false);
    }

    TRegTreeView view;
};

// --- Copy ---

TEST_F(ClipboardTest, CopyOfAKeyWritesItsValuesAndSubkeysDepthFirst) {
    Str(".txt", "", "txtfile");
    Str(".txt", "Content Type", "text/plain");
    WriteDWord(HKEY_CLASSES_ROOT, ".txt", "Flags", 1);
    Str(".txt\\ShellNew", "", "");  // an empty default string is left out
    Str(".txt\\ShellNew", "NullFile", "");
    ShowAndSelect(".txt", ".txt");
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(),
              "REGEDIT4\r\n"
              "\r\n"
              "[HKEY_CLASSES_ROOT\\.txt]\r\n"
              "@ = \"txtfile\"\r\n"
              "\"Content Type\" = \"text/plain\"\r\n"
              "\"Flags\" = dword: 00000001\r\n"
              "\r\n"
              "[HKEY_CLASSES_ROOT\\.txt\\ShellNew]\r\n"
              "\"NullFile\" = \"\"\r\n");
    EXPECT_TRUE(view.ClipText.empty());
    EXPECT_TRUE(view.ClipKeyPath.empty());

    // A subkey's key lines carry its parent's path; so does a value's.
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

    // Nothing selected: the clipboard stays as it was.
    view.Select(nullptr);
    gui::SetClipboard("before");
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(), "before");
}

TEST_F(ClipboardTest, CopyBelowRootPathAndFailures) {
    Str("CLSID\\{1}", "", "one");
    view.RootPath = "CLSID";
    ShowAndSelect("CLSID\\{1}", "CLSID\\{1}");
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(),
              "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\CLSID\\{1}]\r\n@ = \"one\"\r\n");

    // The key that holds the copied key has gone behind the view's back.
    view.RootPath.clear();
    view.ClearTree();
    Str("a\\b", "v", "1");
    ShowAndSelect("a", "a\\b");
    ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a"));
    try {
        view.CopyToClipboard();
        ADD_FAILURE() << "no error";
    } catch (const ERegTreeView& e) {
        EXPECT_THAT(e.Message(), StartsWith("Could not open HKEY_CLASSES_ROOT\\a. "));
    }
    EXPECT_TRUE(view.ClipText.empty());
    EXPECT_TRUE(view.ClipKeyPath.empty());
}

TEST_F(ClipboardTest, WalkKeyCodesAndDepthOptions) {
    Str("w", "", "top");
    Str("w", "v1", "1");
    Str("w", "v2", "2");
    Str("w\\a", "", "A");
    Str("w\\a", "av", "x");
    Str("w\\a\\b", "", "B");
    Str("w\\a\\b", "bv", "y");
    Str("w\\a\\b\\c", "", "C");
    Str("w\\z", "zv", "z");
    std::vector<std::string> seen;
    auto keys = [&](int skip, int stop) {
        return [&seen, skip, stop](const std::string& name, int& len) {
            seen.push_back("[" + name + ":" + std::to_string(len) + "]");
            ++len;
            return name == "a" ? skip : name == "z" ? stop : 1;
        };
    };
    auto values = [&](int code) {
        return [&seen, code](const std::string& name, const std::string& text, int&) {
            seen.push_back(name + "=" + text);
            return code;
        };
    };
    auto joined = [&] {
        std::string all;
        for (const std::string& s : seen)
            all += s + " ";
        seen.clear();
        return all;
    };
    view.WalkKey(HKEY_CLASSES_ROOT, "w", 0, 0, values(1), keys(1, 1));
    EXPECT_EQ(joined(),
              "[w:0] =\"top\" v1=\"1\" v2=\"2\" [a:1] =\"A\" av=\"x\" [b:2] =\"B\" bv=\"y\" "
              "[c:3] =\"C\" [z:1] zv=\"z\" ");
    // TwoLevels: the third level reports only its default value.
    view.WalkKey(HKEY_CLASSES_ROOT, "w", TwoLevels | SkipFirstKey | ExportText, 0, values(1),
                 keys(1, 1));
    EXPECT_EQ(joined(),
              "=\"top\" v1=\"1\" v2=\"2\" [a:0] =\"A\" av=\"x\" [b:1] =\"B\" [z:0] zv=\"z\" ");
    // A key callback code other than 1 skips that key and goes on; 0 stops.
    EXPECT_EQ(view.WalkKey(HKEY_CLASSES_ROOT, "w", NoValues, 0, values(1), keys(2, 1)), 1);
    EXPECT_EQ(joined(), "[w:0] [a:1] [z:1] ");
    EXPECT_EQ(view.WalkKey(HKEY_CLASSES_ROOT, "w", NoValues, 0, values(1), keys(0, 1)), 0);
    EXPECT_EQ(joined(), "[w:0] [a:1] ");
    // A value code other than 1 ends that key's values; its subkeys follow.
    EXPECT_EQ(view.WalkKey(HKEY_CLASSES_ROOT, "w\\a", 0, 0, values(5), keys(1, 1)), 1);
    EXPECT_EQ(joined(), "[w\\a:0] =\"A\" [b:1] =\"B\" [c:2] =\"C\" ");
    EXPECT_EQ(view.WalkKey(HKEY_CLASSES_ROOT, "w\\a", 0, 0, values(0), keys(1, 1)), 0);
    EXPECT_EQ(joined(), "[w\\a:0] =\"A\" ");
    // A key that cannot be opened is skipped.
    EXPECT_EQ(view.WalkKey(HKEY_CLASSES_ROOT, "missing", 0, 0, values(1), keys(1, 1)), 1);
    EXPECT_EQ(joined(), "");

    FaultStore faults(store);
    ScopedActiveStore faulty(faults);
    faults.FailNth(FaultStore::Call::QueryInfoKey, 1, err::kAccessDenied);
    try {
        view.WalkKey(HKEY_CLASSES_ROOT, "w", 0, 0, values(1), keys(1, 1));
        ADD_FAILURE() << "no error";
    } catch (const ERegTreeView& e) {
        EXPECT_EQ(e.Message(), "Could not query key w. Access is denied");
    }
}

// --- CanPaste ---

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

// --- Paste ---

TEST_F(ClipboardTest, PastedValueGoesIntoTheSelectedKeyRenamedWhenItExists) {
    Str(".txt", "Content Type", "text/plain");
    Str(".abc", "Content Type", "text/abc");
    ShowAndSelect(".txt", ".txt\\Content Type");
    view.CopyToClipboard();
    view.ClearTree();
    ShowAndSelect(".abc", ".abc");
    Expect("Zanver", "Create HKEY_CLASSES_ROOT\\.abc\\Content Type(2) with value \"text/plain\"?",
           YNCA, Q, MessageResult::Yes);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read(".abc", "Content Type"), "\"text/abc\"");
    EXPECT_EQ(Read(".abc", "Content Type(2)"), "\"text/plain\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".abc\\.txt"));
    ASSERT_NE(view.Selected(), nullptr);
    EXPECT_EQ(view.Selected()->NodePath(), ".abc\\Content Type(2)");

    // Again, without questions: the next free number.
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read(".abc", "Content Type(3)"), "\"text/plain\"");
}

TEST_F(ClipboardTest, PastedKeyThatExistsBecomesNameTwoWithItsSubkeysBelow) {
    Str("a\\sub", "", "s");
    Str("a\\sub\\deep", "dv", "d");
    Str("a\\sub(2)x", "", "");  // a name that only starts alike is no clash
    ShowAndSelect("a", "a\\sub");
    view.CopyToClipboard();
    view.Select(view.TopNode());
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("a\\sub(2)", ""), "\"s\"");
    EXPECT_EQ(Read("a\\sub(2)\\deep", "dv"), "\"d\"");
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\deep"));
    ASSERT_NE(view.Selected(), nullptr);
    EXPECT_EQ(view.Selected()->NodePath(), "a\\sub(2)");
    EXPECT_NE(view.FindNode("a\\sub(2)\\deep\\dv", false), nullptr);

    view.Select(view.TopNode());
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("a\\sub(3)\\deep", "dv"), "\"d\"");
    // Into an empty tree the key goes straight below the root key.
    view.ClearTree();
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("sub\\deep", "dv"), "\"d\"");
    EXPECT_EQ(view.TopNode()->NodeName(), "sub");
}

TEST_F(ClipboardTest, AKeyOrValueTwiceInOneTextIsRenamedTheSecondTime) {
    Str("p", "", "");
    ShowAndSelect("p", "p");
    gui::SetClipboard(
        "REGEDIT4\r\n[R\\k]\r\n\"v\" = \"1\"\r\n\"V\" = \"2\"\r\n[R\\k\\s]\r\n"
        "[R\\k\\S]\r\n\"w\" = \"3\"\r\n");
    view.PasteFromClipboard(false);
    EXPECT_EQ(Read("p\\k", "v"), "\"1\"");
    EXPECT_EQ(Read("p\\k", "V(2)"), "\"2\"");
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "p\\k\\s"));
    EXPECT_EQ(Read("p\\k\\S(2)", "w"), "\"3\"");
}

class CreateQuestionTest : public ClipboardTest {
  protected:
    void SetUp() override {
        Str("dst", "", "old");
        ShowAndSelect("dst", "dst");
        gui::SetClipboard(
            "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\src\\k]\r\n@ = \"d\"\r\n"
            "\"v\" = \"1\"\r\n\r\n[HKEY_CLASSES_ROOT\\src\\k\\s]\r\n\"w\" = \"2\"\r\n");
    }
    void ExpectCreate(const std::string& what, MessageResult answer) {
        Expect("Zanver", "Create HKEY_CLASSES_ROOT\\dst\\" + what + "?", YNCA, Q, answer);
    }
};

TEST_F(CreateQuestionTest, YesToEachLine) {
    ExpectCreate("k\\", MessageResult::Yes);  // a new key's default value: no question
    ExpectCreate("k\\v with value \"1\"", MessageResult::Yes);
    ExpectCreate("k\\s\\", MessageResult::Yes);
    ExpectCreate("k\\s\\w with value \"2\"", MessageResult::Yes);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read("dst\\k", ""), "\"d\"");
    EXPECT_EQ(Read("dst\\k\\s", "w"), "\"2\"");
}

TEST_F(CreateQuestionTest, NoSkipsTheLineOnly) {
    ExpectCreate("k\\", MessageResult::No);
    // The key is not there: its default value is now a new value too.
    ExpectCreate("k\\ with value \"d\"", MessageResult::No);
    ExpectCreate("k\\v with value \"1\"", MessageResult::Yes);
    ExpectCreate("k\\s\\", MessageResult::No);
    ExpectCreate("k\\s\\w with value \"2\"", MessageResult::No);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read("dst\\k", "v"), "\"1\"");
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "dst\\k", ""));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dst\\k\\s"));
}

TEST_F(CreateQuestionTest, CancelEndsQuietlyKeepingWhatWasPasted) {
    ExpectCreate("k\\", MessageResult::Yes);
    ExpectCreate("k\\v with value \"1\"", MessageResult::Cancel);
    EXPECT_NO_THROW(view.PasteFromClipboard(true));
    EXPECT_EQ(Read("dst\\k", ""), "\"d\"");
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "dst\\k", "v"));
    ASSERT_NE(view.Selected(), nullptr);
    EXPECT_EQ(view.Selected()->NodePath(), "dst\\k");
}

TEST_F(CreateQuestionTest, AllStopsCreateQuestionsButNotOverwriteQuestions) {
    // A copied value pasted into the selected key: a new value and the
    // existing default value.
    gui::SetClipboard(
        "REGEDIT4\r\n\r\n; Associate value\r\n[HKEY_CLASSES_ROOT\\elsewhere]\r\n"
        "\"n1\" = \"1\"\r\n\"n2\" = \"2\"\r\n@ = \"new\"\r\n");
    Expect("Zanver", "Create HKEY_CLASSES_ROOT\\dst\\n1 with value \"1\"?", YNCA, Q,
           MessageResult::All);
    Expect("Zanver", "HKEY_CLASSES_ROOT\\dst\\ already exists. Overwrite it?", YNCA, Q,
           MessageResult::No);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read("dst", "n2"), "\"2\"");
    EXPECT_EQ(Read("dst", ""), "\"old\"");

    // All to the overwrite question ends every question.
    gui::SetClipboard("REGEDIT4\r\n; Associate value\r\n[x]\r\n@ = \"new\"\r\n\"n3\" = \"3\"\r\n");
    Expect("Zanver", "HKEY_CLASSES_ROOT\\dst\\ already exists. Overwrite it?", YNCA, Q,
           MessageResult::All);
    view.PasteFromClipboard(true);
    EXPECT_EQ(Read("dst", ""), "\"new\"");
    EXPECT_EQ(Read("dst", "n3"), "\"3\"");
}

TEST_F(ClipboardTest, LongNamesAndValuesAreAskedFor) {
    Str("p", "", "");
    ShowAndSelect("p", "p");
    const std::string longName(300, 'n');
    const std::string longText(256, 't');
    gui::SetClipboard("REGEDIT4\r\n; Associate value\r\n[x]\r\n\"" + longName +
                      "\" = \"1\"\r\n\"v\" = \"" + longText + "\"\r\n\"w\" = \"2\"\r\n");
    Expect("Zanver",
           "Are you sure you want to paste a value with this long name " + longName +
               " into the registry?",
           MessageButtons::OkCancel, Q, MessageResult::Ok);
    Expect("Zanver",
           "Are you sure you want to paste this long value \"" + longText + "\" into the registry?",
           MessageButtons::OkCancel, Q, MessageResult::Cancel);
    try {
        view.PasteFromClipboard(false);
        ADD_FAILURE() << "no error";
    } catch (const ERegTreeView& e) {
        EXPECT_EQ(e.Message(), "Paste canceled");
    }
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "p", longName));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "p", "w"));

    const std::string part(100, 'k');
    const std::string deep = "p\\" + part + "\\" + part + "\\" + part;
    gui::SetClipboard("REGEDIT4\r\n[HKEY_CLASSES_ROOT\\" + part + "]\r\n[HKEY_CLASSES_ROOT\\" +
                      part + "\\" + part + "]\r\n[HKEY_CLASSES_ROOT\\" + part + "\\" + part + "\\" +
                      part + "]\r\n");
    Expect(
        "Zanver",
        "Are you sure you want to paste a key with this long name " + deep + " into the registry?",
        MessageButtons::OkCancel, Q, MessageResult::Ok);
    view.PasteFromClipboard(false);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, deep));
}

TEST_F(ClipboardTest, MalformedTextIsRefusedWithTheParsersMessages) {
    Str("p", "", "");
    ShowAndSelect("p", "p");
    auto failure = [&](const std::string& body) {
        gui::SetClipboard("REGEDIT4\r\n" + body);
        try {
            view.PasteFromClipboard(false);
        } catch (const Exception& e) {
            return e.Message();
        }
        return std::string("no error");
    };
    EXPECT_EQ(failure("[HKEY_CLASSES_ROOT\\a\r\n"), "] Expected");
    EXPECT_EQ(failure("[ ]\r\n"), "Key name expected.");
    EXPECT_EQ(failure("@x = \"1\"\r\n"), "\" Expected: @x");
    EXPECT_EQ(failure("\"abc = 1\r\n"), "Unterminated string or extra input: \"abc");
    EXPECT_EQ(failure("\"abc\"\r\n\"d\" = \"1\"\r\n"), "= expected: \"abc\"");
    // Text that is not REGEDIT4 text: nothing happens at all.
    gui::SetClipboard("Hello\r\n[HKEY_CLASSES_ROOT\\a]\r\n");
    view.PasteFromClipboard(false);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "p\\a"));

    view.ClearTree();
    EXPECT_EQ(failure("\"v\" = \"1\"\r\n"), "Don't want to create a value in HKEY_CLASSES_ROOT.");
}

TEST_F(ClipboardTest, NamesAndStringsWithQuotesBackslashesAndLineBreaksRoundTrip) {
    const std::vector<std::string> odd = {"q\"uote",     "back\\slash", "cr\rlf\nboth\r\n",
                                          "a=b \" = \"", "trail\\",     " blanks "};
    Str("src", "", "top \"default\"");
    for (const std::string& s : odd) {
        Str("src", s, s);
        Str("src\\k " + s.substr(0, 1) + "\"]x", s, "v");
    }
    Str("src\\empty", "", "");
    const std::uint8_t bytes[] = {0, 1, 0x5C, 0x22, 0xFF};
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "raw", RegBinary, bytes, sizeof bytes);
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "multi", RegMultiSz, bytes, sizeof bytes);
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "none", RegNone, nullptr, 0);
    // Values whose display form would lose bytes.
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "none with data", RegNone, bytes, 2);
    SetRawValue(HKEY_CLASSES_ROOT, "src\\bin", "short dword", RegDword, bytes + 2, 3);
    WriteString(HKEY_CLASSES_ROOT, "src\\bin", "exp", true, "%PATH%\\x");
    Str("dst", "", "");
    ShowAndSelect("src", "src");
    view.CopyToClipboard();
    view.ClearTree();
    ShowAndSelect("dst", "dst");
    view.PasteFromClipboard(false);

    std::map<std::string, std::string> expected;
    for (const auto& [name, data] : Dump("src")) {
        const std::size_t bar = name.find('|');
        const std::string key = name.substr(0, bar + 1);
        const bool text = data.starts_with("1:");
        expected[key + Crlf(name.substr(bar + 1))] = text ? Crlf(data) : data;
    }
    EXPECT_EQ(Dump("dst\\src"), expected);
}

TEST_F(ClipboardTest, TextOfTheRegFileExporterPastesWithItsContinuationLines) {
    Bytes blob(200);
    for (std::size_t i = 0; i < blob.size(); ++i)
        blob[i] = static_cast<std::uint8_t>(i * 7);
    SetRawValue(HKEY_CLASSES_ROOT, "src", "blob", RegBinary, blob.data(), blob.size());
    const char multi[] = "first\0second\0third string of some length\0\0";
    SetRawValue(HKEY_CLASSES_ROOT, "src\\sub", "multi", RegMultiSz,
                reinterpret_cast<const std::uint8_t*>(multi), sizeof multi - 1);
    WriteString(HKEY_CLASSES_ROOT, "src\\sub", "", false, "x \"quoted\" \\ y");
    const std::string text = ExportRegText(store, HKEY_CLASSES_ROOT, "src", RegFormat::Regedit4);
    ASSERT_THAT(text, HasSubstr("\\\r\n  "));
    Str("dst", "", "");
    ShowAndSelect("dst", "dst");
    gui::SetClipboard(text);
    Expect("Zanver",
           "Are you sure you want to paste this long value " +
               FormatValueText(blob, RegBinary, false) + " into the registry?",
           MessageButtons::OkCancel, Q, MessageResult::Ok);
    view.PasteFromClipboard(false);
    std::map<std::string, std::string> expected = Dump("src");
    EXPECT_EQ(Dump("dst\\src"), expected);

    // A continuation line without its value line, and other unknown text,
    // are passed over without writing anything.
    gui::SetClipboard(
        "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\t]\r\n  41,42,\\\r\n  43\r\n"
        "junk = \"1\"\r\n\"v\" = \"1\"\r\n-\r\n");
    view.Select(view.TopNode());
    view.PasteFromClipboard(false);
    EXPECT_EQ(Dump("dst\\t"),
              (std::map<std::string, std::string>{{"|", std::string("1:") + '\0'},
                                                  {"|v", std::string("1:1") + '\0'}}));
}

TEST_F(ClipboardTest, CancelledProgressKeepsWhatWasPastedAndCopiesNothing) {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 1500; ++i)
        text +=
            "\r\n[HKEY_CLASSES_ROOT\\src\\k" + std::to_string(10000 + i) + "]\r\n\"v\" = \"1\"\r\n";
    Str("dst", "", "");
    ShowAndSelect("dst", "dst");
    gui::SetClipboard(text);
    int steps = 0;
    TProgress::StepHook = [&](int) { return ++steps < 100; };
    view.PasteFromClipboard(false);
    int pasted = 0;
    while (KeyExists(HKEY_CLASSES_ROOT, "dst\\k" + std::to_string(10000 + pasted)))
        ++pasted;
    EXPECT_GT(pasted, 10);
    EXPECT_LT(pasted, 100);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "dst\\k" + std::to_string(10000 + pasted + 1)));
    EXPECT_NE(view.FindNode("dst\\k10000\\v", false), nullptr);

    // The whole paste, then a copy of it that is cancelled.
    TProgress::StepHook = nullptr;
    Str("big", "", "");
    view.ClearTree();
    ShowAndSelect("big", "big");
    view.PasteFromClipboard(false);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "big\\k11499"));
    view.Select(view.TopNode());
    gui::SetClipboard("before");
    steps = 0;
    TProgress::StepHook = [&](int) { return ++steps < 100; };
    view.CopyToClipboard();
    EXPECT_EQ(gui::Clipboard(), "before");
    EXPECT_TRUE(view.ClipText.empty());
    TProgress::StepHook = nullptr;
    view.CopyToClipboard();
    EXPECT_THAT(gui::Clipboard(),
                HasSubstr("[HKEY_CLASSES_ROOT\\big\\k11499]\r\n\"v\" = \"1\"\r\n"));
}

}  // namespace
}  // namespace zanver
