#include "ClassId.h"

#include "RegistryAccess.h"
#include "RootKeys.h"
#include "Vocabulary.h"

namespace zanver {

std::string DescribeClassId(std::string_view clsid) {
    const std::string id(clsid);
    const std::string key = kClsidPrefix + id;
    if (!KeyExists(HKEY_CLASSES_ROOT, key))
        return id + " not found";
    std::string text = ReadString(HKEY_CLASSES_ROOT, key, "");
    if (!text.empty())
        return id + " is " + text;
    text = ReadString(HKEY_CLASSES_ROOT, key + "\\" + kProgId, "");
    if (!text.empty())
        return id + " has ProgID " + text;
    text = ReadExpandString(HKEY_CLASSES_ROOT, key + "\\" + kInProcServer32, "");
    if (!text.empty())
        return id + " has InProcServer32 " + text;
    return id + " has no description";
}

}  // namespace zanver
