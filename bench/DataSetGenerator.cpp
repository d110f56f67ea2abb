#include "DataSetGenerator.h"

#include <array>
#include <cmath>
#include <cstdio>
#include <optional>
#include <string_view>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "KeyHandle.h"

namespace zanver::bench {

namespace {

// SplitMix64: small, fast and the same on every compiler and platform, which
// the distributions of <random> are not.
class Random {
  public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // A number below bound (bound > 0).
    std::size_t Below(std::size_t bound) { return static_cast<std::size_t>(Next() % bound); }
    // True in percent cases out of a hundred.
    bool Chance(std::size_t percent) { return Below(100) < percent; }
    // The same for an optional value: percent scaled by the share of optional
    // values. A share of 1 draws exactly as Chance does, so the full data set
    // stays the same; a smaller one also changes what is drawn only for a
    // written value (an "AppID" GUID, "NeverShowExt" or "AlwaysShowExt") and
    // so everything drawn after it.
    bool Optional(std::size_t percent) {
        return static_cast<double>(Below(100)) < static_cast<double>(percent) * optionalShare;
    }

    double optionalShare = 1.0;
    template <typename T, std::size_t N>
    const T& Pick(const std::array<T, N>& items) {
        return items[Below(N)];
    }

  private:
    std::uint64_t state_;
};

constexpr std::array<std::string_view, 16> kVendors = {
    "Abacus",   "Borealis", "Cobalt",  "Dunmore", "Eskerware", "Fernhill", "Graystone", "Halcyon",
    "Ironleaf", "Juniper",  "Kestrel", "Lumen",   "Meridian",  "Nimbus",   "Oakridge",  "Pinnacle"};

// A kind of document: the noun in names and the MIME and perceived types that go with it.
struct Kind {
    std::string_view noun;
    std::string_view mimeMajor;
    std::string_view perceived;
};
constexpr std::array<Kind, 14> kKinds = {{{"Document", "application", "document"},
                                          {"Image", "image", "image"},
                                          {"Archive", "application", "compressed"},
                                          {"Project", "application", "document"},
                                          {"Sheet", "application", "document"},
                                          {"Drawing", "image", "image"},
                                          {"Audio", "audio", "audio"},
                                          {"Video", "video", "video"},
                                          {"Script", "text", "text"},
                                          {"Report", "text", "document"},
                                          {"Template", "application", "document"},
                                          {"Settings", "text", "text"},
                                          {"Playlist", "audio", "audio"},
                                          {"Database", "application", "system"}}};

constexpr std::array<std::string_view, 4> kThreadingModels = {"Apartment", "Both", "Free",
                                                              "Neutral"};
constexpr std::array<std::uint32_t, 4> kEditFlags = {0x00000000, 0x00010000, 0x00210000,
                                                     0x00000002};

std::string Number(std::size_t value, int digits) {
    char text[24];
    std::snprintf(text, sizeof text, "%0*zu", digits, value);
    return text;
}

std::string Lower(std::string_view text) {
    std::string result(text);
    for (char& c : result)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return result;
}

std::string Guid(Random& random) {
    const std::uint64_t high = random.Next();
    const std::uint64_t low = random.Next();
    char text[40];
    std::snprintf(text, sizeof text, "{%08llX-%04llX-%04llX-%04llX-%012llX}",
                  static_cast<unsigned long long>(high >> 32),
                  static_cast<unsigned long long>((high >> 16) & 0xFFFF),
                  static_cast<unsigned long long>(high & 0xFFFF),
                  static_cast<unsigned long long>(low >> 48),
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return text;
}

// The vendor and kind of a file type follow from its index, so that the
// extensions and classes that name it can describe it without looking it up.
std::string_view VendorOf(std::size_t fileType) {
    return kVendors[(fileType * 7) % kVendors.size()];
}
const Kind& KindOf(std::size_t fileType) {
    return kKinds[(fileType * 5 + fileType / kKinds.size()) % kKinds.size()];
}

// Writes keys and values, counting them; the first failure sticks and makes
// every later call a no-op, so that callers check once per item.
class Writer {
  public:
    Writer(RegistryStore& store, DataSetCounts& counts) : store_(store), counts_(counts) {}

    bool Ok() const { return error_ == err::kSuccess; }
    long Error() const { return error_; }
    void Fail(long error) {
        if (Ok())
            error_ = error;
    }

    KeyHandle Create(StoreKey parent, std::string_view path) {
        KeyHandle key(store_);
        if (!Ok())
            return key;
        bool existed = false;
        if (const long rc = key.Create(parent, path, kKeyAllAccess, existed); rc != err::kSuccess)
            Fail(rc);
        else if (!existed)
            ++counts_.keys;
        return key;
    }
    void String(const KeyHandle& key, std::string_view name, std::string_view text,
                bool expandable = false) {
        std::string bytes(text);
        bytes.push_back('\0');
        Set(key, name, expandable ? RegExpandSz : RegSz,
            reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    void Dword(const KeyHandle& key, std::string_view name, std::uint32_t value) {
        const std::uint8_t bytes[4] = {
            static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
        Set(key, name, RegDword, bytes, sizeof bytes);
    }

  private:
    void Set(const KeyHandle& key, std::string_view name, std::uint32_t type,
             const std::uint8_t* data, std::size_t size) {
        if (!Ok())
            return;
        if (const long rc = store_.SetValue(key.Get(), name, type, data, size); rc != err::kSuccess)
            Fail(rc);
        else
            ++counts_.values;
    }

    RegistryStore& store_;
    DataSetCounts& counts_;
    long error_ = err::kSuccess;
};

void WriteExtension(Writer& out, Random& random, StoreKey base, std::size_t index,
                    std::size_t fileTypes) {
    const std::size_t fileType = random.Below(fileTypes);
    const Kind& kind = KindOf(fileType);
    KeyHandle key = out.Create(base, ExtensionName(index));
    out.String(key, "", FileTypeName(fileType));
    if (random.Optional(60))
        out.String(key, "Content Type",
                   std::string(kind.mimeMajor) + "/x-" + Lower(VendorOf(fileType)) + "-" +
                       Number(index + 1, 5));
    if (random.Optional(40))
        out.String(key, "PerceivedType", kind.perceived);
}

void WriteFileType(Writer& out, Random& random, StoreKey base, std::size_t index) {
    const std::string vendor(VendorOf(index));
    const Kind& kind = KindOf(index);
    const std::string program = Lower(vendor) + Lower(kind.noun).substr(0, 4) + ".exe";
    const bool system = random.Chance(30);
    const std::string folder =
        system ? "%SystemRoot%\\system32\\" : "C:\\Program Files\\" + vendor + "\\";

    KeyHandle key = out.Create(base, FileTypeName(index));
    out.String(key, "", vendor + " " + std::string(kind.noun) + " " + std::to_string(index + 1));
    out.Dword(key, "EditFlags", random.Pick(kEditFlags));
    if (random.Optional(70))
        out.String(key, "FriendlyTypeName",
                   "@%SystemRoot%\\system32\\" + Lower(vendor) + ".dll,-" +
                       std::to_string(100 + random.Below(9000)),
                   true);
    if (random.Optional(50))
        out.String(key, "InfoTip", "prop:System.ItemTypeText;System.Size;System.DateModified");
    if (random.Optional(20))
        out.String(key, random.Chance(50) ? "NeverShowExt" : "AlwaysShowExt", "");
    if (random.Optional(40))
        out.Dword(key, "BrowserFlags", 8);

    KeyHandle shell = out.Create(key.Get(), "shell");
    if (random.Optional(60))
        out.String(shell, "", "open");
    KeyHandle open = out.Create(shell.Get(), "open");
    if (random.Optional(60))
        out.String(open, "", "&Open");
    KeyHandle command = out.Create(open.Get(), "command");
    out.String(command, "", "\"" + folder + program + "\" \"%1\"", system);

    KeyHandle icon = out.Create(key.Get(), "DefaultIcon");
    out.String(icon, "", folder + program + "," + std::to_string(random.Below(40)), system);
}

void WriteClass(Writer& out, Random& random, StoreKey classes, std::size_t fileTypes) {
    const std::size_t fileType = random.Below(fileTypes);
    const std::string vendor(VendorOf(fileType));
    const std::string noun(KindOf(fileType).noun);
    const bool system = random.Chance(40);

    KeyHandle key = out.Create(classes, Guid(random));
    out.String(key, "", vendor + " " + noun + " Class");
    if (random.Optional(67))
        out.String(key, "AppID", Guid(random));
    if (random.Optional(67))
        out.String(key, "LocalizedString",
                   "@%SystemRoot%\\system32\\" + Lower(vendor) + ".dll,-" +
                       std::to_string(100 + random.Below(9000)),
                   true);

    KeyHandle server = out.Create(key.Get(), "InProcServer32");
    const std::string dll =
        Lower(vendor) + Lower(noun) + std::to_string(random.Below(100)) + ".dll";
    out.String(
        server, "",
        system ? "%SystemRoot%\\system32\\" + dll : "C:\\Program Files\\" + vendor + "\\" + dll,
        system);
    out.String(server, "ThreadingModel", random.Pick(kThreadingModels));

    KeyHandle progId = out.Create(key.Get(), "ProgID");
    out.String(progId, "", FileTypeName(fileType) + (random.Chance(50) ? ".1" : ""));
}

std::size_t Scaled(std::size_t full, double scale) {
    const double count = std::round(static_cast<double>(full) * scale);
    return count < 1.0 ? 1 : static_cast<std::size_t>(count);
}

}  // namespace

DataSetCounts PlannedCounts(double scale) {
    DataSetCounts counts;
    counts.extensions = Scaled(kFullExtensions, scale);
    counts.fileTypes = Scaled(kFullFileTypes, scale);
    counts.classes = Scaled(kFullClasses, scale);
    return counts;
}

std::string ExtensionName(std::size_t index) {
    return ".ext" + Number(index + 1, 5);
}

std::string FileTypeName(std::size_t index) {
    // Two naming styles, as in a real registry: "Vendor.Noun.N" and "nounNfile".
    if (index % 3 == 0)
        return Lower(KindOf(index).noun) + Number(index + 1, 5) + "file";
    return std::string(VendorOf(index)) + "." + std::string(KindOf(index).noun) + "." +
           Number(index + 1, 5);
}

long GenerateDataSet(RegistryStore& store, const DataSetOptions& options, DataSetCounts* counts) {
    DataSetCounts written = PlannedCounts(options.scale);
    const std::size_t fileTypes = written.fileTypes;
    Random random(options.seed);
    random.optionalShare = options.optionalValues;
    Writer out(store, written);

    long result = err::kSuccess;
    {
        std::optional<StoreTransaction> transaction;
        if (options.oneTransaction)
            transaction.emplace(store);
        // The base key itself is not part of the data set.
        const std::size_t before = written.keys;
        KeyHandle base = options.basePath.empty() ? KeyHandle(store)
                                                  : out.Create(options.root, options.basePath);
        written.keys = before;
        const StoreKey baseKey = options.basePath.empty() ? options.root : base.Get();

        for (std::size_t i = 0; i < written.extensions && out.Ok(); ++i)
            WriteExtension(out, random, baseKey, i, fileTypes);
        for (std::size_t i = 0; i < written.fileTypes && out.Ok(); ++i)
            WriteFileType(out, random, baseKey, i);
        KeyHandle classes = out.Create(baseKey, kClassesKey);
        for (std::size_t i = 0; i < written.classes && out.Ok(); ++i)
            WriteClass(out, random, classes.Get(), fileTypes);

        classes.Close();
        base.Close();
        result = out.Error();
        if (transaction) {
            if (result == err::kSuccess)
                result = transaction->Commit();
            else
                transaction->Rollback();
        }
    }
    if (counts)
        *counts = written;
    return result;
}

}  // namespace zanver::bench
