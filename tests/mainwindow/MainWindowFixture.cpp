#include "MainWindowFixture.h"

#include "ZVRegTreeView.h"

#include <QComboBox>
#include <QLineEdit>

#include "QtText.h"
#include "RegFile.h"
#include "RegistryAccess.h"

namespace zanver {

const char kTestAssociations[] = R"(REGEDIT4

[HKEY_CLASSES_ROOT\.txt]
@="txtfile"
"Content Type"="text/plain"

[HKEY_CLASSES_ROOT\.log]
@="txtfile"

[HKEY_CLASSES_ROOT\txtfile]
@="Text Document"

[HKEY_CLASSES_ROOT\txtfile\shell\open\command]
@="notepad.exe %1"

[HKEY_CLASSES_ROOT\.bmp]
@="Paint.Picture"
"Content Type"="image/bmp"

[HKEY_CLASSES_ROOT\Paint.Picture]
@="Bitmap Image"

[HKEY_CLASSES_ROOT\.cls]
@="CLSID\\{00021401-0000-0000-C000-000000000046}"

[HKEY_CLASSES_ROOT\.nft]
@="nofile"

[HKEY_CLASSES_ROOT\.empty]

[HKEY_CLASSES_ROOT\APPID]

[HKEY_CLASSES_ROOT\CLSID\{00021401-0000-0000-C000-000000000046}]
@="Shortcut"

[HKEY_CLASSES_ROOT\Software]

[HKEY_CLASSES_ROOT\Unknown]

[HKEY_CLASSES_ROOT\Folder]
@="Folder"

[HKEY_CLASSES_ROOT\Drive]
@="Drive"

[HKEY_CLASSES_ROOT\MIME\Database\Content Type\text/plain]

[HKEY_CLASSES_ROOT\MIME\Database\Content Type\image/bmp]
)";

MainWindowTest::MainWindowTest() {
    Import(kTestAssociations);
}

MainWindowTest::~MainWindowTest() {
    window.reset();
}

void MainWindowTest::Import(std::string_view regText) {
    ImportRegText(store, regText);
}

TZVFormMain& MainWindowTest::Open(std::vector<std::string> arguments) {
    window.reset();
    window = std::make_unique<TZVFormMain>(std::move(arguments));
    return *window;
}

TZVFormMain& MainWindowTest::OpenShown(std::vector<std::string> arguments) {
    Open(std::move(arguments));
    // A control that commits nothing when it is left.
    EXPECT_TRUE(gui::ShowAndFocus(window->RegTreeViewFileType));
    return *window;
}

void MainWindowTest::Close() {
    window.reset();
    gui::ProcessEvents();
}

std::string MainWindowTest::Status() const {
    const TStatusLine& line = window->StatusLine();
    if (line.Caption().empty())
        return "";
    return line.Caption() + " (" + std::to_string(line.MsgLevel()) + ")";
}

std::string MainWindowTest::CaptionOf(const TRegTreeNode* node) {
    return node != nullptr ? node->Text() : std::string("(no node)");
}

std::vector<std::string> MainWindowTest::Items(const QComboBox* combo) {
    std::vector<std::string> items;
    for (int i = 0; i < combo->count(); ++i)
        items.push_back(FromQString(combo->itemText(i)));
    return items;
}

std::string MainWindowTest::Text(const QComboBox* combo) {
    return FromQString(combo->currentText());
}

std::string MainWindowTest::DefaultOf(const std::string& key) {
    return ReadString(HKEY_CLASSES_ROOT, key, "");
}

bool MainWindowTest::Exists(const std::string& key) {
    return KeyExists(HKEY_CLASSES_ROOT, key);
}

}  // namespace zanver
