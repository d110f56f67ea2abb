// The undo procedures of the association tree view, each against the record
// it is given, and random sequences of changes that are all undone again.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorCodes.h"
#include "ErrorOf.h"
#include "FaultStore.h"
#include "KeyPaths.h"
#include "NameRules.h"
#include "Prompter.h"
#include "Vocabulary.h"
#include "WindowHost.h"
#include "ZVTreeFixture.h"

namespace zanver {
namespace {

// Answers every question with its first positive button.
// The store dump with each key's values in name order: the registry has no
// way to put a value back at its former place, so a value deleted (or
// renamed) and restored comes last among its key's values.
std::string SortedValuesDump(const std::string& dump) {
    std::istringstream lines(dump);
    std::string out;
    std::vector<std::string> values;
    std::string line;
    const auto flush = [&] {
        std::sort(values.begin(), values.end());
        for (const std::string& value : values)
            out += value + "\n";
        values.clear();
    };
    while (std::getline(lines, line)) {
        if (line.rfind("  ", 0) == 0) {
            values.push_back(line);
        } else {
            flush();
            out += line + "\n";
        }
    }
    flush();
    return out;
}

class YesPrompter : public Prompter {
  public:
    MessageResult Ask(const MessageRequest& request) override {
        ++asked;
        switch (request.buttons) {
            case MessageButtons::Ok:
            case MessageButtons::OkCancel:
                return MessageResult::Ok;
            case MessageButtons::RetryCancel:
                return MessageResult::Cancel;
            default:
                return MessageResult::Yes;
        }
    }
    int asked = 0;
};

class RecordingHost : public WindowHost {
  public:
    void ClearLastFocus() override {}
    void SetLastFocusToActive() override {}
    void UpdateEditCommands(bool, bool) override {}
    void ClearStatus(StatusLevelSet) override {}
    void EditApplicationRefresh() override { ++applicationRefreshes; }
    int applicationRefreshes = 0;
};

class ZVTreeUndoTest : public ZVTreeTest {
  protected:
    ZVTreeUndoTest() { OptionFlags = 0; }
    void Record(const std::string& value, UndoProcedure procedure) {
        AddUndo(UndoList, &view, "test", value, std::move(procedure), &view);
    }
};

TEST_F(ZVTreeUndoTest, RestoreValueWritesTheOldTextBackAndTellsTheOwner) {
    Set("a", "v", "\"old\"");
    Set("a", "", "\"default\"");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.WriteValueUndoable("a", "v", "dword: 00000001"));
    EXPECT_TRUE(view.WriteStringUndoable("a", "", true, "%x%"));
    EXPECT_EQ(Caption("a"), "a = expandable string: \"%x%\"");
    EXPECT_EQ(Caption("a\\v"), "v = dword: 00000001");
    std::vector<std::string> changed;
    view.OnNodeValueChanged = [&](TRegTreeNode* node, const std::string& text) {
        changed.push_back(node->NodeName() + "=" + text);
    };
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_EQ(changed, (std::vector<std::string>{"a=\"default\"", "v=\"old\""}));
    EXPECT_EQ(Caption("a"), "a = \"default\"");
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "v", false), "\"old\"");

    // A value of a key the view no longer shows is written without a node.
    view.ClearTree();
    Set("b", "", "\"B\"");
    view.RefreshPath("b", false);
    Record("HKEY_CLASSES_ROOT\\a\\w = hex: 01,02", TZVRegTreeView::RestoreValue);
    PerformUndo(UndoList);
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "w", false), "hex: 01,02");
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(view.TopNode()->NodeName(), "b");
}

