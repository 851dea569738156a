#include "platform/desktop/WallpaperPicture.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/LastError.h"

#include <sys/stat.h>

#include <climits>
#include <filesystem>
#include <mutex>
#include <optional>

namespace velvane {

namespace {

// What tells one version of a file from another: a replaced file has a new
// inode, one rewritten in place a new size or change time.
struct FileVersion {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    timespec changed{};
    timespec modified{};

    static std::optional<FileVersion> Of(const String& path)
    {
        struct stat st;
        if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return std::nullopt;
        return FileVersion{st.st_dev, st.st_ino, st.st_size, st.st_ctim, st.st_mtim};
    }
    bool operator==(const FileVersion& o) const
    {
        return device == o.device && inode == o.inode && size == o.size && changed.tv_sec == o.changed.tv_sec &&
               changed.tv_nsec == o.changed.tv_nsec && modified.tv_sec == o.modified.tv_sec &&
               modified.tv_nsec == o.modified.tv_nsec;
    }
};

struct Offer {
    std::uint64_t serial = 0;
    String path;
    FileVersion version;
    QImage picture;
};

std::mutex offerMutex;
std::optional<Offer> current;
std::uint64_t lastSerial = 0;

String Normal(const String& path)
{
    std::error_code ec;
    return std::filesystem::absolute(path, ec).lexically_normal().string();
}

QImage Offered(const String& path)
{
    std::lock_guard lock(offerMutex);
    if (!current || current->path != Normal(path)) return {};
    const auto version = FileVersion::Of(current->path);
    return version && *version == current->version ? current->picture : QImage();
}

} // namespace

WallpaperPictureOffer::WallpaperPictureOffer(const String& path, const QImage& picture)
{
    const String normal = Normal(path);
    const auto version = FileVersion::Of(normal);
    std::lock_guard lock(offerMutex);
    serial_ = ++lastSerial;
    if (version && !picture.isNull())
        current = Offer{serial_, normal, *version, picture};
    else
        current.reset();
}

WallpaperPictureOffer::~WallpaperPictureOffer()
{
    // The picture is the caller's again: holding on to it would make its
    // next change copy it.
    std::lock_guard lock(offerMutex);
    if (current && current->serial == serial_) current.reset();
}

QImage ReadWallpaperPicture(const String& path)
{
    if (QImage offered = Offered(path); !offered.isNull()) return offered;
    String bytes;
    try {
        bytes = ReadFileBytes(path);
    } catch (const Exception&) {
        SetLastError(FileExists(path) ? ERROR_INVALID_DATA : ERROR_FILE_NOT_FOUND);
        return {};
    }
    QImage picture;
    if (bytes.starts_with("BM")) {
        try {
            picture = DecodeBmp(bytes);
        } catch (const Exception&) {
        }
    } else if (bytes.size() <= std::size_t{INT_MAX}) {
        picture = QImage::fromData(reinterpret_cast<const uchar*>(bytes.data()), static_cast<int>(bytes.size()));
    }
    if (picture.isNull()) SetLastError(ERROR_INVALID_DATA);
    return picture;
}

} // namespace velvane
