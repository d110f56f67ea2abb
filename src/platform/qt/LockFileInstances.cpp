#include "LockFileInstances.h"

#include <QDir>
#include <QFileInfo>

#include "Exception.h"
#include "QtText.h"

namespace zanver {

namespace {
// A lock older than this is not stale as long as its process lives.
constexpr int kNeverStale = 0;
// Stamps tried before giving up.
constexpr int kClaimAttempts = 4096;
}  // namespace

LockFileInstances::LockFileInstances(QString folder) : folder_(std::move(folder)) {
    QDir().mkpath(folder_);
}

LockFileInstances::~LockFileInstances() {
    Release();
}

QString LockFileInstances::FolderFor(const QString& storePath) {
    return storePath + ".instances";
}

QString LockFileInstances::LockPath(std::uint32_t stamp) const {
    return QDir(folder_).filePath(QString("%1.lock").arg(stamp, 8, 16, QChar('0')).toUpper());
}

std::uint32_t LockFileInstances::ClaimStamp(std::uint32_t stamp) {
    Release();
    for (int attempt = 0; attempt < kClaimAttempts; ++attempt, ++stamp) {
        auto lock = std::make_unique<QLockFile>(LockPath(stamp));
        lock->setStaleLockTime(kNeverStale);
        if (lock->tryLock(0)) {
            own_ = std::move(lock);
            ownPath_ = LockPath(stamp);
            return stamp;
        }
        // A folder that cannot be written fails every attempt alike.
        if (lock->error() != QLockFile::LockFailedError)
            break;
    }
    // Without a lock of its own, this run would be invisible to the others,
    // and the last of them to end would remove this run's backups.
    throw Exception("Could not create a lock file in " +
                    FromQString(QDir::toNativeSeparators(folder_)) +
                    ". The program needs it to keep the backups of deleted keys, which let "
                    "deletions be undone, apart from those of other instances on the same store");
}

bool LockFileInstances::OthersRunning() {
    const QStringList names = QDir(folder_).entryList({"*.lock"}, QDir::Files);
    for (const QString& name : names) {
        const QString path = QDir(folder_).filePath(name);
        if (QFileInfo(path) == QFileInfo(ownPath_))
            continue;
        QLockFile other(path);
        other.setStaleLockTime(kNeverStale);
        // A lock that can be taken was left by a run that has ended; taking
        // it and letting it go removes the file.
        if (other.tryLock(0)) {
            other.unlock();
            continue;
        }
        if (other.error() == QLockFile::LockFailedError)
            return true;
    }
    return false;
}

void LockFileInstances::Release() {
    if (own_) {
        own_->unlock();
        own_.reset();
    }
    ownPath_.clear();
}

}  // namespace zanver
