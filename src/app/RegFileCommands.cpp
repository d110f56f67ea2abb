#include "RegFileCommands.h"

#include <chrono>
#include <ostream>

#include "ActiveStore.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "RegFile.h"

namespace zanver {

namespace {

// A progress line on err, shown once the operation has run for a second and
// rewritten in place; Finish ends it with a line end.
class ProgressLine {
  public:
    ProgressLine(std::ostream& err, std::string label) : err_(err), label_(std::move(label)) {}
    ~ProgressLine() { Finish(); }
    ProgressLine(const ProgressLine&) = delete;
    ProgressLine& operator=(const ProgressLine&) = delete;

    void Update(std::size_t done, std::size_t total) {
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            now - lastShown_ < std::chrono::milliseconds(100))
            return;
        lastShown_ = now;
        err_ << '\r' << label_ << ' ';
        if (total > 0)
            err_ << done * 100 / total << '%';
        else
            err_ << done << " keys";
        err_.flush();
        shown_ = true;
    }
    void Finish() {
        if (shown_)
            err_ << '\n';
        shown_ = false;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::ostream& err_;
    std::string label_;
    Clock::time_point start_ = Clock::now();
    Clock::time_point lastShown_{};
    bool shown_ = false;
};

}  // namespace

std::string RegFileUsage() {
    return "  import FILE [--skip-errors] Import a registry file (REGEDIT4 or Windows\n"
           "                             Registry Editor Version 5.00). A file with errors\n"
           "                             changes nothing unless --skip-errors is given.\n"
           "  export KEY FILE [--regedit4]\n"
           "                             Write a key with all its subkeys to a registry\n"
           "                             file (Version 5.00 format unless --regedit4).\n";
}

int RegImportCommand(const std::vector<std::string>& args, std::ostream& err) {
    RegImportOptions options;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--skip-errors")
            options.skipErrors = true;
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 1)
        throw Exception("import expects one file.");
    ProgressLine progress(err, "Importing " + positional[0]);
    options.progress = [&progress](std::size_t done, std::size_t total) {
        progress.Update(done, total);
    };
    const RegImportResult result = ImportRegFile(ActiveStore(), positional[0], options);
    progress.Finish();
    for (const std::string& message : result.skipped)
        err << "Skipped " << message << '\n';
    return 0;
}

int RegExportCommand(const std::vector<std::string>& args, std::ostream& err) {
    RegFormat format = RegFormat::Version5;
    std::vector<std::string> positional;
    for (std::size_t i = 1; i < args.size(); ++i) {
        if (args[i] == "--regedit4")
            format = RegFormat::Regedit4;
        else
            positional.push_back(args[i]);
    }
    if (positional.size() != 2)
        throw Exception("export expects a key and a file.");
    const std::string& text = positional[0];
    const std::size_t slash = text.find('\\');
    const RootKey root = RegFileRootFromName(text.substr(0, slash));
    if (root == kUnknownRoot)
        throw Exception("Unknown root key in " + text +
                        ". Write keys with a full root name, such as HKEY_CLASSES_ROOT\\.txt.");
    const std::string key = slash == std::string::npos ? std::string() : text.substr(slash + 1);
    ProgressLine progress(err, "Exporting " + FullKeyName(root, key));
    ExportRegFile(
        ActiveStore(), root, key, positional[1], format,
        [&progress](std::size_t done, std::size_t total) { progress.Update(done, total); });
    progress.Finish();
    return 0;
}

}  // namespace zanver
