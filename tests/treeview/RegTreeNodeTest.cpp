// Nodes of a registry tree view: captions, paths, lookups, copies, images and
// the question before a long caption is edited.
#include <gtest/gtest.h>

#include <QLineEdit>

#include <string>
#include <utility>

#include "GuiFixture.h"
#include "RegTreeView.h"
#include "TreeErrors.h"

namespace zanver {
namespace {

class RegTreeNodeTest : public GuiTest {
  protected:
    TRegTreeNode* Key(TRegTreeNode* parent, const std::string& name,
                      const std::string& value = "") {
        return view.AddKeyNode(parent, name, value);
    }
    TRegTreeNode* Value(TRegTreeNode* parent, const std::string& name, const std::string& value) {
        return view.AddValueNode(parent, name, value);
    }

    TRegTreeView view;
};

TEST_F(RegTreeNodeTest, CaptionsAndTheLongTextLimit) {
    TRegTreeNode* key = Key(nullptr, "txtfile");
    EXPECT_EQ(key->Text(), "txtfile");
    key->SetValue("\"\"");
    EXPECT_EQ(key->Text(), "txtfile = \"\"");
    TRegTreeNode* value = Value(key, "EditFlags", "");
    EXPECT_EQ(value->Text(), "EditFlags = ");
    // The first "=" splits; both parts are trimmed.
    value->SetText("  a  =  \"b = c\"  ");
    EXPECT_EQ(value->ValueName(), "a");
    EXPECT_EQ(value->NodeValue(), "\"b = c\"");

    // "v = " and two quotes around the text: 259 and 260 characters.
    TRegTreeNode* exact = Value(key, "v", "\"" + std::string(253, 'x') + "\"");
    EXPECT_EQ(exact->Text().size(), 259u);
    EXPECT_FALSE(exact->LongText);
    TRegTreeNode* longer = Value(key, "w", "\"" + std::string(254, 'x') + "\"");
    EXPECT_TRUE(longer->LongText);
    // The limit counts characters as the editor does, not bytes.
    std::string umlauts;
    for (int i = 0; i < 253; ++i)
        umlauts += "\xC3\xBC";
    EXPECT_FALSE(Value(key, "u", "\"" + umlauts + "\"")->LongText);
    // A caption set as typed keeps the flag as it was.
    longer->SetText("w = \"short\"");
    EXPECT_TRUE(longer->LongText);
    exact->SetText(std::string(300, 'y'));
    EXPECT_FALSE(exact->LongText);
}

TEST_F(RegTreeNodeTest, EditingALongCaptionAsksBeforeCuttingIt) {
    TRegTreeNode* key = Key(nullptr, "k");
    TRegTreeNode* node = Value(key, "v", "\"" + std::string(300, 'x') + "\"");
    ASSERT_TRUE(gui::ShowAndFocus(&view));
    view.Select(node);
    const std::string question =
        "The original node value has a textual representation longer than 259 chars. If you start "
        "editing it it will be truncated to 259 chars. Do you want to TRUNCATE and edit it?";

    Expect("Zanver", question, MessageButtons::YesNo, MessageIcon::Question, MessageResult::No);
    gui::PressKey(&view, Qt::Key_F2);
    EXPECT_FALSE(view.IsEditing());

    Expect("Zanver", question, MessageButtons::YesNo, MessageIcon::Question, MessageResult::Yes);
    gui::PressKey(&view, Qt::Key_F2);
    ASSERT_TRUE(view.IsEditing());
    auto* editor = view.viewport()->findChild<QLineEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text().size(), 259);
    gui::PressKey(editor, Qt::Key_Escape);
    EXPECT_FALSE(view.IsEditing());
    EXPECT_EQ(node->Text().size(), 306u);

    // A short caption is edited without a question.
    view.Select(key);
    gui::PressKey(&view, Qt::Key_F2);
    EXPECT_TRUE(view.IsEditing());
}

TEST_F(RegTreeNodeTest, FindChildIgnoresCaseAndTakesTheFirst) {
    for (int children : {3, 40}) {  // searched one by one, and through the name index
        SCOPED_TRACE(children);
        view.ClearTree();
        TRegTreeNode* top = Key(nullptr, "top");
        for (int i = 0; i < children; ++i)
            Key(top, "k" + std::to_string(i));
        TRegTreeNode* first = Key(top, "ShellNew", "\"1\"");
        Key(top, "SHELLNEW", "\"2\"");
        TRegTreeNode* value = Value(top, "val", "dword: 00000001");
        EXPECT_EQ(top->FindChild("shellnew", false), first);
        EXPECT_EQ(top->FindChild("VAL", false), value);
        ASSERT_NE(top->FindChild("K1", false), nullptr);
        EXPECT_EQ(top->FindChild("K1", false)->NodeName(), "k1");
        EXPECT_EQ(top->FindChild("missing", false), nullptr);

        // Renamed, added and deleted children are found (or not) at once.
        first->SetText("Renamed = \"1\"");
        EXPECT_EQ(top->FindChild("renamed", false), first);
        EXPECT_NE(top->FindChild("shellnew", false), first);
        TRegTreeNode* added = Key(top, "Added");
        EXPECT_EQ(top->FindChild("ADDED", false), added);
        delete added;
        EXPECT_EQ(top->FindChild("added", false), nullptr);
    }
}

TEST_F(RegTreeNodeTest, FindPathAndFindDeepest) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* a = Key(top, "a");
    TRegTreeNode* b = Key(a, "b");
    Value(a, "c", "\"value named like a key\"");
    EXPECT_EQ(top->FindPath("", false), top);
    EXPECT_EQ(top->FindPath("A\\B", false), b);
    EXPECT_EQ(top->FindPath("a\\x", false), nullptr);
    // Nothing of this is in the registry: the lookups must not load.
    for (TRegTreeNode* node : {top, a, b})
        node->Loaded = true;
    EXPECT_EQ(top->FindDeepest("a\\x\\y"), a);
    EXPECT_EQ(top->FindDeepest("x\\y\\z"), top);
    EXPECT_EQ(top->FindDeepest("a\\b"), b);
    // A value is no step on the way to a key below it.
    EXPECT_EQ(top->FindDeepest("a\\c\\d"), a);
}

