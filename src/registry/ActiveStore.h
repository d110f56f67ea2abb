#pragma once

#include "Store.h"

namespace zanver {

// The store that the registry access functions and registry objects work on.
// The program sets it once at start-up; tests install their own with
// ScopedActiveStore. Using the registry while none is set is a programming
// error and throws std::logic_error.
RegistryStore& ActiveStore();
RegistryStore* SetActiveStore(RegistryStore* store);  // returns the previous one

class ScopedActiveStore {
  public:
    explicit ScopedActiveStore(RegistryStore& store) : previous_(SetActiveStore(&store)) {}
    ~ScopedActiveStore() { SetActiveStore(previous_); }
    ScopedActiveStore(const ScopedActiveStore&) = delete;
    ScopedActiveStore& operator=(const ScopedActiveStore&) = delete;

  private:
    RegistryStore* previous_;
};

// Runs a compound operation as one store transaction: rolled back unless
// Commit() is called before the guard goes out of scope.
class StoreTransaction {
  public:
    explicit StoreTransaction(RegistryStore& store) : store_(store) { store_.BeginTransaction(); }
    ~StoreTransaction() {
        if (!ended_)
            store_.EndTransaction(false);
    }
    long Commit() { return End(true); }
    // Stores without transactions keep what was done: callers that roll back
    // must also undo their partial work themselves.
    long Rollback() { return End(false); }
    StoreTransaction(const StoreTransaction&) = delete;
    StoreTransaction& operator=(const StoreTransaction&) = delete;

  private:
    long End(bool commit) {
        if (ended_)
            return 0;
        ended_ = true;
        return store_.EndTransaction(commit);
    }
    RegistryStore& store_;
    bool ended_ = false;
};

// Runs the reads of a bulk operation (loading or walking a large key) as one
// read scope of the store (see RegistryStore::BeginRead).
class StoreReadScope {
  public:
    explicit StoreReadScope(RegistryStore& store) : store_(store) { store_.BeginRead(); }
    ~StoreReadScope() { store_.EndRead(); }
    StoreReadScope(const StoreReadScope&) = delete;
    StoreReadScope& operator=(const StoreReadScope&) = delete;

  private:
    RegistryStore& store_;
};

}  // namespace zanver
