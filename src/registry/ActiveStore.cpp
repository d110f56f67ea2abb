#include "ActiveStore.h"

#include <stdexcept>

namespace zanver {

namespace {
RegistryStore* g_activeStore = nullptr;
}

RegistryStore& ActiveStore() {
    if (!g_activeStore)
        throw std::logic_error("no registry store is active");
    return *g_activeStore;
}

RegistryStore* SetActiveStore(RegistryStore* store) {
    RegistryStore* previous = g_activeStore;
    g_activeStore = store;
    return previous;
}

}  // namespace zanver