TEST_F(ZVTreeUndoTest, DeletesAndOverwritesComeBackWithTheirExactTypeAndBytes) {
    // Values whose display form drops bytes, also as default values (which
    // a write of "unassigned" or of an empty string would change).
    const Bytes none = {1, 2, 3};
    for (const auto& [type, data] :
         std::vector<std::pair<std::uint32_t, Bytes>>{{RegNone, none},
                                                      {RegNone, {}},
                                                      {RegDword, {1, 2, 3}},
                                                      {RegSz, {'a', 0, 'b', 0}},
                                                      {RegSz, {'a', 'b'}},
                                                      {RegSz, {}},
                                                      {RegLink, {'a', 0}},
                                                      {RegExpandSz, {'%', 0, 'A'}}}) {
        SCOPED_TRACE(testing::Message() << type << " of " << data.size() << " bytes");
        // Names of every kind come back too.
        for (const char* name : {"v", "", "a=b", " v ", "C:\\x.dll"}) {
            ASSERT_TRUE(
                SetExactRawValue(HKEY_CLASSES_ROOT, "a", name, type, data.data(), data.size()));
            const std::string before = store.Dump();
            view.RefreshPath("a", false);
            EXPECT_TRUE(view.DeleteValueUndoable("a", name));
            PerformUndo(UndoList);
            EXPECT_TRUE(view.WriteValueUndoable("a", name, "\"x\""));
            PerformUndo(UndoList);
            if (std::string(name) == "v") {
                ExpectDelete("HKEY_CLASSES_ROOT\\a\\v");
                view.DeleteNodeUndoable(Node("a\\v"), true);
                PerformUndo(UndoList);
            }
            EXPECT_TRUE(UndoList.Empty());
            EXPECT_EQ(store.Dump(), before) << name;
        }
        ASSERT_TRUE(DeleteKeyTree(HKEY_CLASSES_ROOT, "a"));
    }
    // A value created under a name with a backslash goes again.
    Set("b", "", "\"B\"");
    EXPECT_TRUE(view.WriteValueUndoable("b", "C:\\x.dll", "\"x\""));
    PerformUndo(UndoList);
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, "b"), std::vector<std::string>{""});
    // A removal the store refuses says so and keeps its record.
    EXPECT_TRUE(view.WriteValueUndoable("b", "C:\\x.dll", "\"x\""));
    FaultStore faults(store);
    ScopedActiveStore useFaults(faults);
    faults.FailNth(FaultStore::Call::DeleteValue, 1, err::kAccessDenied);
    EXPECT_EQ(ErrorOf([] { PerformUndo(UndoList); }),
              "Failed to delete HKEY_CLASSES_ROOT\\b\\C:\\x.dll. " + ErrorText(err::kAccessDenied));
    EXPECT_EQ(UndoList.Count(), 1);
}

TEST_F(ZVTreeUndoTest, RecordsOfAViewThatIsGoneAreDroppedWhenUndone) {
    Set("a", "v", "\"old\"");
    {
        TZVRegTreeView gone;
        gone.RefreshPath("a", false);
        EXPECT_TRUE(gone.WriteValueUndoable("a", "v", "\"new\""));
    }
    PerformUndo(UndoList);
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(ReadValueText(HKEY_CLASSES_ROOT, "a", "v", false), "\"new\"");
}

TEST_F(ZVTreeUndoTest, RestoreValueOfAnotherRootRefreshesTheApplicationOverride) {
    RecordingHost host;
    WindowHost* previous = SetWindowHost(&host);
    const std::string key = std::string(kFileExtsPrefix) + ".abc";
    WriteString(HKEY_CURRENT_USER, key, "Application", false, "abc.exe");
    EXPECT_TRUE(view.DeleteValueUndoable(HKEY_CURRENT_USER, key, false, "Application"));
    EXPECT_FALSE(ValueExists(HKEY_CURRENT_USER, key, "Application"));
    PerformUndo(UndoList);
    EXPECT_EQ(ReadString(HKEY_CURRENT_USER, key, "Application"), "abc.exe");
    EXPECT_EQ(host.applicationRefreshes, 1);
    SetWindowHost(previous);
}