TEST_F(RegTreeNodeTest, PathsIncludeTheRootPath) {
    TRegTreeNode* top = Key(nullptr, "{1}");
    TRegTreeNode* sub = Key(top, "InprocServer32", "\"x.dll\"");
    TRegTreeNode* value = Value(sub, "ThreadingModel", "\"Both\"");
    EXPECT_EQ(value->NodePath(), "{1}\\InprocServer32\\ThreadingModel");
    view.RootPath = "CLSID";
    EXPECT_EQ(value->KeyPath(), "CLSID\\{1}\\InprocServer32");
    EXPECT_EQ(sub->TextPath(), "CLSID\\{1}\\InprocServer32 = \"x.dll\"");
    EXPECT_EQ(top->TextPath(), "CLSID\\{1}");
    std::string keyPath, name, text;
    sub->GetRegAddress(keyPath, name, text);
    EXPECT_EQ(keyPath + "|" + name + "|" + text, "CLSID\\{1}\\InprocServer32||\"x.dll\"");
}

TEST_F(RegTreeNodeTest, CopyToRefusesWhatCannotBeCopied) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* a = Key(top, "a", "\"A\"");
    TRegTreeNode* sub = Key(a, "sub");
    TRegTreeNode* value = Value(a, "v", "\"x\"");

    EXPECT_EQ(a->CopyTo(nullptr), nullptr);
    EXPECT_EQ(a->CopyTo(top), nullptr);
    EXPECT_EQ(top->childCount(), 1);
    try {
        sub->CopyTo(value);
        FAIL();
    } catch (const ERegTreeNode& error) {
        EXPECT_STREQ(error.what(), "Destination of copy should be a key.");
    }
    // Into its own subkey, or onto itself, a key with children cannot go.
    const std::pair<TRegTreeNode*, std::string> refusals[] = {
        {sub, "HKEY_CLASSES_ROOT\\top\\a\\sub"}, {a, "HKEY_CLASSES_ROOT\\top\\a"}};
    for (const auto& [dest, destName] : refusals) {
        try {
            a->CopyTo(dest);
            ADD_FAILURE() << destName;
        } catch (const ERegTreeNode& error) {
            EXPECT_EQ(std::string(error.what()),
                      "Cannot copy HKEY_CLASSES_ROOT\\top\\a to " + destName +
                          " because the target is a subkey of the source.");
        }
    }
    EXPECT_EQ(a->childCount(), 2);
}

TEST_F(RegTreeNodeTest, CopySubtreeCopiesCaptionsKindsAndLongText) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* a = Key(top, "a", "\"A\"");
    Key(a, "sub");
    TRegTreeNode* longValue = Value(a, "v", "\"" + std::string(300, 'x') + "\"");
    longValue->SetText("v = \"short now\"");
    a->Loaded = a->Complete = true;
    TRegTreeNode* dest = Key(top, "dest");

    TRegTreeNode* copy = a->CopyTo(dest);
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->ParentNode(), dest);
    EXPECT_EQ(copy->Text(), "a = \"A\"");
    EXPECT_FALSE(copy->Loaded);
    EXPECT_FALSE(copy->Complete);
    ASSERT_EQ(copy->childCount(), 2);
    TRegTreeNode* copiedValue = copy->FindChild("v", false);
    ASSERT_NE(copiedValue, nullptr);
    EXPECT_FALSE(copiedValue->IsKey());
    EXPECT_TRUE(copiedValue->LongText);
    EXPECT_TRUE(copy->FindChild("sub", false)->IsKey());
}

TEST_F(RegTreeNodeTest, ImagesFollowTypeAndExpandedState) {
    TRegTreeNode* top = Key(nullptr, "top");
    TRegTreeNode* sub = Key(top, "sub");
    Key(sub, "deeper");
    EXPECT_EQ(Value(top, "s", "\"x\"")->ImageIndex(), kImageString);
    EXPECT_EQ(Value(top, "m", "multiple strings: 61,00,00,00")->ImageIndex(), kImageString);
    EXPECT_EQ(Value(top, "e", "expandable string: \"%x%\"")->ImageIndex(), kImageExpandString);
    EXPECT_EQ(Value(top, "d", "dword: 00000001")->ImageIndex(), kImageBinary);
    EXPECT_EQ(Value(top, "h", "hex: 01,02")->ImageIndex(), kImageBinary);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyClosed);
    sub->Complete = true;
    sub->setExpanded(true);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyOpen);
    sub->setExpanded(false);
    EXPECT_EQ(sub->ImageIndex(), kImageKeyClosed);

    // An edited value takes the type of its new text.
    TRegTreeNode* value = top->FindChild("d", false);
    std::string text = "d = \"now a string\"";
    value->Edited(text);
    EXPECT_EQ(value->ValueType, 1);
    EXPECT_EQ(value->ImageIndex(), kImageString);
}

}  // namespace
}  // namespace zanver
