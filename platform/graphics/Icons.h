#pragma once
// Icons: CreateIconIndirect and DestroyIcon over a table of pictures, and
// TIcon, a picture with an icon handle. An icon's picture is ARGB: where the
// mask is black the colour bitmap shows, where it is white the icon is
// transparent.

#include "platform/graphics/Graphics.h"

#include <QImage>

#include <cstdint>
#include <functional>

namespace velvane {

// 32 bits on purpose: the notification-area record carries an icon handle
// in four bytes. 0 is no icon.
using HICON = std::uint32_t;

// The description CreateIconIndirect takes; the bitmaps are the caller's.
struct ICONINFO {
    bool fIcon = true;
    int xHotspot = 0;
    int yHotspot = 0;
    const TBitmap* hbmMask = nullptr;   // black opaque, white transparent
    const TBitmap* hbmColor = nullptr;  // same size as the mask
};

// A new icon, or 0 when either bitmap is missing or empty or their sizes
// differ.
HICON CreateIconIndirect(const ICONINFO& info);
// False for a handle that is not (or no longer) an icon.
bool DestroyIcon(HICON icon);
// The icon's picture; a null image for a handle that is not an icon.
QImage IconImage(HICON icon);

class TIcon {
public:
    TIcon() = default;
    ~TIcon();
    TIcon(const TIcon&) = delete;
    TIcon& operator=(const TIcon&) = delete;

    bool Empty() const { return image_.isNull(); }
    int Width() const { return image_.width(); }
    int Height() const { return image_.height(); }
    const QImage& Image() const { return image_; }
    // Takes the picture (kept as ARGB) and tells OnChange.
    void SetImage(const QImage& image);
    void Assign(const TIcon& source) { SetImage(source.image_); }
    // The handle of the picture, made on first use and owned by the icon;
    // 0 while empty.
    HICON Handle() const;

    std::function<void(TIcon* sender)> OnChange;

private:
    void ReleaseHandle() const;

    QImage image_;
    mutable HICON handle_ = 0;
};

} // namespace velvane