TEST_F(ZVTreeUndoTest, RemoveCreatedTakesAwayKeysAndValuesWithoutNodes) {
    Set("a\\made", "v", "\"1\"");
    Set("a", "w", "\"2\"");
    Set("a", "", "\"3\"");
    Set("b", "", "\"B\"");
    view.RefreshPath("b", false);  // the tree shows none of it
    Record("a\\made", TZVRegTreeView::RemoveCreated);
    Record(JoinUndoFields({"a", "w"}), TZVRegTreeView::RemoveCreated);
    // A created default value goes alone; its key stays.
    Record(JoinUndoFields({"a", ""}), TZVRegTreeView::RemoveCreated);
    PerformUndo(UndoList);
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", ""));
    EXPECT_TRUE(ValueExists(HKEY_CLASSES_ROOT, "a", "w"));
    PerformUndo(UndoList);
    PerformUndo(UndoList);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\made"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", "w"));
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a"));

    // Created through SetValueConfirmed: a new value, then a new key.
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.WriteValueUndoable("a", "x", "\"new\""));
    EXPECT_TRUE(view.WriteValueUndoable("a\\sub", "", "\"new key\""));
    EXPECT_EQ(Caption("a\\sub"), "sub = \"new key\"");
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\sub");
    PerformUndo(UndoList);
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\x");
    PerformUndo(UndoList);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\sub"));
    EXPECT_FALSE(ValueExists(HKEY_CLASSES_ROOT, "a", "x"));
    EXPECT_EQ(Node("a\\x"), nullptr);

    // A value created beside a subkey of the same name goes alone, and so
    // does one whose name holds a backslash, node and all.
    MakeKey("a\\twin\\inner");
    view.RefreshPath("a", false);
    EXPECT_TRUE(view.WriteValueUndoable("a", "twin", "\"v\""));
    EXPECT_TRUE(view.WriteValueUndoable("a", "C:\\x.dll", "\"v\""));
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\C:\\x.dll");
    PerformUndo(UndoList);
    ExpectDelete("HKEY_CLASSES_ROOT\\a\\twin");
    PerformUndo(UndoList);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\twin\\inner"));
    EXPECT_TRUE(ValueNames(HKEY_CLASSES_ROOT, "a").empty());
    EXPECT_EQ(view.TopNode()->childCount(), 1);
}

TEST_F(ZVTreeUndoTest, RenamesAreTakenBack) {
    Set("a\\old", "", "\"O\"");
    Set("a\\old\\deep", "q", "\"Q\"");
    Set("a", "Abc", "\"v\"");
    view.RefreshPath("a", false);
    std::vector<std::string> events;
    view.OnKeyNameChanged = [&](TRegTreeNode* node, const std::string& name,
                                const std::string& newName) {
        events.push_back("key " + name + ">" + newName + (node ? " node" : ""));
    };
    view.OnValueNameChanged = [&](TRegTreeNode* node, const std::string& name,
                                  const std::string& newName) {
        events.push_back("value " + name + ">" + newName + (node ? " node" : ""));
    };

    // A key renamed the way the main window does it: moved, node captioned.
    view.MoveCopyKey(HKEY_CLASSES_ROOT, "a\\old", false, "a\\new", HKEY_CLASSES_ROOT);
    Node("a\\old")->SetNameValue("new", "\"O\"");
    Record(JoinUndoFields({"a\\old", "a\\new"}), TZVRegTreeView::UndoKeyRename);
    PerformUndo(UndoList);
    EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, "a\\old\\deep"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "a\\new"));
    EXPECT_EQ(Caption("a\\old"), "old = \"O\"");
    EXPECT_EQ(view.Selected(), Node("a\\old"));

    // A value renamed in letter case only.
    view.RenameValue("a", "Abc", "ABC");
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, "a"), std::vector<std::string>{"ABC"});
    Record(JoinUndoFields({"a", "Abc", "ABC"}), TZVRegTreeView::UndoValueRename);
    PerformUndo(UndoList);
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, "a"), std::vector<std::string>{"Abc"});
    EXPECT_EQ(Caption("a\\Abc"), "Abc = \"v\"");

    // Renamed values and keys without nodes are found by reloading.
    view.RenameValue("a", "Abc", "Other");
    delete Node("a\\Abc");
    Record(JoinUndoFields({"a", "Abc", "Other"}), TZVRegTreeView::UndoValueRename);
    PerformUndo(UndoList);
    EXPECT_EQ(ValueNames(HKEY_CLASSES_ROOT, "a"), std::vector<std::string>{"Abc"});
    EXPECT_EQ(view.Selected(), Node("a\\Abc"));
    EXPECT_EQ(events, (std::vector<std::string>{"key a\\new>a\\old node", "value ABC>Abc node",
                                                "value Other>Abc node"}));
}

