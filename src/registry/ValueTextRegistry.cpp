#include "ValueTextRegistry.h"

#include "Exception.h"
#include "RegistryAccess.h"
#include "ValueText.h"

namespace zanver {

std::string ReadValueText(RootKey root, std::string_view key, std::string_view name,
                          bool regeditStyle) {
    std::uint32_t type = 0;
    Bytes data;
    if (!ReadRawValue(root, key, name, type, data)) {
        type = RegNone;
        data.clear();
    }
    return FormatValueText(data, type, regeditStyle);
}

std::string ReadExactValueText(RootKey root, std::string_view key, std::string_view name) {
    std::uint32_t type = 0;
    Bytes data;
    if (!ReadRawValue(root, key, name, type, data)) {
        type = RegNone;
        data.clear();
    }
    return ExactValueText(data, type);
}

void SetValueText(RootKey root, std::string_view key, std::string_view name,
                  std::string_view valueText) {
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(valueText, type, data);
    const std::uint8_t* bytes = data.empty() ? nullptr : data.data();
    if (!SetRawValue(root, key, name, type, bytes, data.size()))
        throw Exception(SetValueFailureText(root, key, name, true, valueText));
}

void RestoreValueText(RootKey root, std::string_view key, std::string_view name,
                      std::string_view valueText) {
    std::uint32_t type = RegNone;
    Bytes data;
    ParseValueText(valueText, type, data);
    if (!SetExactRawValue(root, key, name, type, data.empty() ? nullptr : data.data(), data.size()))
        throw Exception(SetValueFailureText(root, key, name, true, valueText));
}

}  // namespace zanver
