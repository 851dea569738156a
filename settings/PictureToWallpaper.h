#pragma once
// The steps both programs take to turn a picture into the desktop wallpaper:
// tell the picture's kind, fetch it when it is on the web, decode it into a
// bitmap, save the bitmap as the wallpaper file and hand that to the desktop.

#include "platform/rtl/Types.h"

#include <QImage>

#include <utility>

namespace velvane {

class TBitmap;
class TIdHTTP;
class TMemoryStream;

enum class TPictureKind { pkNone, pkJpeg, pkBmp };

// Told by the text without regard to case: JPEG when it names ".jpg" or
// ".jpeg" anywhere, else BMP when it names ".bmp", else none.
TPictureKind PictureKindOf(const String& entry);
// "http://", "https://" or "www." anywhere in the text, without regard to case.
bool IsWebAddress(const String& entry);
// A "file://" address names a local file: its path (percent escapes
// decoded, byte for byte). Anything else comes back as it is.
String LocalPathOf(const String& entry);
// The address to fetch: the text as written, with "http://" put in front
// when it has no scheme.
String WebAddress(const String& entry);

// Fetches the address into stream and then into a new, uniquely named file
// in the program folder; returns that file's path (the caller removes it).
// A transfer that fails raises what the client raises (EIdException and its
// kin); a file that cannot be made or written raises EFCreateError or
// EWriteError. No file is left behind either way.
String DownloadToTempFile(TIdHTTP& http, const String& url, TMemoryStream& stream);

// Fetches a JPEG picture into stream and, only when the whole reply decodes,
// replaces file with it (a temporary name, then a rename): an error page or
// a cut reply never takes the place of the picture there is. Returns the
// picture. Raises what the transfer raises, the decoder's error for a reply
// that is no JPEG, and the file's errors.
QImage DownloadPictureFile(TIdHTTP& http, const String& url, const String& file, TMemoryStream& stream);

// Decodes the picture file into bitmap by its kind, into the bitmap's own
// memory while the size stays (so the work bitmap keeps its memory from one
// change to the next). Raises EFOpenError when the file cannot be opened and
// EInvalidGraphic when it is not a picture of that kind; bitmap is untouched
// then, unless the file was damaged past its header.
void LoadPicture(TPictureKind kind, const String& path, TBitmap& bitmap);

// Saves the bitmap as the wallpaper file (whole, or not at all) and hands
// the file to the desktop; one that shows pixels (the X root window) is
// given the bitmap's own instead of reading the file back. Raises EOSError
// with the system's words when the desktop refuses it.
void ApplyWallpaper(TBitmap& bitmap, const String& wallpaperFile);
// Hands an existing wallpaper file to the desktop, as above.
void HandToDesktop(const String& wallpaperFile);

// Removes a file when it goes out of scope.
class TTempFile {
public:
    explicit TTempFile(String path = {}) : path_(std::move(path)) {}
    ~TTempFile();
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    const String& Path() const { return path_; }
    // Keeps the file: returns its path and forgets it.
    String Release() { return std::exchange(path_, String()); }

private:
    String path_;
};

} // namespace velvane
