#include "platform/rtl/LastError.h"

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

String SysErrorMessage(std::uint32_t code)
{
    switch (code) {
    case ERROR_SUCCESS: return "The operation completed successfully.";
    case ERROR_INVALID_FUNCTION: return "Incorrect function.";
    case ERROR_TOO_MANY_OPEN_FILES: return "The system cannot open the file.";
    case ERROR_WRITE_PROTECT: return "The media is write protected.";
    case ERROR_FILE_EXISTS: return "The file exists.";
    case ERROR_DISK_FULL: return "There is not enough space on the disk.";
    case ERROR_FILE_NOT_FOUND: return "The system cannot find the file specified.";
    case ERROR_PATH_NOT_FOUND: return "The system cannot find the path specified.";
    case ERROR_ACCESS_DENIED: return "Access is denied.";
    case ERROR_INVALID_HANDLE: return "The handle is invalid.";
    case ERROR_NOT_ENOUGH_MEMORY: return "Not enough storage is available to process this command.";
    case ERROR_INVALID_DATA: return "The data is invalid.";
    case ERROR_WRITE_FAULT: return "The system cannot write to the specified device.";
    case ERROR_READ_FAULT: return "The system cannot read from the specified device.";
    case ERROR_INVALID_PARAMETER: return "The parameter is incorrect.";
    case ERROR_GEN_FAILURE: return "A device attached to the system is not functioning.";
    case ERROR_NOT_SUPPORTED: return "The request is not supported.";
    case ERROR_BUSY: return "The requested resource is in use.";
    case ERROR_MORE_DATA: return "More data is available.";
    case ERROR_NO_MORE_ITEMS: return "No more data is available.";
    case ERROR_BADDB: return "The configuration registry database is corrupt.";
    case ERROR_BADKEY: return "The configuration registry key is invalid.";
    case ERROR_CANTOPEN: return "The configuration registry key could not be opened.";
    case ERROR_CANTREAD: return "The configuration registry key could not be read.";
    case ERROR_CANTWRITE: return "The configuration registry key could not be written.";
    case ERROR_NO_ASSOCIATION: return "No application is associated with the specified file for this operation.";
    case WSAEADDRNOTAVAIL: return "The requested address is not valid in its context.";
    case WSAECONNRESET: return "An existing connection was forcibly closed by the remote host.";
    case WSAETIMEDOUT: return "A connection attempt failed because the connected party did not properly respond after a period of time.";
    case WSAECONNREFUSED: return "No connection could be made because the target machine actively refused it.";
    case WSAEHOSTUNREACH: return "A socket operation was attempted to an unreachable host.";
    case WSAHOST_NOT_FOUND: return "No such host is known.";
    default: return "Unknown error " + std::to_string(code) + ".";
    }
}

} // namespace velvane
