#include "platform/win/Synch.h"

#include "platform/rtl/Types.h"
#include "platform/win/WinError.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <mutex>

namespace velvane {

namespace {

struct Handles {
    std::mutex mutex;
    std::map<std::uintptr_t, int> fds;  // -1 for a mutex without a name
    std::uintptr_t next = 0x1000;
};

Handles& Table()
{
    static auto* table = new Handles;  // never freed: closed at exit by the system
    return *table;
}

// The user's own folder for lock files; empty (errno set) when it cannot be
// made or belongs to someone else.
String LockFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    String folder = runtime && runtime[0] == '/' ? String(runtime) + "/velvane"
                                                 : "/tmp/velvane-" + std::to_string(::getuid());
    if (::mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return String();
    struct stat st {};
    if (::lstat(folder.c_str(), &st) != 0) return String();
    // Under /tmp another user could have made it first.
    if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid()) {
        errno = EACCES;
        return String();
    }
    return folder;
}

// A file name for any mutex name: plain characters stay, the rest are
// escaped, and long names end in a hash so that they fit.
String FileNameFor(const String& name)
{
    String out = "mutex-";
    for (unsigned char c : name) {
        if ((c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-' ||
            c == '.') {
            out.push_back(static_cast<char>(c));
        } else {
            char hex[4];
            std::snprintf(hex, sizeof hex, "%%%02X", c);
            out += hex;
        }
    }
    if (out.size() > 200) {
        std::uint64_t hash = 1469598103934665603ull;  // FNV-1a, the same in every process
        for (unsigned char c : name) hash = (hash ^ c) * 1099511628211ull;
        char tail[24];
        std::snprintf(tail, sizeof tail, "~%016llx", static_cast<unsigned long long>(hash));
        out = out.substr(0, 150) + tail;
    }
    return out;
}

HANDLE Register(int fd)
{
    Handles& table = Table();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t handle = table.next;
    table.next += 4;
    table.fds.emplace(handle, fd);
    return reinterpret_cast<HANDLE>(handle);
}

// Opens the lock file and takes a shared lock; sets *existed when another
// handle held it already.
int OpenNamed(const String& folder, const String& name, bool* existed)
{
    // Every "am I first?" test runs under the guard, so the step from the
    // exclusive test lock down to the shared one cannot race another test.
    const String guardPath = folder + "/.guard";
    const int guard = ::open(guardPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (guard < 0) return -1;
    while (::flock(guard, LOCK_EX) != 0) {
        if (errno != EINTR) {
            const int saved = errno;
            ::close(guard);
            errno = saved;
            return -1;
        }
    }
    const String path = folder + "/" + FileNameFor(name);
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    int saved = errno;
    if (fd >= 0) {
        *existed = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
        int rc;
        while ((rc = ::flock(fd, LOCK_SH)) != 0 && errno == EINTR) {
        }
        if (rc != 0) {
            saved = errno;
            ::close(fd);
            fd = -1;
        }
    }
    ::close(guard);  // also lets go of the guard lock
    errno = saved;
    return fd;
}

} // namespace

HANDLE CreateMutexA(SECURITY_ATTRIBUTES*, BOOL, LPCSTR name)
{
    if (!name) {
        SetLastError(ERROR_SUCCESS);
        return Register(-1);
    }
    const String folder = LockFolder();
    if (folder.empty()) {
        SetLastErrorFromErrno(errno);
        return nullptr;
    }
    bool existed = false;
    const int fd = OpenNamed(folder, name, &existed);
    if (fd < 0) {
        SetLastErrorFromErrno(errno);
        return nullptr;
    }
    HANDLE handle = Register(fd);
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

BOOL CloseHandle(HANDLE handle)
{
    int fd;
    {
        Handles& table = Table();
        std::lock_guard lock(table.mutex);
        auto it = table.fds.find(reinterpret_cast<std::uintptr_t>(handle));
        if (it == table.fds.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        fd = it->second;
        table.fds.erase(it);
    }
    if (fd >= 0) ::close(fd);
    return TRUE;
}

} // namespace velvane
