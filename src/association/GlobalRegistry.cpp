#include "GlobalRegistry.h"

#include "Options.h"

namespace zanver {

// Never destroyed: a key it holds open would otherwise be closed during static
// destruction, when the store may already be gone.
TRegistry& GlobalRegistry = *new TRegistry(HKEY_CLASSES_ROOT);

std::uint8_t OptionFlags = kDefaultOptionFlags;

}  // namespace zanver
