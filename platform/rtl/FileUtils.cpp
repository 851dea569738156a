#include "platform/rtl/FileUtils.h"

#include "platform/rtl/Exceptions.h"
#include "platform/rtl/PosixIo.h"
#include "platform/rtl/TempFiles.h"

#include <cerrno>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>
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

// A hidden second name for the file (prefix + six random characters, as our
// temporary files are named), or empty when it cannot have one.
String SecondName(const String& path, const String& prefix)
{
    String name = prefix + ".XXXXXX";
    const int fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (fd < 0) return {};
    posix::Close(fd);
    // The name is ours now; the file made to hold it gives way to the link.
    if (::unlink(name.c_str()) != 0 || ::link(path.c_str(), name.c_str()) != 0) return {};
    return name;
}

// Removes files on a thread of its own, which sleeps while there is nothing
// to remove. What is still waiting when the program ends is removed then.
class LateRemover {
public:
    void Remove(String path)
    {
        std::unique_lock lock(mutex_);
        if (!worker_.joinable()) {
            try {
                worker_ = std::thread([this] { Run(); });
                std::atexit([] { Instance().Drain(); });
            } catch (const std::system_error&) {
                lock.unlock();
                ::unlink(path.c_str());
                return;
            }
        }
        waiting_.push_back(std::move(path));
        changed_.notify_all();
    }
    static LateRemover& Instance()
    {
        // Never destroyed: the worker may outlive static destruction.
        static auto* remover = new LateRemover;
        return *remover;
    }

private:
    void Run()
    {
        std::unique_lock lock(mutex_);
        for (;;) {
            changed_.wait(lock, [this] { return !waiting_.empty(); });
            const String path = waiting_.front();
            ++busy_;
            waiting_.pop_front();
            lock.unlock();
            ::unlink(path.c_str());
            lock.lock();
            --busy_;
            changed_.notify_all();
        }
    }
    void Drain()
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [this] { return waiting_.empty() && busy_ == 0; });
    }

    std::mutex mutex_;
    std::condition_variable changed_;
    std::deque<String> waiting_;
    int busy_ = 0;
    std::thread worker_;
};

void RemoveLater(const String& path) { LateRemover::Instance().Remove(path); }

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
    const bool replacing = ::stat(path.c_str(), &old) == 0 && S_ISREG(old.st_mode);
    mode_t mode = replacing ? (old.st_mode & 07777) : (0644 & ~CurrentUmask());

    String temp = SaveTempPattern(path);
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
    // A large file starts on its way to the disk while the rest is made, so
    // the flush below has less left to wait for.
    constexpr off_t large = off_t{1} << 20;
    off_t written = 0, kicked = 0;
    try {
        produce([&](std::string_view piece) {
            const auto size = static_cast<std::int64_t>(piece.size());
            if (posix::WriteFully(fd, piece.data(), size) != size) fail(errno, false);
            written += static_cast<off_t>(size);
            if (written - kicked >= large) {
                ::sync_file_range(fd, kicked, written - kicked, SYNC_FILE_RANGE_WRITE);
                kicked = written;
            }
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
    // The file system frees the old file's blocks when its last name goes,
    // which for a large file takes milliseconds; a second name kept over the
    // rename lets that happen on another thread.
    const String pushedOut = replacing && old.st_size >= large ? SecondName(path, folder + "." + name) : String();
    if (::rename(temp.c_str(), path.c_str()) != 0) {
        if (!pushedOut.empty()) ::unlink(pushedOut.c_str());
        fail(errno, true);
    }
    SyncFolder(folder);
    if (!pushedOut.empty()) RemoveLater(pushedOut);
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
