// Shared set-up of the association tree view tests: a shown view over the
// classes root, an empty undo list, a fixed backup base and a status line
// that records what it is shown.
#pragma once

#include <gtest/gtest.h>

#include <QLineEdit>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "GuiFixture.h"
#include "Options.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "Status.h"
#include "Undo.h"
#include "UndoBackup.h"
#include "ValueTextRegistry.h"
#include "ZVRegTreeView.h"

namespace zanver {

inline constexpr char kTestBackupBase[] = "Software\\KQ\\Zanver\\Undo\\0000BEEF";

class ZVTreeTest : public GuiTest {
  protected:
    ZVTreeTest() : savedBase(UndoBackupBase), savedFlags(OptionFlags) {
        ClearUndoList();
        UndoBackupBase = kTestBackupBase;
        OptionFlags = kDefaultOptionFlags;
        // The base key exists from the start, so that a store that is back
        // to its first state has an empty backup area.
        TRegistry(HKEY_LOCAL_MACHINE).CreateKey(kTestBackupBase);
        StatusHandler = [this](std::string_view text, int level) {
            status.emplace_back(std::string(text), level);
        };
        view.resize(400, 600);
    }
    ~ZVTreeTest() override {
        StatusHandler = nullptr;
        ClearUndoList();
        UndoBackupBase = savedBase;
        OptionFlags = savedFlags;
    }

    static void ClearUndoList() {
        while (!UndoList.Empty())
            UndoList.RemoveLast();
    }
    static void Set(const std::string& path, const std::string& name, const std::string& text) {
        SetValueText(HKEY_CLASSES_ROOT, path, name, text);
    }
    static void SetRaw(const std::string& path, const std::string& name, std::uint32_t type,
                       const std::vector<std::uint8_t>& data) {
        ASSERT_TRUE(SetRawValue(HKEY_CLASSES_ROOT, path, name, type, data.data(), data.size()));
    }
    static void MakeKey(const std::string& path) {
        ASSERT_TRUE(TRegistry(HKEY_CLASSES_ROOT).CreateKey(path));
    }
    // Names of the subkeys of a key below HKEY_LOCAL_MACHINE.
    static std::vector<std::string> SubKeys(RootKey root, const std::string& path) {
        TRegistry registry(root);
        std::vector<std::string> names;
        if (registry.OpenKey(path, false))
            registry.GetKeyNames(names);
        return names;
    }
    static std::vector<std::string> ValueNames(RootKey root, const std::string& path) {
        TRegistry registry(root);
        std::vector<std::string> names;
        if (registry.OpenKey(path, false))
            registry.GetValueNames(names);
        return names;
    }
    void ExpectDelete(const std::string& fullPath, MessageResult answer = MessageResult::Yes) {
        Expect("Zanver", "Delete " + fullPath + " from the registry?", MessageButtons::YesNo,
               MessageIcon::Question, answer);
    }
    void ExpectConfirm(const std::string& text, MessageResult answer = MessageResult::Yes) {
        Expect("Zanver confirm write to registry", text, MessageButtons::YesNo,
               MessageIcon::Question, answer);
    }
    // Ends an in-place edit as the Escape key does.
    void Escape() {
        if (QLineEdit* editor = view.EditControl())
            gui::PressKey(editor, Qt::Key_Escape);
        gui::ProcessEvents();
    }
    TRegTreeNode* Node(const std::string& path) { return view.FindNode(path, false); }
    std::string Caption(const std::string& path) {
        TRegTreeNode* node = Node(path);
        return node != nullptr ? node->Text() : "<none>";
    }

    std::vector<std::pair<std::string, int>> status;
    TZVRegTreeView view;

  private:
    std::string savedBase;
    std::uint8_t savedFlags;
};

}  // namespace zanver
