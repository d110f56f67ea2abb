#pragma once

// Result codes of the registry store and of the platform services. They are the
// Win32 error numbers, so that messages read the same over every store.
namespace zanver::err {

inline constexpr long kSuccess = 0;
inline constexpr long kInvalidFunction = 1;
inline constexpr long kFileNotFound = 2;
inline constexpr long kPathNotFound = 3;
inline constexpr long kAccessDenied = 5;
inline constexpr long kInvalidHandle = 6;
inline constexpr long kNotEnoughMemory = 8;
inline constexpr long kInvalidData = 13;
inline constexpr long kOutOfMemory = 14;
inline constexpr long kWriteProtect = 19;
inline constexpr long kSharingViolation = 32;
inline constexpr long kLockViolation = 33;
inline constexpr long kDiskFull = 112;
inline constexpr long kInvalidParameter = 87;
inline constexpr long kCallNotImplemented = 120;
inline constexpr long kBadPathname = 161;
inline constexpr long kAlreadyExists = 183;
inline constexpr long kBadExeFormat = 193;
inline constexpr long kFilenameExcedRange = 206;
inline constexpr long kMoreData = 234;
inline constexpr long kNoMoreItems = 259;
inline constexpr long kBadDb = 1009;
inline constexpr long kBadKey = 1010;
inline constexpr long kCantOpen = 1011;
inline constexpr long kCantRead = 1012;
inline constexpr long kCantWrite = 1013;
inline constexpr long kRegistryIoFailed = 1016;
inline constexpr long kKeyDeleted = 1018;
inline constexpr long kNoAssociation = 1155;
inline constexpr long kFileCorrupt = 1392;

}  // namespace zanver::err
