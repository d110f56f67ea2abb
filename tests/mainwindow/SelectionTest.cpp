// The item lists of the panel and the selection of extension and file type:
// what each selection shows, the status hints, the trees and the sizes of
// the group boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGroupBox>

#include <fstream>
#include <string>
#include <vector>

#include "AppTitle.h"
#include "ErrorOf.h"
#include "Errors.h"
#include "MainWindowFixture.h"
#include "Options.h"
#include "RegTreeNode.h"
#include "TempFolder.h"
#include "ZVCheckBox.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr char kShortcut[] = "CLSID\\{00021401-0000-0000-C000-000000000046}";

class SelectionTest : public MainWindowTest {
  protected:
    // Records which fields the next selections refresh.
    void WatchRefreshes() {
        refreshed.clear();
        window->FieldRefreshed = [this](PanelField field) { refreshed.push_back(field); };
    }
    static std::string TopName(const TRegTreeView* tree) {
        return tree->TopNode() != nullptr ? tree->TopNode()->NodeName() : "(empty)";
    }

    // The window shown, with the focus in a field without handlers.
    TZVFormMain& Shown() {
        TZVFormMain& w = Open();
        EXPECT_TRUE(gui::ShowAndFocus(w.CheckBoxConfirmOpen));
        return w;
    }

    std::vector<PanelField> refreshed;
};

TEST_F(SelectionTest, ListsAreSortedWithoutCaseAndFiltered) {
    TempFolder templates;
    std::ofstream(templates.File("letter.doc")) << "x";
    std::filesystem::create_directory(templates.Path() / "sub");
    Import(R"(REGEDIT4

[HKEY_CLASSES_ROOT\.aZ]
"Content Type"="application/zip"
[HKEY_CLASSES_ROOT\.a_x]
"Content Type"="TEXT/PLAIN"
[HKEY_CLASSES_ROOT\zeta]
[HKEY_CLASSES_ROOT\Alpha]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Templates"=")" +
           templates.Path().string() + "\"\n");
    TZVFormMain& w = Open();

    // The registry's order without case ("_" after the letters).
    EXPECT_THAT(Items(w.ComboExt),
                ElementsAre(".aZ", ".a_x", ".bmp", ".cls", ".empty", ".log", ".nft", ".txt"));
    // The default exclusions hide APPID, CLSID, MIME and Software.
    EXPECT_THAT(Items(w.ComboFileType), ElementsAre("Alpha", "Drive", "Folder", "Paint.Picture",
                                                    "txtfile", "Unknown", "zeta"));
    // Content types of extensions join the database's list once.
    EXPECT_THAT(Items(w.ComboMimeType), ElementsAre("application/zip", "image/bmp", "text/plain"));
    const std::vector<std::string> names = Items(w.ComboNewTemplate);
    ASSERT_EQ(names.size(), 3u);
    EXPECT_EQ(names[0], "NullFile");
    EXPECT_THAT(std::vector<std::string>(names.begin() + 1, names.end()),
                UnorderedElementsAre("letter.doc", "sub"));

    // Single items go to their place; without Force only once; never excluded.
    w.AddFileTypeItem("beta", false);
    w.AddFileTypeItem("BETA", false);
    w.AddFileTypeItem("software", true);
    EXPECT_THAT(Items(w.ComboFileType), ElementsAre("Alpha", "beta", "Drive", "Folder",
                                                    "Paint.Picture", "txtfile", "Unknown", "zeta"));
    w.AddFileTypeItem("BETA", true);
    EXPECT_EQ(w.ComboFileType->count(), 9);
}

TEST_F(SelectionTest, StoredExclusionListAndClassIdentifiers) {
    Import(R"(REGEDIT4

[HKEY_CURRENT_USER\Software\KQ\Zanver]
"Options"=dword:00000003
[HKEY_CURRENT_USER\Software\KQ\Zanver\ExcludedKeys]
"TXTFILE"=""
"Unknown"=""
)");
    TZVFormMain& w = Open();
    EXPECT_TRUE(w.IsExcludedKey("txtfile"));
    EXPECT_FALSE(w.IsExcludedKey("txt"));
    EXPECT_THAT(Items(w.ComboFileType), ElementsAre("APPID", "CLSID", kShortcut, "Drive", "Folder",
                                                    "MIME", "Paint.Picture", "Software"));

    // An excluded current file type shows only as the box's text.
    w.SelectExtension(".txt", 0);
    EXPECT_EQ(Text(w.ComboFileType), "txtfile");
    EXPECT_EQ(w.ComboFileType->count(), 8);

    // An existing but empty list hides nothing.
    Import(
        "REGEDIT4\n\n[-HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\ExcludedKeys]\n"
        "[HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\ExcludedKeys]\n");
    Open();
    EXPECT_TRUE(window->ExcludedKeys.empty());
}

