// The item lists of the panel and the selection of extension and file type:
// what a selection shows, its flags, the status hints and the group boxes.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QGroupBox>

#include <fstream>
#include <string>
#include <vector>

#include "AppTitle.h"
#include "ErrorOf.h"
#include "MainWindowFixture.h"
#include "Options.h"
#include "RegTreeNode.h"
#include "TempFolder.h"
#include "ZVComboBox.h"
#include "ZVEdit.h"
#include "ZVRegTreeView.h"

namespace zanver {
namespace {

using ::testing::ElementsAre;
using ::testing::UnorderedElementsAre;

constexpr char kGuid[] = "{00021401-0000-0000-C000-000000000046}";
constexpr char kShortcut[] = "CLSID\\{00021401-0000-0000-C000-000000000046}";

std::string TopName(const TRegTreeView* tree) {
    return tree->TopNode() != nullptr ? tree->TopNode()->NodeName() : "(empty)";
}

using SelectionTest = MainWindowTest;

TEST_F(SelectionTest, ListsAreSortedWithoutCaseAndFiltered) {
    TempFolder templates;
    std::ofstream(templates.File("letter.doc")) << "x";
    Import(R"(REGEDIT4
[HKEY_CLASSES_ROOT\.aZ]
"Content Type"="application/zip"
[HKEY_CLASSES_ROOT\.a_x]
"Content Type"="TEXT/PLAIN"
[HKEY_CLASSES_ROOT\zeta]
[HKEY_CURRENT_USER\Software\Microsoft\Windows\CurrentVersion\Explorer\Shell Folders]
"Templates"=")" +
           templates.Path().string() + "\"\n");
    TZVFormMain& w = Open();

    // The registry's order without case ("_" after the letters); the default
    // exclusions hide APPID, CLSID, MIME and Software; content types of
    // extensions join the database's list once.
    EXPECT_THAT(Items(w.ComboExt),
                ElementsAre(".aZ", ".a_x", ".bmp", ".cls", ".empty", ".log", ".nft", ".txt"));
    EXPECT_THAT(Items(w.ComboFileType),
                ElementsAre("Drive", "Folder", "Paint.Picture", "txtfile", "Unknown", "zeta"));
    EXPECT_THAT(Items(w.ComboMimeType), ElementsAre("application/zip", "image/bmp", "text/plain"));
    EXPECT_THAT(Items(w.ComboNewTemplate), ElementsAre("NullFile", "letter.doc"));

    // Insertions go to their place, without Force only once, never when
    // excluded.
    w.AddFileTypeItem("beta", false);
    w.AddFileTypeItem("BETA", false);
    w.AddFileTypeItem("software", true);
    w.ComboMimeType->addItem("_x");
    w.ComboMimeType->addItem("B");
    EXPECT_THAT(Items(w.ComboFileType), ElementsAre("beta", "Drive", "Folder", "Paint.Picture",
                                                    "txtfile", "Unknown", "zeta"));
    EXPECT_THAT(Items(w.ComboMimeType),
                ElementsAre("application/zip", "B", "image/bmp", "text/plain", "_x"));
    w.AddFileTypeItem("BETA", true);
    EXPECT_EQ(w.ComboFileType->count(), 8);
}

TEST_F(SelectionTest, ClassesAndTheStoredExclusionList) {
    TZVFormMain& w = Open();
    w.SelectExtension(".cls", 0);
    EXPECT_EQ(w.FileTypeTitle, std::string("class ") + kGuid);
    EXPECT_EQ(w.EditFileTypeDescr->UndoName + "|" + w.EditFileTypeDescr->Text(),
              "description class|Shortcut");
    EXPECT_EQ(w.RegTreeViewFileType->RootPath + "\\" + TopName(w.RegTreeViewFileType), kShortcut);
    // Shown in the box, but listed only while the option is on.
    EXPECT_EQ(Text(w.ComboFileType), kShortcut);
    EXPECT_FALSE(w.ComboFileType->HasItem(kShortcut));
    OptionFlags |= kOptionShowClassIds;
    w.SelectFileType(kShortcut, 0);
    EXPECT_TRUE(w.ComboFileType->HasItem(kShortcut));
    w.SelectExtension(".txt", 0);
    EXPECT_EQ(w.RegTreeViewFileType->RootPath + TopName(w.RegTreeViewFileType), "txtfile");

    // A stored list replaces the default one; the stored option lists classes.
    Import(R"(REGEDIT4
[HKEY_CURRENT_USER\Software\KQ\Zanver]
"Options"=dword:00000003
[HKEY_CURRENT_USER\Software\KQ\Zanver\ExcludedKeys]
"TXTFILE"=""
"Unknown"=""
)");
    Open().SelectExtension(".txt", 0);
    EXPECT_THAT(Items(window->ComboFileType),
                ElementsAre("APPID", "CLSID", kShortcut, "Drive", "Folder", "MIME", "Paint.Picture",
                            "Software"));
    EXPECT_EQ(Text(window->ComboFileType), "txtfile");  // shown, not listed
    // An existing but empty list hides nothing.
    Import(
        "REGEDIT4\n[-HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\ExcludedKeys]\n"
        "[HKEY_CURRENT_USER\\Software\\KQ\\Zanver\\ExcludedKeys]\n");
    EXPECT_TRUE(Open().ExcludedKeys.empty());
}

TEST_F(SelectionTest, SelectionsShowTheirNamesAndFollowTheirFlags) {
    TZVFormMain& w = Open();
    std::vector<PanelField> refreshed;
    w.FieldRefreshed = [&](PanelField field) { refreshed.push_back(field); };
    w.SelectExtension(".txt", 0);
    EXPECT_EQ(w.windowTitle().toStdString() + "|" + AppTitle(), "Zanver .txt|Zanver .txt");
    EXPECT_EQ(Text(w.ComboExt) + " " + Text(w.ComboFileType) + " " + w.EditFileTypeDescr->Text(),
              ".txt txtfile Text Document");
    EXPECT_EQ(TopName(w.RegTreeViewExt) + " " + TopName(w.RegTreeViewFileType), ".txt txtfile");
    EXPECT_EQ(
        w.ComboExt->History.Entries().back() + " " + w.ComboFileType->History.Entries().back(),
        ".txt txtfile");
    EXPECT_FALSE(refreshed.empty());

    // 1: the same name does nothing; 4 leaves the box alone, 16 the file
    // type (until ReloadFileType), 8 the extension tree.
    refreshed.clear();
    w.SelectExtension(".txt", SelSkipSame);
    w.SelectFileType("txtfile", SelSkipSame);
    EXPECT_TRUE(refreshed.empty());
    w.SelectExtension(".bmp", SelKeepExtCombo | SelNoFollow);
    EXPECT_EQ(Text(w.ComboExt) + " " + TopName(w.RegTreeViewExt) + " " + w.CurFileType,
              ".txt .bmp txtfile");
    w.ReloadFileType(0);
    EXPECT_EQ(w.CurFileType, "Paint.Picture");
    w.SelectExtension(".log", SelNoExtTree);
    EXPECT_EQ(TopName(w.RegTreeViewExt) + " " + w.CurFileType, ".bmp txtfile");

    // 128 leaves the file type box alone, 256 its tree; 64 shows the name on
    // the extension's top node, 32 writes it as the extension's default.
    w.SelectExtension(".empty", 0);  // "Unknown" needs no description
    EXPECT_EQ(Status() + w.CurFileType, "Unknown");
    w.SelectExtension(".log", 0);
    OptionFlags = 0;
    w.SelectFileType("Paint.Picture", SelNoFileTypeItem | SelNoFileTypeTree | SelShowOnExtTop);
    EXPECT_EQ(Text(w.ComboFileType) + " " + TopName(w.RegTreeViewFileType) + " " +
                  w.RegTreeViewExt->TopNode()->NodeValue(),
              "txtfile txtfile \"Paint.Picture\"");
    EXPECT_EQ(DefaultOf(".log"), "txtfile");
    w.SelectFileType("Paint.Picture", SelWriteDefault);
    EXPECT_EQ(DefaultOf(".log"), "Paint.Picture");
    EXPECT_EQ(Text(w.ComboFileType) + TopName(w.RegTreeViewFileType), "Paint.PicturePaint.Picture");
}

TEST_F(SelectionTest, GroupBoxesFitTheRowsOfTheirTreesOrCollapse) {
    Import(R"(REGEDIT4
[HKEY_CLASSES_ROOT\.many]
@="manyfile"
"a"="1"
"b"="2"
[HKEY_CLASSES_ROOT\manyfile\DefaultIcon]
[HKEY_CLASSES_ROOT\manyfile\shell]
[HKEY_CLASSES_ROOT\manyfile\x]
[HKEY_CLASSES_ROOT\manyfile\y]
)");
    TZVFormMain& w = OpenShown();
    // Started without an extension: the design height is saved, the tree is
    // empty and disabled.
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());
    EXPECT_GT(w.SavedExtGroupHeight, 0);
    w.SelectExtension(".log", SelForceSize);
    EXPECT_TRUE(w.RegTreeViewExt->isEnabled());
    const int small = w.GroupBoxExt->height();
    const int windowBefore = w.height();