TEST_F(ZVTreeUndoTest, KeyBelowAClassPathComesBackAndItsBackupGoes) {
    const std::string clsid = "{12345678-1234-1234-1234-123456789ABC}";
    const std::string key = "CLSID\\" + clsid;
    Set(key, "", "\"Thing\"");
    Set(key + "\\InProcServer32", "", "\"thing.dll\"");
    Set(key + "\\InProcServer32", "ThreadingModel", "\"Both\"");
    const std::string before = store.Dump();
    view.RootPath = "CLSID";
    view.RefreshPath(key, false);
    ASSERT_EQ(view.TopNode()->NodeName(), clsid);
    ExpectDelete("HKEY_CLASSES_ROOT\\" + key + "\\InProcServer32");
    view.DeleteNodeUndoable(Node(key + "\\InProcServer32"), true);
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, key + "\\InProcServer32"));
    const std::string backup = UndoList.Last()->Value;
    EXPECT_EQ(backup.substr(0, sizeof kTestBackupBase), std::string(kTestBackupBase) + "\\");
    EXPECT_EQ(backup.substr(sizeof kTestBackupBase + 8), key + "\\InProcServer32");
    PerformUndo(UndoList);
    EXPECT_EQ(store.Dump(), before);
    EXPECT_NE(Node(key + "\\InProcServer32"), nullptr);
}

// Random sequences of changes through the view, then Undo until the list is
// empty: the store is as it was.
class ZVTreeUndoPropertyTest : public ZVTreeUndoTest,
                               public ::testing::WithParamInterface<unsigned> {};

