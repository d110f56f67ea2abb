// zanver-treeview: one registry tree view on a key of the store, for browsing
// and editing the raw registry until the editor's window exists, and for
// pictures of the view (--grab FILE saves the window as a PNG and exits).
#include <QApplication>
#include <QTimer>

#include <iostream>
#include <string>
#include <vector>

#include "ActiveStore.h"
#include "AppTitle.h"
#include "KeyPaths.h"
#include "ProgramStore.h"
#include "QtGuard.h"
#include "QtPrompter.h"
#include "QtText.h"
#include "RegTreeView.h"
#include "RootKeys.h"
#include "StoreLocation.h"

int main(int argc, char** argv) {
    const std::string path = zanver::ChooseStorePath(argc, argv);
    QApplication app(argc, argv);
    const QStringList args = QApplication::arguments().mid(1);
    QString key = "HKEY_CLASSES_ROOT\\.txt";
    QString grabFile;
    for (qsizetype i = 0; i < args.size(); ++i) {
        if (args[i] == "--grab" && i + 1 < args.size())
            grabFile = args[++i];
        else if (!args[i].startsWith("-"))
            key = args[i];
        else {
            std::cerr << "usage: zanver-treeview [--store PATH] [KEY] [--grab FILE.png]\n";
            return 2;
        }
    }
    int exitCode = 0;
    const auto store = zanver::OpenProgramStore(path, std::cerr, exitCode);
    if (!store)
        return exitCode;
    zanver::ScopedActiveStore active(*store);
    zanver::SetAppTitle(zanver::kProgramName);
    zanver::InstallQtPrompter();

    const std::string fullName = zanver::FromQString(key);
    const std::string rootName = zanver::FirstKeyName(fullName);
    const zanver::RootKey root = zanver::RootKeyFromName(rootName);
    if (root == zanver::kUnknownRoot) {
        std::cerr << "Unknown root key " << rootName << ".\n";
        return 2;
    }
    const std::string keyPath = zanver::StripFirstKeyName(fullName);

    zanver::TRegTreeView view;
    view.setWindowTitle(zanver::ToQString(zanver::AppTitle() + " - " + fullName));
    view.Registry.SetRootKey(root);
    view.RootPath = zanver::ExtractParentKey(keyPath);
    view.resize(520, 420);
    view.show();
    // Once the event queue has drained, the node expanded last is read one
    // level deeper.
    QObject::connect(&view, &QTreeWidget::itemExpanded, [&view] {
        QTimer::singleShot(0, &view, [&view] { zanver::Guarded([&] { view.LoadPending(); }); });
    });
    zanver::Guarded([&] { view.RefreshPath(keyPath, false); });
    if (grabFile.isEmpty())
        return app.exec();

    // Open every key as a user would, one at a time, each read one level
    // deeper before its children are opened in turn.
    std::vector<QTreeWidgetItem*> toOpen{view.topLevelItem(0)};
    while (!toOpen.empty()) {
        QTreeWidgetItem* item = toOpen.back();
        toOpen.pop_back();
        if (item == nullptr || item->childCount() == 0)
            continue;
        item->setExpanded(true);
        zanver::Guarded([&] { view.LoadPending(); });
        for (int i = 0; i < item->childCount(); ++i)
            toOpen.push_back(item->child(i));
    }
    QApplication::processEvents();
    if (!view.grab().save(grabFile)) {
        std::cerr << "Could not save " << zanver::FromQString(grabFile) << ".\n";
        return 1;
    }
    return 0;
}
