#include "settings/PictureToWallpaper.h"

#include "platform/rtl/AsciiText.h"

#include "platform/desktop/WallpaperPicture.h"
#include "platform/graphics/Graphics.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/WinError.h"
#include "platform/win/WinUser.h"

#include <QByteArray>

#include <unistd.h>

namespace velvane {

namespace {

bool Names(const String& lower, const char* what) { return lower.find(what) != String::npos; }

} // namespace

TPictureKind PictureKindOf(const String& entry)
{
    String lower = AsciiLowerCase(entry);
    if (Names(lower, ".jpg") || Names(lower, ".jpeg")) return TPictureKind::pkJpeg;
    if (Names(lower, ".bmp")) return TPictureKind::pkBmp;
    return TPictureKind::pkNone;
}

bool IsWebAddress(const String& entry)
{
    String lower = AsciiLowerCase(entry);
    return Names(lower, "http://") || Names(lower, "https://") || Names(lower, "www.");
}

String LocalPathOf(const String& entry)
{
    if (!StartsWithAscii(entry, "file://")) return entry;
    const std::string_view rest = std::string_view(entry).substr(7);
    const size_t slash = rest.find('/');
    if (slash == std::string_view::npos) return entry;
    // Another machine's file is none of ours.
    const std::string_view host = rest.substr(0, slash);
    if (!host.empty() && !SameTextAscii(host, "localhost")) return entry;
    std::string_view path = rest.substr(slash);
    path = path.substr(0, path.find_first_of("?#"));
    const QByteArray decoded = QByteArray::fromPercentEncoding(QByteArray(path.data(), static_cast<qsizetype>(path.size())));
    return String(decoded.constData(), static_cast<size_t>(decoded.size()));
}

String WebAddress(const String& entry)
{
    String lower = AsciiLowerCase(entry);
    if (Names(lower, "http://") || Names(lower, "https://")) return entry;
    return "http://" + entry;
}

TTempFile::~TTempFile()
{
    if (!path_.empty()) ::unlink(path_.c_str());
}

void LoadPicture(TPictureKind kind, const String& path, TBitmap& bitmap)
{
    if (kind == TPictureKind::pkNone)
        throw EInvalidGraphic(ErrorText(TErrorText::UnknownPictureExtension, {ExtractFileExt(path)}));
    const String bytes = ReadFileBytes(path);
    if (kind == TPictureKind::pkJpeg)
        bitmap.DecodeJpegInPlace(bytes);
    else
        bitmap.DecodeBmpInPlace(bytes);
}

void HandToDesktop(const String& wallpaperFile)
{
    if (!SystemParametersInfoA(SPI_SETDESKWALLPAPER, 0, const_cast<char*>(wallpaperFile.c_str()),
                               SPIF_SENDWININICHANGE))
        throw EOSError(SysErrorMessage(GetLastError()));
}

void ApplyWallpaper(TBitmap& bitmap, const String& wallpaperFile)
{
    bitmap.SaveToFile(wallpaperFile);
    // A desktop that takes pixels takes these rather than reading the file back.
    const WallpaperPictureOffer held(wallpaperFile, bitmap.Image());
    HandToDesktop(wallpaperFile);
}

} // namespace velvane
