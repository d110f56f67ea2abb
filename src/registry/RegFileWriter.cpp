// Writing registry files in the layout of the system's registry editors:
// header, blank line, then for every key its key line, its values and a blank
// line; hex data wrapped so that lines stay within 80 characters.
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

#include "ActiveStore.h"
#include "ErrorCodes.h"
#include "Exception.h"
#include "KeyPaths.h"
#include "LastError.h"
#include "RegFile.h"
#include "RegFileText.h"

namespace zanver {

namespace {

using namespace regfile;

constexpr char kHexDigits[] = "0123456789abcdef";
// A hex line is broken after the byte whose comma takes it past this width.
constexpr std::size_t kWrapWidth = 76;
constexpr std::size_t kProgressStep = 256;
constexpr std::size_t kFlushSize = 1 << 16;

class Writer {
  public:
    Writer(RegistryStore& store, RegFormat format, const RegProgress& progress)
        : store_(store), version5_(format == RegFormat::Version5), progress_(progress) {
        out_.reserve(version5_ ? 2 * kFlushSize : 1 << 20);
    }

    void WriteHeader() {
        if (version5_)
            bytes_ = "\xFF\xFE";
        out_ += version5_ ? kHeader5 : kHeader4;
        out_ += "\r\n\r\n";
    }
    void WriteKey(StoreKey key, std::string& fullName);
    std::string Finish();

  private:
    void WriteValue(std::string_view name, std::uint32_t type,
                    const std::vector<std::uint8_t>& data);
    void WriteHex(const std::uint8_t* data, std::size_t size);
    [[noreturn]] void Fail(long code, const std::string& what) const {
        SetLastErrorCode(code);
        throw Exception("Could not " + what + ". " + LastErrorText());
    }

    RegistryStore& store_;
    bool version5_;
    const RegProgress& progress_;
    std::string out_;    // the text written last, 8-bit
    std::string bytes_;  // a 5.00 file's bytes so far (out_ follows)
    std::size_t lineStart_ = 0;
    std::size_t keys_ = 0;
    // Reused for every value, so that the loop does not allocate.
    std::string name_;
    std::vector<std::uint8_t> data_;
    std::string converted_;
};

// True for REG_SZ data that reads back unchanged from "text": one zero byte,
// at the end.
bool PlainString(const std::vector<std::uint8_t>& data) {
    return !data.empty() && data.back() == 0 &&
           std::find(data.begin(), data.end() - 1, 0) == data.end() - 1;
}

void Writer::WriteKey(StoreKey key, std::string& fullName) {
    if (progress_ && ++keys_ % kProgressStep == 0)
        progress_(keys_, 0);
    out_ += '[';
    out_ += fullName;
    out_ += "]\r\n";
    long rc = 0;
    std::uint32_t type = 0;
    for (std::uint32_t index = 0;
         (rc = store_.EnumValue(key, index, name_, &type, &data_)) == err::kSuccess; ++index)
        WriteValue(name_, type, data_);
    if (rc != err::kNoMoreItems)
        Fail(rc, "read the values of " + fullName);
    out_ += "\r\n";
    // A 5.00 file is converted piece by piece, so that the 8-bit text never
    // grows large.
    if (version5_ && out_.size() > kFlushSize) {
        AppendUtf16Le(out_, bytes_);
        out_.clear();
    }

    const std::size_t length = fullName.size();
    std::string subKey;
    for (std::uint32_t index = 0; (rc = store_.EnumKey(key, index, subKey)) == err::kSuccess;
         ++index) {
        fullName += '\\';
        fullName += subKey;
        StoreKey child = 0;
        const long opened = store_.OpenKey(key, subKey, kKeyRead, child);
        if (opened != err::kSuccess)
            Fail(opened, "open " + fullName);
        try {
            WriteKey(child, fullName);
        } catch (...) {
            store_.CloseKey(child);
            throw;
        }
        store_.CloseKey(child);
        fullName.resize(length);
    }
    if (rc != err::kNoMoreItems)
        Fail(rc, "read the subkeys of " + fullName);
}

void Writer::WriteValue(std::string_view name, std::uint32_t type,
                        const std::vector<std::uint8_t>& data) {
    lineStart_ = out_.size();
    if (name.empty()) {
        out_ += '@';
    } else {
        out_ += '"';
        AppendEscaped(name, out_);
        out_ += '"';
    }
    out_ += '=';
    if (type == RegSz && PlainString(data)) {
        out_ += '"';
        AppendEscaped(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 1),
                      out_);
        out_ += "\"\r\n";
        return;
    }
    if (type == RegDword && data.size() == 4) {
        const std::uint32_t number = data[0] | (data[1] << 8) | (data[2] << 16) |
                                     (static_cast<std::uint32_t>(data[3]) << 24);
        out_ += "dword:";
        for (int shift = 28; shift >= 0; shift -= 4)
            out_ += kHexDigits[(number >> shift) & 0xF];
        out_ += "\r\n";
        return;
    }
    if (type == RegBinary) {
        out_ += "hex:";
    } else {
        out_ += "hex(";
        bool started = false;
        for (int shift = 28; shift >= 0; shift -= 4) {
            const unsigned digit = (type >> shift) & 0xF;
            if (digit != 0 || started || shift == 0) {
                out_ += kHexDigits[digit];
                started = true;
            }
        }
        out_ += "):";
    }
    const bool text = type == RegSz || type == RegExpandSz || type == RegMultiSz;
    if (version5_ && text) {
        converted_.clear();
        AppendUtf16Le(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()),
                      converted_);
        WriteHex(reinterpret_cast<const std::uint8_t*>(converted_.data()), converted_.size());
    } else {
        WriteHex(data.data(), data.size());
    }
    out_ += "\r\n";
}

