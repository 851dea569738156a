#include "platform/win/Bitmaps.h"

#include "platform/graphics/Graphics.h"
#include "platform/graphics/Region.h"
#include "platform/win/WinError.h"

#include <map>
#include <memory>
#include <mutex>

namespace velvane {

namespace {

#include "resources/platform/CheckBoxes.xpm"

struct Objects {
    std::mutex mutex;
    std::map<std::uintptr_t, std::unique_ptr<TBitmap>> bitmaps;
    std::uintptr_t next = 0x2000;
};

Objects& Table()
{
    static auto* table = new Objects;  // never freed: handles may be released late at exit
    return *table;
}

std::unique_ptr<TBitmap> SystemBitmap(int id)
{
    if (id != OBM_CHECKBOXES) return nullptr;
    QImage strip(CheckBoxes_xpm);
    if (strip.isNull()) return nullptr;
    auto bitmap = std::make_unique<TBitmap>();
    bitmap->Image() = strip.convertToFormat(QImage::Format_RGB32);
    return bitmap;
}

} // namespace

HBITMAP LoadBitmapA(HMODULE instance, LPCSTR name)
{
    const auto number = reinterpret_cast<std::uintptr_t>(name);
    // Only numbers (below 64 K) name system bitmaps.
    std::unique_ptr<TBitmap> bitmap =
        !instance && number != 0 && number < 0x10000 ? SystemBitmap(static_cast<int>(number)) : nullptr;
    if (!bitmap) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return nullptr;
    }
    Objects& table = Table();
    std::lock_guard lock(table.mutex);
    const std::uintptr_t handle = table.next;
    table.next += 4;
    table.bitmaps.emplace(handle, std::move(bitmap));
    return reinterpret_cast<HBITMAP>(handle);
}

TBitmap* BitmapOfHandle(HBITMAP bitmap)
{
    Objects& table = Table();
    std::lock_guard lock(table.mutex);
    auto it = table.bitmaps.find(reinterpret_cast<std::uintptr_t>(bitmap));
    return it == table.bitmaps.end() ? nullptr : it->second.get();
}

int GetObjectA(HGDIOBJ object, int size, void* buffer)
{
    const TBitmap* bitmap = BitmapOfHandle(static_cast<HBITMAP>(object));
    if (!bitmap || !buffer || size < static_cast<int>(sizeof(BITMAP))) return 0;
    BITMAP info{};
    info.bmWidth = bitmap->Width();
    info.bmHeight = bitmap->Height();
    info.bmWidthBytes = bitmap->Width() * 4;
    info.bmPlanes = 1;
    info.bmBitsPixel = 32;
    *static_cast<BITMAP*>(buffer) = info;
    return static_cast<int>(sizeof(BITMAP));
}

BOOL DeleteObject(HGDIOBJ object)
{
    if (DeleteRegion(object)) return TRUE;
    Objects& table = Table();
    std::lock_guard lock(table.mutex);
    return table.bitmaps.erase(reinterpret_cast<std::uintptr_t>(object)) > 0 ? TRUE : FALSE;
}

} // namespace velvane
