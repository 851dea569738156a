#include "platform/desktop/WallpaperCopies.h"

#include "platform/rtl/LastError.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace velvane {

namespace {

struct CopyName {
    String prefix, ext;  // ".<stem>-" and the picture's extension

    explicit CopyName(const fs::path& picture)
        : prefix("." + picture.stem().string() + "-"), ext(picture.extension().string()) {}

    // The copy's number, or -1 when the file name is not one of our copies.
    long long Number(const String& fileName) const
    {
        if (fileName.size() <= prefix.size() + ext.size() || !fileName.starts_with(prefix) || !fileName.ends_with(ext))
            return -1;
        const String digits = fileName.substr(prefix.size(), fileName.size() - prefix.size() - ext.size());
        if (digits.size() > 18 || digits.find_first_not_of("0123456789") != String::npos) return -1;
        return std::stoll(digits);
    }
};

} // namespace

String MakeWallpaperCopy(const String& picturePath)
{
    const fs::path picture(picturePath);
    const CopyName name(picture);
    // Of the copies made before, the newest is the one the desktop shows;
    // older ones are left by changes that never finished (the program was
    // killed), and would pile up a whole picture each.
    std::error_code ec;
    std::vector<std::pair<long long, fs::path>> copies;
    for (const auto& entry : fs::directory_iterator(picture.parent_path(), ec))
        if (const long long number = name.Number(entry.path().filename().string()); number >= 0)
            copies.emplace_back(number, entry.path());
    std::sort(copies.begin(), copies.end());
    const long long newest = copies.empty() ? -1 : copies.back().first;
    for (std::size_t i = 0; i + 1 < copies.size(); ++i) {
        std::error_code ignored;  // one that will not go is left for next time
        fs::remove(copies[i].second, ignored);
    }

    // The time keeps names fresh even after every copy is gone; the newest
    // number keeps them rising when the clock does not.
    const long long now = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::chrono::system_clock::now().time_since_epoch())
                              .count();
    const fs::path copy = picture.parent_path() / (name.prefix + std::to_string(std::max(now, newest + 1)) + name.ext);
    if (!fs::copy_file(picture, copy, fs::copy_options::overwrite_existing, ec)) {
        SetLastErrorFromErrno(ec.value());
        return {};
    }
    return copy.string();
}

void RemoveOtherWallpaperCopies(const String& picturePath, const String& keep)
{
    const fs::path picture(picturePath);
    const CopyName name(picture);
    const fs::path kept(keep);
    std::error_code ec;
    for (const auto& entry : fs::directory_iterator(picture.parent_path(), ec)) {
        if (name.Number(entry.path().filename().string()) < 0 || entry.path() == kept) continue;
        std::error_code ignored;  // one that will not go is left for next time
        fs::remove(entry.path(), ignored);
    }
}

} // namespace velvane
