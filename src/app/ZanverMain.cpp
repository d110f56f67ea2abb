// zanver: the association editor.
//   zanver [--store PATH] [FILE-OR-FOLDER]
// A file shows its extension, a folder the file type of folders (of drives
// for the root folder); without an argument no extension is shown.
#include <QApplication>

#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "ActiveStore.h"
#include "AppTitle.h"
#include "LockFileInstances.h"
#include "MainWindow.h"
#include "ProgramStore.h"
#include "QtGuard.h"
#include "QtPrompter.h"
#include "QtText.h"
#include "StoreLocation.h"

namespace {
constexpr char kUsage[] = "usage: zanver [--store PATH] [FILE-OR-FOLDER]\n";
}

int main(int argc, char** argv) {
    const std::string path = zanver::ChooseStorePath(argc, argv);
    // Help needs no window system: it is answered before one is reached.
    for (int i = 1; i < argc && std::string_view(argv[i]) != "--"; ++i)
        if (std::string_view(argv[i]) == "--help" || std::string_view(argv[i]) == "-h") {
            std::cout << kUsage;
            return 0;
        }
    QApplication app(argc, argv);
    QApplication::setApplicationName(zanver::ToQString(zanver::kProgramName));

    // One file or folder; "--" ends the options, so that a name may start
    // with a dash.
    std::vector<std::string> arguments;
    bool optionsEnded = false;
    for (const QString& argument : QApplication::arguments().mid(1)) {
        if (!optionsEnded && argument == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && argument.startsWith('-')) {
            std::cerr << kUsage;
            return 2;
        } else {
            arguments.push_back(zanver::FromQString(argument));
        }
    }
    if (arguments.size() > 1) {
        std::cerr << kUsage;
        return 2;
    }

    int exitCode = 0;
    const auto store = zanver::OpenProgramStore(path, std::cerr, exitCode);
    if (!store)
        return exitCode;
    zanver::ScopedActiveStore active(*store);
    zanver::LockFileInstances instances(
        zanver::LockFileInstances::FolderFor(zanver::ToQString(path)));
    zanver::SetActiveInstances(&instances);
    zanver::SetAppTitle(zanver::kProgramName);
    zanver::InstallQtPrompter();

    // A window that cannot start says why, and the program ends.
    std::unique_ptr<zanver::TZVFormMain> window;
    if (!zanver::Guarded([&] { window = std::make_unique<zanver::TZVFormMain>(arguments); })) {
        zanver::SetActiveInstances(nullptr);
        return 1;
    }
    QApplication::setWindowIcon(window->windowIcon());
    window->show();
    const int result = QApplication::exec();
    window.reset();
    zanver::SetActiveInstances(nullptr);
    return result;
}
