#include "platform/graphics/Region.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace velvane {

struct HRGN__ {
    TRect rect;
};

namespace {

// The live regions, so that a stale or foreign handle is refused.
struct Regions {
    std::mutex mutex;
    std::unordered_map<const void*, std::unique_ptr<HRGN__>> live;
};

Regions& Live()
{
    static auto* regions = new Regions;  // never freed: handles may be deleted late at exit
    return *regions;
}

bool Find(HRGN region, TRect& rect)
{
    Regions& regions = Live();
    std::lock_guard lock(regions.mutex);
    auto it = regions.live.find(region);
    if (it == regions.live.end()) return false;
    rect = it->second->rect;
    return true;
}

} // namespace

HRGN CreateRectRgn(int left, int top, int right, int bottom)
{
    auto region = std::make_unique<HRGN__>();
    region->rect = TRect{std::min(left, right), std::min(top, bottom), std::max(left, right), std::max(top, bottom)};
    HRGN handle = region.get();
    Regions& regions = Live();
    std::lock_guard lock(regions.mutex);
    regions.live.emplace(handle, std::move(region));
    return handle;
}

HRGN CreateRectRgnIndirect(const TRect& rect)
{
    return CreateRectRgn(rect.Left, rect.Top, rect.Right, rect.Bottom);
}

int SelectClipRgn(HDC dc, HRGN region)
{
    TCanvas* canvas = TCanvas::FromHandle(dc);
    if (!canvas) return RGN_ERROR;
    if (!region) {
        canvas->State.Clipped = false;
        return SIMPLEREGION;
    }
    TRect rect;
    if (!Find(region, rect)) return RGN_ERROR;
    canvas->State.Clipped = true;
    canvas->State.Clip = rect;
    return rect.IsEmpty() ? NULLREGION : SIMPLEREGION;
}

bool DeleteRegion(void* object)
{
    Regions& regions = Live();
    std::lock_guard lock(regions.mutex);
    return regions.live.erase(object) > 0;
}

} // namespace velvane
