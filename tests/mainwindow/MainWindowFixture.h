// Shared set-up of the main window tests: a small association data set in
// the in-memory store and the window, built on demand with its command line.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "GuiFixture.h"
#include "MainWindow.h"

class QComboBox;

namespace zanver {

class TRegTreeNode;

// .txt and .log name txtfile (with a description and an open verb), .bmp
// names Paint.Picture, .cls names a class, .nft names a file type without a
// key, .empty has no file type; the keys APPID, CLSID, Software, Unknown,
// Folder and Drive exist; two MIME types are registered.
extern const char kTestAssociations[];

class MainWindowTest : public GuiTest {
  protected:
    MainWindowTest();
    ~MainWindowTest() override;

    // Writes registry text (REGEDIT4 form) into the store.
    void Import(std::string_view regText);
    // Builds the window with these command-line arguments; a window built
    // before is destroyed first.
    TZVFormMain& Open(std::vector<std::string> arguments = {});
    // Builds the window and shows it with the focus in the file type tree;
    // fails the test when the platform refuses the focus.
    TZVFormMain& OpenShown(std::vector<std::string> arguments = {});
    // Destroys the window (histories are saved, scratch keys removed).
    void Close();

    // What the status line shows now and its level, "text (level)"; "" when
    // it shows nothing.
    std::string Status() const;
    // A node's caption; "(no node)" for none (as the top of an empty tree).
    static std::string CaptionOf(const TRegTreeNode* node);
    // Texts of the items of a combo box, in list order.
    static std::vector<std::string> Items(const QComboBox* combo);
    static std::string Text(const QComboBox* combo);
    // The default value (REG_SZ) of a key below HKEY_CLASSES_ROOT.
    static std::string DefaultOf(const std::string& key);
    static bool Exists(const std::string& key);

    std::unique_ptr<TZVFormMain> window;
};

}  // namespace zanver
