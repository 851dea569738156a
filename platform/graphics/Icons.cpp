#include "platform/graphics/Icons.h"

#include <map>
#include <mutex>

namespace velvane {

namespace {

struct IconTable {
    std::mutex mutex;
    std::map<HICON, QImage> icons;
    // Handles count up and are never given twice.
    HICON last = 0x3000;
};

IconTable& Icons()
{
    static auto* table = new IconTable;  // never freed: icons may be destroyed late at exit
    return *table;
}

HICON Register(QImage image)
{
    IconTable& table = Icons();
    std::lock_guard lock(table.mutex);
    table.last += 4;
    table.icons.emplace(table.last, std::move(image));
    return table.last;
}

} // namespace

HICON CreateIconIndirect(const ICONINFO& info)
{
    if (!info.hbmMask || !info.hbmColor) return 0;
    const QImage& color = info.hbmColor->Image();
    const QImage& mask = info.hbmMask->Image();
    if (color.isNull() || color.size() != mask.size()) return 0;
    QImage picture(color.size(), QImage::Format_ARGB32);
    for (int y = 0; y < color.height(); ++y) {
        const auto* c = reinterpret_cast<const QRgb*>(color.constScanLine(y));
        const auto* m = reinterpret_cast<const QRgb*>(mask.constScanLine(y));
        auto* out = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < color.width(); ++x) out[x] = (m[x] & 0xFFFFFFu) == 0 ? (c[x] | 0xFF000000u) : 0u;
    }
    return Register(std::move(picture));
}

bool DestroyIcon(HICON icon)
{
    IconTable& table = Icons();
    std::lock_guard lock(table.mutex);
    return table.icons.erase(icon) == 1;
}

QImage IconImage(HICON icon)
{
    IconTable& table = Icons();
    std::lock_guard lock(table.mutex);
    auto it = table.icons.find(icon);
    return it == table.icons.end() ? QImage() : it->second;
}

TIcon::~TIcon() { ReleaseHandle(); }

void TIcon::SetImage(const QImage& image)
{
    ReleaseHandle();
    image_ = image.isNull() ? QImage() : image.convertToFormat(QImage::Format_ARGB32);
    if (OnChange) OnChange(this);
}

HICON TIcon::Handle() const
{
    if (!handle_ && !image_.isNull()) handle_ = Register(image_);
    return handle_;
}

void TIcon::ReleaseHandle() const
{
    if (handle_) DestroyIcon(handle_);
    handle_ = 0;
}

} // namespace velvane
