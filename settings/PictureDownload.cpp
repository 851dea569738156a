// Fetching a picture for the wallpaper steps, apart from them so that a
// program that only converts local pictures does not link the HTTP client.

#include "settings/PictureToWallpaper.h"

#include "platform/graphics/JpegCodec.h"
#include "platform/net/HTTPClient.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"
#include "platform/rtl/TempFiles.h"
#include "settings/TransferLimits.h"

namespace velvane {

String DownloadToTempFile(TIdHTTP& http, const String& url, TMemoryStream& stream)
{
    // The file is made first: a folder that cannot take it fails before
    // anything is fetched, as the file error it is.
    TTempFile guard(CreateDownloadTempFile(GetAppFilePath()));
    const String& path = guard.Path();

    stream.Clear();
    if (!http.Connected()) http.Connect();
    {
        TTransferBound bound(http, TransferLimits.PictureTime);
        http.Get(url, stream);
    }
    stream.SetPosition(0);
    AtomicWriteFile(path, std::string_view(reinterpret_cast<const char*>(stream.Memory()),
                                           static_cast<size_t>(stream.Size())));
    return guard.Release();  // the caller owns the file from here
}

QImage DownloadPictureFile(TIdHTTP& http, const String& url, const String& file, TMemoryStream& stream)
{
    stream.Clear();
    if (!http.Connected()) http.Connect();
    {
        TTransferBound bound(http, TransferLimits.PictureTime);
        http.Get(url, stream);
    }
    const std::string_view bytes(reinterpret_cast<const char*>(stream.Memory()), static_cast<size_t>(stream.Size()));
    QImage picture = DecodeJpeg(bytes);
    AtomicWriteFile(file, bytes);
    return picture;
}

} // namespace velvane
