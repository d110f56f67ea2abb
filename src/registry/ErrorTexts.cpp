// The last error code and the English system texts of the error codes, for
// platforms without the Windows message table.
#include <string>
#include <unordered_map>

#include "ErrorCodes.h"
#include "LastError.h"

namespace zanver {

namespace {

thread_local long t_lastError = 0;

const std::unordered_map<long, const char*>& ErrorTexts() {
    static const std::unordered_map<long, const char*> texts = {
        {err::kSuccess, "The operation completed successfully.\r\n"},
        {err::kInvalidFunction, "Incorrect function.\r\n"},
        {err::kFileNotFound, "The system cannot find the file specified.\r\n"},
        {err::kPathNotFound, "The system cannot find the path specified.\r\n"},
        {err::kAccessDenied, "Access is denied.\r\n"},
        {err::kInvalidHandle, "The handle is invalid.\r\n"},
        {err::kNotEnoughMemory,
         "Not enough memory resources are available to process this command.\r\n"},
        {err::kInvalidData, "The data is invalid.\r\n"},
        {err::kOutOfMemory,
         "Not enough memory resources are available to complete this operation.\r\n"},
        {err::kWriteProtect, "The media is write protected.\r\n"},
        {err::kSharingViolation,
         "The process cannot access the file because it is being used by another process.\r\n"},
        {err::kLockViolation,
         "The process cannot access the file because another process has locked a portion of the "
         "file.\r\n"},
        {err::kInvalidParameter, "The parameter is incorrect.\r\n"},
        {err::kCallNotImplemented, "This function is not supported on this system.\r\n"},
        {err::kDiskFull, "There is not enough space on the disk.\r\n"},
        {err::kBadPathname, "The specified path is invalid.\r\n"},
        {err::kAlreadyExists, "Cannot create a file when that file already exists.\r\n"},
        {err::kBadExeFormat, "%1 is not a valid Win32 application.\r\n"},
        {err::kFilenameExcedRange, "The filename or extension is too long.\r\n"},
        {err::kMoreData, "More data is available.\r\n"},
        {err::kNoMoreItems, "No more data is available.\r\n"},
        {err::kBadDb, "The configuration registry database is corrupt.\r\n"},
        {err::kBadKey, "The configuration registry key is invalid.\r\n"},
        {err::kCantOpen, "The configuration registry key could not be opened.\r\n"},
        {err::kCantRead, "The configuration registry key could not be read.\r\n"},
        {err::kCantWrite, "The configuration registry key could not be written.\r\n"},
        {err::kRegistryIoFailed,
         "An I/O operation initiated by the registry failed unrecoverably. The registry could not "
         "read in, or write out, or flush, one of the files that contain the system's image of the "
         "registry.\r\n"},
        {err::kKeyDeleted,
         "Illegal operation attempted on a registry key that has been marked for deletion.\r\n"},
        {err::kNoAssociation,
         "No application is associated with the specified file for this operation.\r\n"},
        {err::kFileCorrupt, "The file or directory is corrupted and unreadable.\r\n"},
    };
    return texts;
}

}  // namespace

long LastErrorCode() {
    return t_lastError;
}

void SetLastErrorCode(long code) {
    t_lastError = code;
}

std::string SystemErrorText(long code) {
    const auto& texts = ErrorTexts();
    const auto found = texts.find(code);
    if (found == texts.end())
        return "Unknown error " + std::to_string(code);
    return found->second;
}

}  // namespace zanver
