#include "platform/rtl/LastError.h"

#include "platform/rtl/ErrorTexts.h"

#include <cerrno>

namespace velvane {

namespace {
thread_local std::uint32_t lastError = ERROR_SUCCESS;
}

std::uint32_t GetLastError() { return lastError; }

void SetLastError(std::uint32_t code) { lastError = code; }

void SetLastErrorFromErrno(int err)
{
    std::uint32_t code;
    switch (err) {
    case 0: code = ERROR_SUCCESS; break;
    case ENOENT: code = ERROR_FILE_NOT_FOUND; break;
    case ENOTDIR: code = ERROR_PATH_NOT_FOUND; break;
    case EACCES:
    case EPERM:
    case EISDIR: code = ERROR_ACCESS_DENIED; break;
    case EBADF: code = ERROR_INVALID_HANDLE; break;
    case ENOMEM: code = ERROR_NOT_ENOUGH_MEMORY; break;
    case EINVAL: code = ERROR_INVALID_PARAMETER; break;
    case ENOSPC:
    case EFBIG:
    case EDQUOT: code = ERROR_DISK_FULL; break;
    case EEXIST: code = ERROR_FILE_EXISTS; break;
    case EROFS: code = ERROR_WRITE_PROTECT; break;
    case EMFILE:
    case ENFILE: code = ERROR_TOO_MANY_OPEN_FILES; break;
    case EIO: code = ERROR_READ_FAULT; break;
    default: code = ERROR_INVALID_FUNCTION; break;
    }
    SetLastError(code);
}

String SysErrorMessage(std::uint32_t code) { return SystemErrorText(code); }

} // namespace velvane
