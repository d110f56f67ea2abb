#include "FaultStore.h"

namespace zanver {

void FaultStore::FailNth(Call kind, int n, long code) {
    if (n >= 1)
        faults_.push_back(Fault{kind, n, code});
}

long FaultStore::Enter(Call kind) {
    ++counts_[static_cast<std::size_t>(kind)];
    ++counts_[static_cast<std::size_t>(Call::Any)];
    long code = 0;
    for (auto it = faults_.begin(); it != faults_.end();) {
        if ((it->kind == kind || it->kind == Call::Any) && --it->remaining == 0) {
            if (code == 0)
                code = it->code;
            it = faults_.erase(it);
        } else {
            ++it;
        }
    }
    return code;
}

long FaultStore::OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                         StoreKey& result) {
    if (const long code = Enter(Call::OpenKey)) {
        result = 0;
        return code;
    }
    return inner_.OpenKey(parent, subKey, access, result);
}

long FaultStore::CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                           StoreKey& result, bool& existed) {
    if (const long code = Enter(Call::CreateKey)) {
        result = 0;
        existed = false;
        return code;
    }
    return inner_.CreateKey(parent, subKey, access, result, existed);
}

long FaultStore::CloseKey(StoreKey key) {
    if (const long code = Enter(Call::CloseKey))
        return code;
    return inner_.CloseKey(key);
}

long FaultStore::EnumKey(StoreKey key, std::uint32_t index, std::string& name) {
    if (const long code = Enter(Call::EnumKey))
        return code;
    return inner_.EnumKey(key, index, name);
}

long FaultStore::EnumValue(StoreKey key, std::uint32_t index, std::string& name,
                           std::uint32_t* type, std::vector<std::uint8_t>* data) {
    if (const long code = Enter(Call::EnumValue))
        return code;
    return inner_.EnumValue(key, index, name, type, data);
}

long FaultStore::QueryInfoKey(StoreKey key, KeyInfo& info) {
    if (const long code = Enter(Call::QueryInfoKey))
        return code;
    return inner_.QueryInfoKey(key, info);
}

long FaultStore::QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                            std::vector<std::uint8_t>* data) {
    if (const long code = Enter(Call::QueryValue))
        return code;
    return inner_.QueryValue(key, name, type, data);
}

long FaultStore::SetValue(StoreKey key, std::string_view name, std::uint32_t type,
                          const std::uint8_t* data, std::size_t size) {
    if (const long code = Enter(Call::SetValue))
        return code;
    return inner_.SetValue(key, name, type, data, size);
}

long FaultStore::DeleteValue(StoreKey key, std::string_view name) {
    if (const long code = Enter(Call::DeleteValue))
        return code;
    return inner_.DeleteValue(key, name);
}

long FaultStore::DeleteKey(StoreKey key, std::string_view subKey) {
    if (const long code = Enter(Call::DeleteKey))
        return code;
    return inner_.DeleteKey(key, subKey);
}

long FaultStore::MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                         std::string_view destSubKey) {
    if (const long code = Enter(Call::MoveKey))
        return code;
    return inner_.MoveKey(sourceParent, sourceSubKey, destParent, destSubKey);
}

long FaultStore::BeginTransaction() {
    if (!transactions_)
        return 0;
    ++txDepth_;
    return inner_.BeginTransaction();
}

long FaultStore::EndTransaction(bool commit) {
    if (!transactions_)
        return 0;
    if (txDepth_ > 0 && --txDepth_ == 0 && commit)
        if (const long code = Enter(Call::Commit)) {
            inner_.EndTransaction(false);
            return code;
        }
    return inner_.EndTransaction(commit);
}

}  // namespace zanver
