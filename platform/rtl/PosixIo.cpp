#include "platform/rtl/PosixIo.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/LastError.h"

#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

namespace velvane::posix {

namespace {

// Keeps each system call below the size a single read/write may move.
constexpr std::int64_t MaxChunk = std::int64_t{1} << 30;

String Quoted(TErrorText what, const String& path, int err) { return ErrorText(what, {path, ErrnoText(err)}); }

} // namespace

int Open(const String& path, int flags, unsigned mode)
{
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_CLOEXEC, static_cast<mode_t>(mode));
    } while (fd < 0 && errno == EINTR);
    return fd;
}

std::int64_t ReadFully(int fd, void* buffer, std::int64_t count)
{
    auto* p = static_cast<char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        ssize_t n = ::read(fd, p + done, static_cast<size_t>(std::min(count - done, MaxChunk)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done;
        }
        if (n == 0) {
            errno = 0;
            return done;
        }
        done += n;
    }
    return done;
}

std::int64_t WriteFully(int fd, const void* buffer, std::int64_t count)
{
    const auto* p = static_cast<const char*>(buffer);
    std::int64_t done = 0;
    while (done < count) {
        ssize_t n = ::write(fd, p + done, static_cast<size_t>(std::min(count - done, MaxChunk)));
        if (n < 0) {
            if (errno == EINTR) continue;
            return done;
        }
        if (n == 0) {
            errno = ENOSPC;
            return done;
        }
        done += n;
    }
    return done;
}

int Close(int fd)
{
    int rc = ::close(fd);
    return rc < 0 && errno == EINTR ? 0 : rc;
}

// A failed file call leaves the system error number behind, as the system's
// own file calls do; error handlers decide by it whether to speak up.
String CannotCreate(const String& path, int err)
{
    SetLastErrorFromErrno(err);
    return Quoted(TErrorText::CannotCreateFile, path, err);
}
String CannotOpen(const String& path, int err)
{
    SetLastErrorFromErrno(err);
    return Quoted(TErrorText::CannotOpenFile, path, err);
}

String CannotWrite(const String& path, int err)
{
    SetLastErrorFromErrno(err);
    return Quoted(TErrorText::CannotWriteFile, path, err);
}

String CannotRead(const String& path, int err)
{
    SetLastErrorFromErrno(err);
    return Quoted(TErrorText::CannotReadFile, path, err);
}

} // namespace velvane::posix
