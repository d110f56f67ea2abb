// Moving a key of SqliteStore: one row gets a new parent and name, and the
// rows below it a new depth; no key or value is copied.
#include <unordered_map>

#include "ErrorCodes.h"
#include "NameRules.h"
#include "SqliteStatement.h"

namespace zanver {

// The code for a path that could not be followed from a handle: kKeyDeleted
// when the handle's own key is gone.
long SqliteStore::MissingBelow(StoreKey key) {
    Handle* handle = nullptr;
    Versions versions;
    const long rc = Resolve(key, 0, handle, &versions);
    return rc == err::kSuccess ? err::kFileNotFound : rc;
}

// The key's parent (0 for a root) and depth.
long SqliteStore::KeyPlace(std::int64_t keyId, std::int64_t& parent, std::int64_t& depth) {
    {
        Statement state(*this, Sql::kKeyState);
        state.Bind(1, keyId);
        const int rc = state.Step();
        if (rc != SQLITE_ROW)
            return rc == SQLITE_DONE ? err::kKeyDeleted : Failure(rc, false);
        depth = state.Int(2);
    }
    Statement parentOf(*this, Sql::kParentOf);
    parentOf.Bind(1, keyId);
    const int rc = parentOf.Step();
    if (rc != SQLITE_ROW)
        return rc == SQLITE_DONE ? err::kKeyDeleted : Failure(rc, false);
    parent = parentOf.IsNull(0) ? 0 : parentOf.Int(0);
    return err::kSuccess;
}

// Whether ancestor is key itself or one of the keys above it.
long SqliteStore::IsAncestor(std::int64_t ancestor, std::int64_t key, bool& result) {
    result = false;
    for (std::int64_t at = key; at != 0;) {
        if (at == ancestor) {
            result = true;
            return err::kSuccess;
        }
        std::int64_t depth = 0;
        if (const long rc = KeyPlace(at, at, depth); rc != err::kSuccess)
            return rc;
    }
    return err::kSuccess;
}

long SqliteStore::MoveKey(StoreKey sourceParent, std::string_view sourceSubKey, StoreKey destParent,
                          std::string_view destSubKey) {
    Handle* from = nullptr;
    Handle* to = nullptr;
    if (const long rc = Lookup(sourceParent, 0, from); rc != err::kSuccess)
        return rc;
    if (const long rc = Lookup(destParent, kKeyCreateSubKey, to); rc != err::kSuccess)
        return rc;
    std::vector<std::string> sourceNames;
    std::vector<std::string> destNames;
    std::string newName;
    if (const long rc = SplitMovePaths(sourceSubKey, destSubKey, sourceNames, destNames, newName))
        return rc;

    WriteScope scope(*this);
    if (scope.Status() != err::kSuccess)
        return scope.Status();
    // Everything is checked under the write lock before anything changes, so
    // a refusal inside the caller's transaction leaves no trace.
    std::int64_t source = 0;
    std::int64_t oldParent = 0;
    std::int64_t newParent = 0;
    long rc = Walk(*from, sourceNames, source, &oldParent);
    if (rc == err::kFileNotFound)
        return MissingBelow(sourceParent);
    if (rc != err::kSuccess)
        return rc;
    rc = Walk(*to, destNames, newParent);
    if (rc == err::kFileNotFound)
        return MissingBelow(destParent);
    if (rc != err::kSuccess)
        return rc;
    // A root, or a key above the one HKEY_CLASSES_ROOT shows, stays in place.
    bool holdsClasses = false;
    if ((rc = IsAncestor(source, classesId_, holdsClasses)) != err::kSuccess)
        return rc;
    if (holdsClasses || IsProtectedKey(source))
        return err::kAccessDenied;
    std::int64_t existing = 0;
    rc = FindChild(newParent, newName, existing);
    if (rc == err::kSuccess && existing != source)
        return err::kAlreadyExists;
    if (rc != err::kSuccess && rc != err::kFileNotFound)
        return rc;
    bool inside = false;
    if ((rc = IsAncestor(source, newParent, inside)) != err::kSuccess)
        return rc;
    if (inside)
        return err::kInvalidParameter;
    std::int64_t sourceDepth = 0;
    std::int64_t newParentDepth = 0;
    std::int64_t unused = 0;
    if ((rc = KeyPlace(source, unused, sourceDepth)) != err::kSuccess ||
        (rc = KeyPlace(newParent, unused, newParentDepth)) != err::kSuccess)
        return rc;
    const std::int64_t shift = newParentDepth + 1 - sourceDepth;
    if (shift > 0) {
        Statement height(*this, Sql::kSubtreeHeight);
        height.Bind(1, source);
        const int step = height.Step();
        if (step != SQLITE_ROW)
            return Failure(step, false);
        if (newParentDepth + 1 + height.Int(0) > static_cast<std::int64_t>(kMaxKeyDepth))
            return err::kInvalidParameter;
    }

    std::int64_t removedVersion = 0;
    std::int64_t addedVersion = 0;
    if ((rc = Bump(Sql::kBumpSubKeys, oldParent, removedVersion)) != err::kSuccess ||
        (rc = Bump(Sql::kBumpSubKeys, newParent, addedVersion)) != err::kSuccess)
        return rc;
    {
        Statement move(*this, Sql::kMoveKey);
        move.Bind(1, source);
        move.Bind(2, newParent);
        move.BindText(3, newName);
        move.BindFold(4, newName);
        const int step = move.Step();
        if (step != SQLITE_DONE)
            return Failure(step, true);
    }
    // The handles of this connection on moved keys learn their new depth
    // once the move is committed.
    std::unordered_map<std::int64_t, std::int64_t> newDepths;
    if (shift != 0) {
        std::unordered_map<std::int64_t, std::int64_t> wanted;  // key id -> 0
        for (const auto& [key, handle] : handles_)
            wanted.emplace(handle.keyId, 0);
        Statement update(*this, Sql::kShiftDepth);
        update.Bind(1, source);
        update.Bind(2, shift);
        int step;
        while ((step = update.Step()) == SQLITE_ROW) {
            const std::int64_t id = update.Int(0);
            if (wanted.count(id) > 0)
                newDepths[id] = update.Int(1);
            if (const auto counted = txCounted_.find(id); counted != txCounted_.end())
                counted->second.depth = update.Int(1);
        }
        if (step != SQLITE_DONE)
            return Failure(step, true);
    }
    if ((rc = scope.Commit()) != err::kSuccess)
        return rc;
    for (auto& [key, handle] : handles_)
        if (const auto found = newDepths.find(handle.keyId); found != newDepths.end())
            handle.depth = found->second;
    if (sourceNames.size() == 1)
        NoteSubKeyRemoved(*from, sourceNames[0], removedVersion);
    if (destNames.empty())
        NoteSubKeyAdded(*to, newName, addedVersion);
    return err::kSuccess;
}

}  // namespace zanver
