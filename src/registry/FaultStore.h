#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Store.h"

namespace zanver {

// A store that forwards every call to another store, counts the calls, and
// makes chosen calls fail, for tests of error paths. A failing call does not
// reach the wrapped store; it returns the chosen code (with a handle of 0 and
// existed false for OpenKey and CreateKey). A failing Commit is the outermost
// EndTransaction(true): the wrapped store rolls back and the code is returned,
// as when a store cannot write its transaction out.
class FaultStore : public RegistryStore {
  public:
    enum class Call {
        OpenKey,
        CreateKey,
        CloseKey,
        EnumKey,
        EnumValue,
        QueryInfoKey,
        QueryValue,
        SetValue,
        DeleteValue,
        DeleteKey,
        MoveKey,
        Commit,
        Any,  // every call of the kinds above
    };

    explicit FaultStore(RegistryStore& inner) : inner_(inner) {}

    // Makes the n-th call of that kind from now on (n = 1: the next one) fail
    // with code. Several faults may be pending at once; each fires once.
    void FailNth(Call kind, int n, long code);
    void ClearFaults() { faults_.clear(); }
    bool FaultsPending() const { return !faults_.empty(); }

    // Calls made of that kind (Any: all of them), failed ones included.
    int Calls(Call kind) const { return counts_[static_cast<std::size_t>(kind)]; }
    void ResetCounts() { counts_.fill(0); }

    long OpenKey(StoreKey parent, std::string_view subKey, std::uint32_t access,
                 StoreKey& result) override;
    long CreateKey(StoreKey parent, std::string_view subKey, std::uint32_t access, StoreKey& result,
                   bool& existed) override;
    long CloseKey(StoreKey key) override;
    long EnumKey(StoreKey key, std::uint32_t index, std::string& name) override;
    long EnumValue(StoreKey key, std::uint32_t index, std::string& name, std::uint32_t* type,
                   std::vector<std::uint8_t>* data) override;
    long QueryInfoKey(StoreKey key, KeyInfo& info) override;
    long QueryValue(StoreKey key, std::string_view name, std::uint32_t* type,
                    std::vector<std::uint8_t>* data) override;
    long SetValue(StoreKey key, std::string_view name, std::uint32_t type, const std::uint8_t* data,
                  std::size_t size) override;
    long DeleteValue(StoreKey key, std::string_view name) override;
    long DeleteKey(StoreKey key, std::string_view subKey) override;
    long MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                 std::string_view destSubKey) override;
    long BeginTransaction() override;
    long EndTransaction(bool commit) override;
    bool CanRollBack() const override { return transactions_ && inner_.CanRollBack(); }
    // From now on transactions are not passed on: the store behaves as one
    // without them (as the Windows registry does).
    void DisableTransactions() { transactions_ = false; }
    long BeginRead() override { return inner_.BeginRead(); }
    long EndRead() override { return inner_.EndRead(); }

  private:
    struct Fault {
        Call kind;
        int remaining;
        long code;
    };

    // Counts the call and returns the code of a fault that fires on it, or 0.
    long Enter(Call kind);

    RegistryStore& inner_;
    int txDepth_ = 0;
    bool transactions_ = true;
    std::vector<Fault> faults_;
    std::array<int, static_cast<std::size_t>(Call::Any) + 1> counts_{};
};

}  // namespace zanver
