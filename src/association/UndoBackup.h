#pragma once

#include <string>

namespace zanver {

// The key below HKEY_LOCAL_MACHINE that holds this run's backups of deleted
// keys (one backup key per deletion). The main window sets it at start-up;
// empty until then.
extern std::string UndoBackupBase;

}  // namespace zanver
