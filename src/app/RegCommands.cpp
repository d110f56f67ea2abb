#include "RegCommands.h"

#include <ostream>

#include "ErrorBoxes.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "RegFileCommands.h"
#include "Registry.h"
#include "RegistryAccess.h"
#include "ValueTextRegistry.h"

namespace zanver {

namespace {

// A key written with its full root name, such as HKEY_CLASSES_ROOT\.txt.
struct FullKey {
    RootKey root = kUnknownRoot;
    std::string path;
};

FullKey ParseFullKey(const std::string& text) {
    FullKey key{RootKeyFromName(FirstKeyName(text)), StripFirstKeyName(text)};
    if (key.root == kUnknownRoot)
        throw Exception("Unknown root key in " + text +
                        ". Write keys with a full root name, such as HKEY_CLASSES_ROOT\\.txt.");
    return key;
}

std::string Indent(int depth) {
    return std::string(static_cast<std::size_t>(depth) * 2, ' ');
}

// One key as the tree views show it: its name with the default value's text
// when it has one, then its values, then its subkeys (all levels when
// recursive, else their names).
void PrintKey(std::ostream& out, const FullKey& key, const std::string& caption, int depth,
              bool recursive) {
    TRegistry registry(key.root);
    if (!registry.OpenKey(key.path, false))
        throw Exception("Could not open " + FullKeyName(key.root, key.path) + ". " +
                        LastErrorText());
    std::vector<std::string> values;
    std::vector<std::string> subKeys;
    registry.GetValueNames(values);
    registry.GetKeyNames(subKeys);
    registry.CloseKey();

    out << Indent(depth) << caption;
    if (ValueExists(key.root, key.path, ""))
        out << " = " << ReadValueText(key.root, key.path, "", false);
    out << '\n';
    for (const std::string& name : values)
        if (!name.empty())
            out << Indent(depth + 1) << name << " = "
                << ReadValueText(key.root, key.path, name, false) << '\n';
    for (const std::string& name : subKeys) {
        const FullKey child{key.root, key.path.empty() ? name : key.path + "\\" + name};
        if (recursive) {
            PrintKey(out, child, name, depth + 1, true);
        } else {
            out << Indent(depth + 1) << name;
            if (ValueExists(child.root, child.path, ""))
                out << " = " << ReadValueText(child.root, child.path, "", false);
            out << '\n';
        }
    }
}

int Query(const std::vector<std::string>& args, std::ostream& out) {
    bool recursive = false;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--recursive" || args[i] == "-r")
            recursive = true;
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 1)
        throw Exception("query expects one key.\n" + RegToolUsage());
    const FullKey key = ParseFullKey(positional[0]);
    PrintKey(out, key, FullKeyName(key.root, key.path), 0, recursive);
    return 0;
}

int Set(const std::vector<std::string>& args) {
    if (args.size() != 3 && args.size() != 4)
        throw Exception("set expects a key, an optional value name and a value text.\n" +
                        RegToolUsage());
    const FullKey key = ParseFullKey(args[1]);
    const std::string name = args.size() == 4 ? args[2] : std::string();
    SetValueText(key.root, key.path, name, args.back());
    return 0;
}

int Delete(const std::vector<std::string>& args) {
    if (args.size() != 2 && args.size() != 3)
        throw Exception("delete expects a key and an optional value name.\n" + RegToolUsage());
    const FullKey key = ParseFullKey(args[1]);
    if (args.size() == 3) {
        const std::string& name = args[2];
        if (!ValueExists(key.root, key.path, name) || !DeleteValue(key.root, key.path, name))
            throw Exception("Failed to delete " + FullValueName(key.root, key.path, name) + ". " +
                            LastErrorText());
        return 0;
    }
    if (NamesRootKey(key.path))
        throw Exception("A root key cannot be deleted: " + RootKeyName(key.root) + ".");
    if (!KeyExists(key.root, key.path) || !DeleteKeyTree(key.root, key.path))
        throw Exception("Failed to delete " + FullKeyName(key.root, key.path) + ". " +
                        LastErrorText());
    return 0;
}

}  // namespace

std::string RegToolUsage() {
    return "Usage: zanver-reg [--store PATH] COMMAND ARGUMENTS\n"
           "\n"
           "Commands:\n"
           "  query KEY [--recursive]    Show a key: its default value, its values as\n"
           "                             name = value text, and its subkeys (all levels\n"
           "                             with --recursive).\n"
           "  set KEY [NAME] VALUE-TEXT  Write a value (the default value when NAME is left\n"
           "                             out); missing keys are created.\n"
           "  delete KEY [NAME]          Delete a value, or the key with all its subkeys.\n" +
           RegFileUsage() +
           "  --reset-store [--yes]      Replace the store with the bundled associations\n"
           "                             (asks first unless --yes is given).\n"
           "\n"
           "Keys are written with their full root name: HKEY_CLASSES_ROOT\\.txt.\n"
           "Value texts: \"text\", expandable string: \"%PATH%\", dword: 0000001F,\n"
           "hex: 01,02,FF, multiple strings: 61,00,00, hex(9): 01, unassigned.\n"
           "\n"
           "The store is the file named by --store, else by ZANVER_STORE, else\n"
           "$XDG_DATA_HOME/zanver/registry.db (~/.local/share/zanver/registry.db).\n"
           "A new store starts with the bundled associations.\n";
}

int RunRegCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    if (args.empty() || args[0] == "--help" || args[0] == "-h" || args[0] == "help") {
        (args.empty() ? err : out) << RegToolUsage();
        return args.empty() ? 2 : 0;
    }
    try {
        if (args[0] == "query")
            return Query(args, out);
        if (args[0] == "set")
            return Set(args);
        if (args[0] == "delete")
            return Delete(args);
        if (args[0] == "import")
            return RegImportCommand(args, err);
        if (args[0] == "export")
            return RegExportCommand(args, err);
        err << "Unknown command " << args[0] << ".\n" << RegToolUsage();
        return 2;
    } catch (const Exception& e) {
        err << WithClosingFullStop(e.Message()) << '\n';
        return 1;
    }
}

}  // namespace zanver
