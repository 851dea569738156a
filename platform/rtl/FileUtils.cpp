#include "platform/rtl/FileUtils.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/PosixIo.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velvane {

namespace {

// umask(2) can only be read by changing it, which races with other threads;
// the kernel also reports it in /proc, so look there first.
mode_t CurrentUmask()
{
    if (FILE* f = std::fopen("/proc/self/status", "re")) {
        char line[256];
        unsigned value = 0;
        bool found = false;
        while (!found && std::fgets(line, sizeof line, f))
            found = std::sscanf(line, "Umask: %o", &value) == 1;
        std::fclose(f);
        if (found) return static_cast<mode_t>(value);
    }
    mode_t mask = ::umask(022);
    ::umask(mask);
    return mask;
}

// The folder is synced so the rename itself survives a crash; a failure here
// does not undo a rename that has already happened, so it is not reported.
void SyncFolder(const String& folder)
{
    int fd = posix::Open(folder.empty() ? String(".") : folder, O_RDONLY | O_DIRECTORY);
    if (fd < 0) return;
    ::fsync(fd);
    posix::Close(fd);
}

} // namespace

bool FileExists(const String& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode);
}

bool DirectoryExists(const String& path)
{
    struct stat st;
    return !path.empty() && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool DeleteFile(const String& path)
{
    return !path.empty() && ::unlink(path.c_str()) == 0;
}

bool ForceDirectories(const String& path)
{
    String folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    if (folder.empty()) return false;
    if (DirectoryExists(folder)) return true;

    String parent = ExtractFilePath(folder);
    if (!parent.empty() && parent != folder && !ForceDirectories(parent)) return false;
    if (::mkdir(folder.c_str(), 0777) == 0) return true;
    // Another process may have made it meanwhile.
    return errno == EEXIST && DirectoryExists(folder);
}

String ExtractFilePath(const String& path)
{
    auto slash = path.rfind('/');
    return slash == String::npos ? String() : path.substr(0, slash + 1);
}

String ExtractFileName(const String& path)
{
    auto slash = path.rfind('/');
    return slash == String::npos ? path : path.substr(slash + 1);
}

String ExtractFileExt(const String& path)
{
    auto dot = path.rfind('.');
    auto slash = path.rfind('/');
    if (dot == String::npos || (slash != String::npos && dot < slash)) return String();
    return path.substr(dot);
}

String IncludeTrailingPathDelimiter(const String& path)
{
    return !path.empty() && path.back() == '/' ? path : path + '/';
}

void AtomicWriteFile(const String& path, std::string_view bytes)
{
    AtomicWriteFile(path, [bytes](const TByteSink& write) { write(bytes); });
}

void AtomicWriteFile(const String& path, const std::function<void(const TByteSink& write)>& produce)
{
    String folder = ExtractFilePath(path);
    String name = ExtractFileName(path);
    if (name.empty()) throw EFCreateError(posix::CannotCreate(path, EISDIR));

    struct stat old;
    mode_t mode = (::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ? (old.st_mode & 07777)
        : (0644 & ~CurrentUmask());

    String temp = folder + "." + name + ".XXXXXX";
    int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) throw EFCreateError(posix::CannotCreate(path, errno));

    auto fail = [&](int err, bool created) {
        if (fd >= 0) posix::Close(fd);
        fd = -1;
        ::unlink(temp.c_str());
        if (created) throw EFCreateError(posix::CannotCreate(path, err));
        throw EWriteError(posix::CannotWrite(path, err));
    };

    if (::fchmod(fd, mode) != 0) fail(errno, true);
    try {
        produce([&](std::string_view piece) {
            const auto size = static_cast<std::int64_t>(piece.size());
            if (posix::WriteFully(fd, piece.data(), size) != size) fail(errno, false);
        });
    } catch (...) {
        // A write that failed has cleaned up already; anything else the
        // producer raised leaves no temporary file either.
        if (fd >= 0) {
            posix::Close(fd);
            ::unlink(temp.c_str());
        }
        throw;
    }
    if (::fsync(fd) != 0) fail(errno, false);
    int closeResult = posix::Close(fd);
    int closeError = errno;
    fd = -1;
    if (closeResult != 0) fail(closeError, false);
    if (::rename(temp.c_str(), path.c_str()) != 0) fail(errno, true);
    SyncFolder(folder);
}

String ReadFileBytes(const String& path)
{
    int fd = posix::Open(path, O_RDONLY);
    if (fd < 0) throw EFOpenError(posix::CannotOpen(path, errno));

    struct stat st;
    int statError = ::fstat(fd, &st) != 0 ? errno : (S_ISDIR(st.st_mode) ? EISDIR : 0);
    if (statError != 0) {
        int err = statError;
        posix::Close(fd);
        throw EFOpenError(posix::CannotOpen(path, err));
    }

    // The size is only a hint: files under /proc report 0 and others grow.
    String data;
    data.reserve(st.st_size > 0 ? static_cast<size_t>(st.st_size) : 0);
    char chunk[65536];
    for (;;) {
        std::int64_t n = posix::ReadFully(fd, chunk, sizeof chunk);
        int err = errno;
        data.append(chunk, static_cast<size_t>(n));
        if (n == static_cast<std::int64_t>(sizeof chunk)) continue;
        posix::Close(fd);
        if (err != 0) throw EReadError(posix::CannotRead(path, err));
        return data;
    }
}

} // namespace velvane
