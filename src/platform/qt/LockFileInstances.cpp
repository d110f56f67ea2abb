#include "LockFileInstances.h"

#include <QDir>
#include <QFileInfo>

namespace zanver {

namespace {
// A lock older than this is not stale as long as its process lives.
constexpr int kNeverStale = 0;
// Stamps tried before giving up and running with a stamp already held: the
// scratch data of two runs then share a key, which only loses the
// separation of their clean-ups, not data.
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
    }
    return stamp;
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
