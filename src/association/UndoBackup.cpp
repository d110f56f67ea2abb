#include "UndoBackup.h"

namespace zanver {

std::string UndoBackupBase;

}  // namespace zanver
