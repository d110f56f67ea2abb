#pragma once

#include "Registry.h"

namespace zanver {

// The registry object shared by the program, rooted at HKEY_CLASSES_ROOT. Code
// that switches its root puts HKEY_CLASSES_ROOT (or the root it found) back
// before returning. It lives until the process ends, so that no key is closed
// after the store has gone.
extern TRegistry& GlobalRegistry;

// Switches a registry object to another root and gives it its old root back
// on every way out.
class RootSwitch {
  public:
    RootSwitch(TRegistry& registry, RootKey root)
        : registry_(registry), previous_(registry.GetRootKey()) {
        registry_.SetRootKey(root);
    }
    ~RootSwitch() { registry_.SetRootKey(previous_); }
    RootSwitch(const RootSwitch&) = delete;
    RootSwitch& operator=(const RootSwitch&) = delete;

  private:
    TRegistry& registry_;
    RootKey previous_;
};

}  // namespace zanver
