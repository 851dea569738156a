#include "platform/graphics/Graphics.h"

#include "platform/graphics/SysColors.h"
#include "platform/rtl/FileUtils.h"
#include "platform/rtl/Streams.h"

namespace velvane {

QRgb ColorToQRgb(TColor color)
{
    color = ColorToRGB(color);
    return qRgb(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF);
}

TColor QRgbToColor(QRgb rgb)
{
    return TColor(qRed(rgb)) | (TColor(qGreen(rgb)) << 8) | (TColor(qBlue(rgb)) << 16);
}

void TGraphic::LoadFromFile(const String& path)
{
    LoadFromBytes(ReadFileBytes(path));
}

void TGraphic::SaveToFile(const String& path) const
{
    // Written beside it and renamed over it, so an encoding error leaves it alone.
    AtomicWriteFile(path, [this](const TByteSink& write) { WriteBytes(write); });
}

void TGraphic::LoadFromStream(TStream& stream)
{
    const std::int64_t left = stream.Size() - stream.Position();
    String bytes(static_cast<std::size_t>(left > 0 ? left : 0), '\0');
    stream.ReadBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
    LoadFromBytes(bytes);
}

void TGraphic::SaveToStream(TStream& stream) const
{
    const String bytes = SaveToBytes();
    stream.WriteBuffer(bytes.data(), static_cast<std::int64_t>(bytes.size()));
}

} // namespace velvane