TEST_P(ZVTreeUndoPropertyTest, UndoingEverythingRestoresTheStore) {
    OptionFlags = kOptionConfirmWrites;  // every question asked, and answered Yes
    YesPrompter yes;
    ScopedPrompter useYes(yes);
    std::mt19937 random(GetParam());
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };

    Set("top", "", "\"Top\"");
    Set("top", "v1", "dword: 00000001");
    Set("top", "v2", "\"two\"");
    Set("top\\k1", "", "\"K1\"");
    Set("top\\k1", "x", "hex: 01,02,03");
    Set("top\\k1\\deep\\deeper", "y", "expandable string: \"%a%\"");
    Set("top\\k2", "z", "multiple strings: 61,00,00,00");
    // Values whose display form drops bytes: undo must put back every one.
    Set("top\\k2", "", "hex(1): 61,00,62,00");
    Set("top\\k2", "none", "hex(0): 01,02,03");
    Set("top\\k1", "short", "hex(4): 01,02,03");
    Set("top\\k1", "link", "hex(6): 61,00");
    // Names a record could split wrongly, and a value named like a subkey.
    Set("top\\k2", "a=b", "\"eq\"");
    Set("top\\k2", " v ", "\"blanks\"");
    Set("top\\twin", "", "\"key\"");
    Set("top", "twin", "\"value\"");
    const std::string before = store.Dump();
    view.RefreshPath("top", false);
    view.expandAll();
    ASSERT_TRUE(gui::ShowAndFocus(&view));

    const std::vector<std::string> texts = {"\"s\"", "dword: 0000FFFF", "hex: 0A",
                                            "expandable string: \"e\"", "\"\""};
    auto nodes = [&] {
        std::vector<TRegTreeNode*> list;
        std::vector<TRegTreeNode*> todo = {view.TopNode()};
        while (!todo.empty()) {
            TRegTreeNode* node = todo.back();
            todo.pop_back();
            if (node == nullptr)
                continue;
            list.push_back(node);
            for (int i = 0; i < node->childCount(); ++i)
                todo.push_back(node->Child(i));
        }
        return list;
    };
    bool valuesMoved = false;
    for (int step = 0; step < 40; ++step) {
        if (view.IsEmpty())
            view.RefreshPath("top", false);
        if (view.IsEmpty())
            break;
        const std::vector<TRegTreeNode*> all = nodes();
        TRegTreeNode* node = all[static_cast<std::size_t>(pick(static_cast<int>(all.size())))];
        const int action = pick(6);
        SCOPED_TRACE(testing::Message()
                     << "step " << step << " action " << action << " on " << node->NodePath());
        if (action == 0) {
            view.Select(node);
            const int types[] = {-1, 1, 2, 4};
            view.CreateNew(types[pick(4)], false);
            Escape();
        } else if (action == 1 && node != view.TopNode()) {
            valuesMoved = valuesMoved || !node->IsKey();
            view.DeleteNodeUndoable(node, true);
        } else if (action == 2) {
            const std::string keyPath = node->IsKey() ? node->NodePath() : node->KeyPath();
            const std::string name = node->IsKey() ? (pick(2) ? "" : "w") : node->ValueName();
            view.WriteValueUndoable(keyPath, name, texts[static_cast<std::size_t>(pick(5))]);
        } else if (action == 3 && !node->IsKey()) {
            // A value rename as the main window records it.
            const std::string oldName = node->ValueName();
            const std::string newName = pick(2) ? oldName + "r" : "R" + oldName.substr(1);
            const std::string keyPath = node->KeyPath();
            if (!SameName(oldName, newName) && ValueExists(HKEY_CLASSES_ROOT, keyPath, newName))
                continue;
            view.RenameValue(keyPath, oldName, newName);
            valuesMoved = true;
            node->SetText(newName + " = " + node->NodeValue());
            AddUndo(UndoList, &view, "rename", JoinUndoFields({keyPath, oldName, newName}),
                    TZVRegTreeView::UndoValueRename, &view);
        } else if (action == 4 && node->IsKey() && node != view.TopNode()) {
            // A key rename as the main window records it.
            const std::string oldPath = node->NodePath();
            const std::string newPath = oldPath + "n";
            if (KeyExists(HKEY_CLASSES_ROOT, newPath))
                continue;
            view.MoveCopyKey(HKEY_CLASSES_ROOT, oldPath, false, newPath, HKEY_CLASSES_ROOT);
            node->SetNameValue(ExtractKeyName(newPath), node->NodeValue());
            AddUndo(UndoList, &view, "rename", JoinUndoFields({oldPath, newPath}),
                    TZVRegTreeView::UndoKeyRename, &view);
        } else if (action == 5 && node->IsKey()) {
            valuesMoved = valuesMoved || ValueExists(HKEY_CLASSES_ROOT, node->NodePath(), "");
            view.DeleteValueUndoable(node->NodePath(), "");
        }
    }
    EXPECT_GT(UndoList.Count(), 0);
    for (int guard = 0; guard < 500 && !UndoList.Empty(); ++guard) {
        PerformUndo(UndoList);
        Escape();
    }
    EXPECT_TRUE(UndoList.Empty());
    EXPECT_EQ(SortedValuesDump(store.Dump()), SortedValuesDump(before));
    // Without single values taken away and put back, even the order is kept.
    if (!valuesMoved) {
        EXPECT_EQ(store.Dump(), before);
    }
}

INSTANTIATE_TEST_SUITE_P(Seeds, ZVTreeUndoPropertyTest,
                         ::testing::Values(1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u, 9u, 10u, 11u, 12u));

}  // namespace
}  // namespace zanver