TEST_F(SelectionTest, SelectingAnExtensionShowsItAndItsFileType) {
    TZVFormMain& w = Open();
    WatchRefreshes();
    w.SelectExtension(".txt", 0);

    EXPECT_EQ(w.windowTitle().toStdString(), "Zanver .txt");
    EXPECT_EQ(AppTitle(), "Zanver .txt");
    EXPECT_EQ(Text(w.ComboExt), ".txt");
    EXPECT_EQ(Text(w.ComboFileType), "txtfile");
    EXPECT_EQ(w.EditFileTypeDescr->Text(), "Text Document");
    EXPECT_EQ(w.ComboFileType->UndoName, "file type");
    EXPECT_EQ(w.EditFileTypeDescr->UndoName, "description file type");
    EXPECT_EQ(TopName(w.RegTreeViewExt), ".txt");
    EXPECT_EQ(TopName(w.RegTreeViewFileType), "txtfile");
    EXPECT_EQ(w.ComboExt->History.Entries().back(), ".txt");
    EXPECT_EQ(w.ComboFileType->History.Entries().back(), "txtfile");
    using F = PanelField;
    EXPECT_THAT(refreshed, ElementsAre(F::Application, F::Mime, F::Template, F::Template,
                                       F::Description, F::Icon, F::ShowExt, F::Actions,
                                       F::ConfirmOpen, F::ClassCheck, F::ServerCheck));

    // Flag 1: the same name does nothing; 4 leaves the box, 16 the file type.
    refreshed.clear();
    w.SelectExtension(".txt", SelSkipSame);
    EXPECT_TRUE(refreshed.empty());
    w.SelectExtension(".bmp", SelKeepExtCombo | SelNoFollow);
    EXPECT_EQ(Text(w.ComboExt), ".txt");
    EXPECT_EQ(w.CurFileType, "txtfile");
    EXPECT_EQ(TopName(w.RegTreeViewExt), ".bmp");
    w.SelectExtension(".log", SelNoExtTree);
    EXPECT_EQ(TopName(w.RegTreeViewExt), ".bmp");

    // ReloadFileType follows the extension's stored default value.
    w.ReloadFileType(0);
    EXPECT_EQ(w.CurFileType, "txtfile");
    EXPECT_THROW(w.SelectExtension(".a\\b", 0), EZanver);
    EXPECT_EQ(w.CurExt, ".log");
}

TEST_F(SelectionTest, StatusHintsForWhatIsMissing) {
    Import("REGEDIT4\n\n[HKEY_CLASSES_ROOT\\.nod]\n@=\"nodescr\"\n[HKEY_CLASSES_ROOT\\nodescr]\n");
    TZVFormMain& w = Open();
    struct Case {
        const char* ext;
        const char* text;
        int level;
    } cases[] = {
        {".zzz", "Extension .zzz not found in registry", 12},
        {".nft", "file type nofile not found.", 11},
        {".nod", "No description found for file type nodescr", 3},
        {".empty", "", 0},  // "Unknown" needs no description
        {".txt", "", 0},
    };
    for (const Case& c : cases) {
        w.SelectExtension(c.ext, 0);
        EXPECT_EQ(StatusText(), c.text) << c.ext;
        if (c.level > 0) {
            EXPECT_EQ(StatusLevel(), c.level) << c.ext;
        }
    }
    EXPECT_EQ(w.CurFileType, "txtfile");
    w.SelectExtension(".empty", 0);
    EXPECT_EQ(w.CurFileType, "Unknown");
    EXPECT_EQ(Text(w.ComboFileType), "Unknown");
}

TEST_F(SelectionTest, ClassesAsFileTypes) {
    TZVFormMain& w = Open();
    w.SelectExtension(".cls", 0);
    EXPECT_TRUE(w.IsClass);
    EXPECT_EQ(w.FileTypeWord, "class");
    EXPECT_EQ(w.ClassGuid, "{00021401-0000-0000-C000-000000000046}");
    EXPECT_EQ(w.FileTypeTitle, "class {00021401-0000-0000-C000-000000000046}");
    EXPECT_EQ(w.EditFileTypeDescr->UndoName, "description class");
    EXPECT_EQ(w.EditFileTypeDescr->Text(), "Shortcut");
    // Shown in the box, but the list holds no classes while the option is off.
    EXPECT_EQ(Text(w.ComboFileType), kShortcut);
    EXPECT_FALSE(w.ComboFileType->HasItem(kShortcut));
    EXPECT_EQ(w.RegTreeViewFileType->RootPath, "CLSID");
    EXPECT_EQ(TopName(w.RegTreeViewFileType), "{00021401-0000-0000-C000-000000000046}");

    w.SelectExtension(".txt", 0);
    EXPECT_EQ(w.RegTreeViewFileType->RootPath, "");
    EXPECT_EQ(TopName(w.RegTreeViewFileType), "txtfile");

    OptionFlags |= kOptionShowClassIds;
    w.SelectFileType(kShortcut, 0);
    EXPECT_TRUE(w.ComboFileType->HasItem(kShortcut));
}

