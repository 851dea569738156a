#include "platform/rtl/TempFiles.h"

#include "platform/rtl/AppPaths.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/PosixIo.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <string_view>

namespace velvane {

namespace {

using SystemTime = std::chrono::system_clock::time_point;

constexpr std::string_view kDownloadPrefix = "temp-";
constexpr std::string_view kDownloadSuffix = ".jpg";
constexpr std::size_t kUniqueLength = 6;  // what mkstemp puts in for the Xs

// Reads this early so that, without /proc, the start is still close.
const SystemTime loadedAt = std::chrono::system_clock::now();

bool IsUnique(std::string_view part)
{
    if (part.size() != kUniqueLength) return false;
    for (char c : part)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9'))) return false;
    return true;
}

// ".<target>.XXXXXX"; any target when target is empty.
bool IsSaveTemp(std::string_view name, std::string_view target)
{
    if (name.size() < 1 + 1 + 1 + kUniqueLength || name.front() != '.') return false;
    const std::size_t dot = name.size() - kUniqueLength - 1;
    if (name[dot] != '.' || !IsUnique(name.substr(dot + 1))) return false;
    const std::string_view middle = name.substr(1, dot - 1);
    return target.empty() ? !middle.empty() : middle == target;
}

bool IsDownloadTemp(std::string_view name)
{
    return name.size() == kDownloadPrefix.size() + kUniqueLength + kDownloadSuffix.size() &&
           name.starts_with(kDownloadPrefix) && name.ends_with(kDownloadSuffix) &&
           IsUnique(name.substr(kDownloadPrefix.size(), kUniqueLength));
}

SystemTime ModifiedAt(const struct stat& st)
{
    return SystemTime(std::chrono::duration_cast<SystemTime::duration>(
        std::chrono::seconds(st.st_mtim.tv_sec) + std::chrono::nanoseconds(st.st_mtim.tv_nsec)));
}

template <typename Matches>
int RemoveMatching(const String& folder, SystemTime olderThan, Matches matches)
{
    const String dir = folder.empty() ? String("./") : IncludeTrailingPathDelimiter(folder);
    DIR* listing = ::opendir(dir.c_str());
    if (!listing) return 0;
    int removed = 0;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view name = entry->d_name;
        if (!matches(name)) continue;
        const String path = dir + String(name);
        struct stat st;
        // Not through a link, only our own files, only those from before.
        if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode) || st.st_uid != ::getuid()) continue;
        if (ModifiedAt(st) >= olderThan) continue;
        if (::unlink(path.c_str()) == 0) ++removed;
    }
    ::closedir(listing);
    return removed;
}

} // namespace

String SaveTempPattern(const String& target)
{
    return ExtractFilePath(target) + "." + ExtractFileName(target) + "." + String(kUniqueLength, 'X');
}

String CreateDownloadTempFile(const String& folder)
{
    String path = IncludeTrailingPathDelimiter(folder) + String(kDownloadPrefix) + String(kUniqueLength, 'X') +
                  String(kDownloadSuffix);
    const int fd = ::mkostemps(path.data(), static_cast<int>(kDownloadSuffix.size()), O_CLOEXEC);
    if (fd < 0) throw EFCreateError(posix::CannotCreate(path, errno));
    posix::Close(fd);
    return path;
}

SystemTime ProcessStartTime()
{
    // Field 22 of /proc/self/stat: clock ticks from boot to the start; the
    // name before it is in parentheses and may hold anything.
    unsigned long long ticks = 0;
    bool found = false;
    if (FILE* f = std::fopen("/proc/self/stat", "re")) {
        char line[1024];
        if (std::fgets(line, sizeof line, f)) {
            std::string_view text = line;
            const auto close = text.rfind(')');
            if (close != std::string_view::npos)
                found = std::sscanf(line + close + 1,
                                    " %*c %*d %*d %*d %*d %*d %*u %*u %*u %*u %*u %*u %*u %*d %*d %*d %*d %*d %*d %llu",
                                    &ticks) == 1;
        }
        std::fclose(f);
    }
    timespec sinceBoot{};
    const long perSecond = ::sysconf(_SC_CLK_TCK);
    if (!found || perSecond <= 0 || ::clock_gettime(CLOCK_BOOTTIME, &sinceBoot) != 0) return loadedAt;
    const auto uptime = std::chrono::seconds(sinceBoot.tv_sec) + std::chrono::nanoseconds(sinceBoot.tv_nsec);
    const auto startedAfterBoot = std::chrono::milliseconds(ticks * 1000 / static_cast<unsigned long long>(perSecond));
    const SystemTime start =
        std::chrono::system_clock::now() - std::chrono::duration_cast<SystemTime::duration>(uptime - startedAfterBoot);
    // Ticks are coarse: never later than anything this process has done.
    return start < loadedAt ? start : loadedAt;
}

int RemoveStaleTempFiles(const String& folder, SystemTime olderThan)
{
    return RemoveMatching(folder, olderThan,
                          [](std::string_view name) { return IsSaveTemp(name, {}) || IsDownloadTemp(name); });
}

int RemoveStaleTempFilesOf(const String& file, SystemTime olderThan)
{
    const String name = ExtractFileName(file);
    if (name.empty()) return 0;
    return RemoveMatching(ExtractFilePath(file), olderThan,
                          [&name](std::string_view entry) { return IsSaveTemp(entry, name); });
}

void RemoveStaleTempFilesAtStart(const String& document)
{
    const SystemTime start = ProcessStartTime();
    RemoveStaleTempFiles(GetAppFilePath(), start);
    if (!document.empty()) RemoveStaleTempFilesOf(document, start);
}

} // namespace velvane