void Writer::WriteHex(const std::uint8_t* data, std::size_t size) {
    const std::string_view line = std::string_view(out_).substr(lineStart_);
    std::size_t width = version5_ ? Utf16Length(line) : line.size();
    for (std::size_t i = 0; i < size; ++i) {
        out_ += kHexDigits[data[i] >> 4];
        out_ += kHexDigits[data[i] & 0xF];
        width += 2;
        if (i + 1 == size)
            break;
        out_ += ',';
        if (++width > kWrapWidth) {
            out_ += "\\\r\n  ";
            width = 2;
        }
    }
}

std::string Writer::Finish() {
    if (!version5_)
        return std::move(out_);
    AppendUtf16Le(out_, bytes_);
    return std::move(bytes_);
}

}  // namespace

std::string ExportRegText(RegistryStore& store, RootKey root, std::string_view key,
                          RegFormat format, const RegProgress& progress) {
    // One transaction around all the reads: the file shows one state of the
    // store, and a store that locks per statement locks once. A store that
    // refuses it (a read-only one) is read without.
    StoreTransaction transaction(store);
    StoreKey handle = 0;
    const long rc = store.OpenKey(root, key, kKeyRead, handle);
    if (rc != err::kSuccess) {
        SetLastErrorCode(rc);
        throw Exception("Could not open " + FullKeyName(root, key) + ". " + LastErrorText());
    }
    Writer writer(store, format, progress);
    std::string fullName = FullKeyName(root, key);
    try {
        writer.WriteHeader();
        writer.WriteKey(handle, fullName);
    } catch (...) {
        store.CloseKey(handle);
        throw;
    }
    store.CloseKey(handle);
    transaction.Commit();
    return writer.Finish();
}

void ExportRegFile(RegistryStore& store, RootKey root, std::string_view key,
                   const std::string& path, RegFormat format, const RegProgress& progress) {
    const std::string bytes = ExportRegText(store, root, key, format, progress);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    if (!file)
        throw Exception("Could not create " + path + ": " + std::strerror(errno));
    file.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    file.close();
    if (!file)
        throw Exception("Could not write " + path + ".");
}

}  // namespace zanver