TEST_F(SelectionTest, NoExtensionCollapsesTheExtensionGroup) {
    TZVFormMain& w = Shown();
    // Started without an extension: the design height is saved, the box
    // shows its panel above an empty, disabled tree.
    EXPECT_EQ(w.windowTitle().toStdString(), "Zanver");
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());
    EXPECT_EQ(TopName(w.RegTreeViewExt), "(empty)");
    EXPECT_GT(w.SavedExtGroupHeight, 0);

    w.SelectExtension(".txt", 0);
    EXPECT_TRUE(w.RegTreeViewExt->isEnabled());
    EXPECT_EQ(w.SavedExtGroupHeight, 0);
    w.GroupBoxExt->resize(w.GroupBoxExt->width(), 200);  // as the splitter does
    const int open = w.GroupBoxExt->height();

    // A second empty selection keeps the height saved by the first.
    w.SelectExtension("", SelKeepExtCombo | SelNoFollow);
    EXPECT_LT(w.GroupBoxExt->height(), open);
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());
    w.SelectExtension("", SelKeepExtCombo | SelNoFollow);
    EXPECT_EQ(w.SavedExtGroupHeight, open);
    w.SelectExtension(".log", 0);
    EXPECT_EQ(w.GroupBoxExt->height(), open);
}

TEST_F(SelectionTest, GroupBoxesFitTheRowsOfTheirTrees) {
    Import(R"(REGEDIT4

[HKEY_CLASSES_ROOT\.many]
@="manyfile"
"a"="1"
"b"="2"
"c"="3"
"d"="4"
"e"="5"
[HKEY_CLASSES_ROOT\manyfile\shell\open\command]
[HKEY_CLASSES_ROOT\manyfile\shell\print\command]
[HKEY_CLASSES_ROOT\manyfile\DefaultIcon]
[HKEY_CLASSES_ROOT\manyfile\x]
[HKEY_CLASSES_ROOT\manyfile\y]
)");
    TZVFormMain& w = Shown();
    w.SelectExtension(".log", SelForceSize);
    const int small = w.GroupBoxExt->height();
    const int windowBefore = w.height();

    w.SelectExtension(".many", 0);
    const int rowHeight = w.RegTreeViewExt->visualItemRect(w.RegTreeViewExt->TopNode()).height();
    ASSERT_GT(rowHeight, 0);
    // Five more rows in the extension tree: its box grows by them; the file
    // type box keeps its height and gains the three rows manyfile has more
    // than txtfile, so the window grows by both.
    EXPECT_EQ(w.GroupBoxExt->height(), small + 5 * rowHeight);
    EXPECT_EQ(w.height(), windowBefore + 8 * rowHeight);
    gui::ProcessEvents();
    EXPECT_GE(w.RegTreeViewExt->viewport()->height(), 6 * rowHeight);
    EXPECT_GE(w.RegTreeViewFileType->viewport()->height(), 5 * rowHeight);

    // Without Force the boxes only grow; with Force they take what they need.
    w.SelectExtension(".log", 0);
    EXPECT_EQ(w.GroupBoxExt->height(), small + 5 * rowHeight);
    EXPECT_EQ(w.height(), windowBefore + 8 * rowHeight);
    w.SelectExtension(".log", SelForceSize);
    EXPECT_EQ(w.GroupBoxExt->height(), small);
    EXPECT_EQ(w.height(), windowBefore);
}

TEST_F(SelectionTest, NamesAreNormalisedOrRefused) {
    TZVFormMain& w = Open();
    EXPECT_EQ(w.CheckExtensionName("  txt "), ".txt");
    EXPECT_EQ(w.CheckExtensionName(".TXT"), ".TXT");
    EXPECT_EQ(w.CheckExtensionName("."), ".");
    EXPECT_EQ(w.CheckExtensionName(" "), "");
    EXPECT_EQ(ErrorOf([&] { w.CheckExtensionName("a\\b"); }),
              "A file name extension cannot contain a backslash (\\).");

    EXPECT_EQ(w.CheckFileTypeName(" ", true), "Unknown");
    EXPECT_EQ(w.CheckFileTypeName(" ", false), "");
    EXPECT_EQ(w.CheckFileTypeName("uNKNOWN", false), "Unknown");
    EXPECT_EQ(w.CheckFileTypeName(" txtfile ", false), "txtfile");
    EXPECT_EQ(w.CheckFileTypeName("clsid\\{x}\\y", false), "clsid\\{x}\\y");
    EXPECT_EQ(ErrorOf([&] { w.CheckFileTypeName("a\\b", true); }),
              "A file type cannot contain a backslash (\\) unless it starts with CLSID\\");

    EXPECT_EQ(ErrorOf([&] { w.RequireExtension(); }),
              "Please specify a file extension to associate with.");
}

}  // namespace
}  // namespace zanver
