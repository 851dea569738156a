// Fetching a picture for the wallpaper steps, apart from them so that a
// program that only converts local pictures does not link the HTTP client.

#include "settings/PictureToWallpaper.h"

#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/win/WinError.h"

#include <unistd.h>

#include <cerrno>
#include <cstdlib>

namespace velvane {

String DownloadToTempFile(TIdHTTP& http, const String& url, TMemoryStream& stream)
{
    stream.Clear();
    if (!http.Connected()) http.Connect();
    http.Get(url, stream);
    stream.SetPosition(0);

    String path = GetAppFilePath() + "temp-XXXXXX.jpg";
    int fd = ::mkstemps(path.data(), 4);
    if (fd < 0) {
        int err = errno;
        SetLastErrorFromErrno(err);
        throw EFCreateError("Cannot create file \"" + path + "\". " + SysErrorMessage(GetLastError()));
    }
    ::close(fd);
    TTempFile guard(path);
    AtomicWriteFile(path, std::string_view(reinterpret_cast<const char*>(stream.Memory()),
                                           static_cast<size_t>(stream.Size())));
    return guard.Release();  // the caller owns the file from here
}

} // namespace velvane