    // Two more rows in the extension tree; the file type box gains the three
    // rows manyfile has more than txtfile, and the window grows by both.
    w.SelectExtension(".many", 0);
    const int row = w.RegTreeViewExt->visualItemRect(w.RegTreeViewExt->TopNode()).height();
    ASSERT_GT(row, 0);
    EXPECT_EQ(w.GroupBoxExt->height(), small + 2 * row);
    EXPECT_EQ(w.height(), windowBefore + 5 * row);
    gui::ProcessEvents();
    EXPECT_GE(w.RegTreeViewExt->viewport()->height(), 3 * row);
    EXPECT_GE(w.RegTreeViewFileType->viewport()->height(), 5 * row);
    // Without Force the boxes only grow; with Force they take what they need.
    w.SelectExtension(".log", 0);
    EXPECT_EQ(w.height(), windowBefore + 5 * row);
    w.SelectExtension(".log", SelForceSize);
    EXPECT_EQ(w.GroupBoxExt->height(), small);
    EXPECT_EQ(w.height(), windowBefore);

    // No extension collapses the box; a second empty selection keeps the
    // height saved by the first.
    w.GroupBoxExt->resize(w.GroupBoxExt->width(), 200);  // as the splitter does
    w.SelectExtension("", SelKeepExtCombo | SelNoFollow);
    EXPECT_LT(w.GroupBoxExt->height(), 200);
    EXPECT_FALSE(w.RegTreeViewExt->isEnabled());
    w.SelectExtension("", SelKeepExtCombo | SelNoFollow);
    w.SelectExtension(".log", 0);
    EXPECT_EQ(w.GroupBoxExt->height(), 200);
}

TEST_F(SelectionTest, NamesAreNormalisedOrRefused) {
    TZVFormMain& w = Open();
    EXPECT_EQ(w.CheckFileTypeName(" ", true), "Unknown");
    EXPECT_EQ(w.CheckFileTypeName(" ", false), "");
    EXPECT_EQ(w.CheckFileTypeName("uNKNOWN", false), "Unknown");
    EXPECT_EQ(w.CheckFileTypeName(" clsid\\{x}\\y", false), "clsid\\{x}\\y");
    EXPECT_EQ(ErrorOf([&] { w.CheckFileTypeName("a\\b", true); }),
              "A file type cannot contain a backslash (\\) unless it starts with CLSID\\");
    EXPECT_EQ(ErrorOf([&] { w.RequireExtension(); }),
              "Please specify a file extension to associate with.");
}

}  // namespace
}  // namespace zanver
