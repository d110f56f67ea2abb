#pragma once

#include <QLockFile>
#include <QString>

#include <memory>

#include "RunningInstances.h"

namespace zanver {

// Running instances seen through lock files in one folder per store: each
// run holds the file "<stamp>.lock" (eight hexadecimal digits) while it runs.
// A lock file whose process has ended counts as free and is cleaned up.
class LockFileInstances : public RunningInstances {
  public:
    // The folder is created when needed.
    explicit LockFileInstances(QString folder);
    ~LockFileInstances() override;

    // Raises when no lock file can be made (the folder cannot be written).
    std::uint32_t ClaimStamp(std::uint32_t stamp) override;
    bool OthersRunning() override;
    void Release() override;

    // The folder for the store file at storePath: next to it, named after it.
    static QString FolderFor(const QString& storePath);

  private:
    QString LockPath(std::uint32_t stamp) const;

    QString folder_;
    QString ownPath_;
    std::unique_ptr<QLockFile> own_;
};

}  // namespace zanver
