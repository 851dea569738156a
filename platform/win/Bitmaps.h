#pragma once
// Bitmap handles for the system's own bitmaps (LoadBitmapA with a null
// instance). The one the programs ask for is the check-box strip
// OBM_CHECKBOXES, drawn for this system (resources/platform/CheckBoxes.xpm).

#include "platform/win/Modules.h"
#include "platform/win/WinError.h"
#include "platform/win/WinTypes.h"

#include <cstdint>

namespace velvane {

class TBitmap;

struct HBITMAP__;
using HBITMAP = HBITMAP__*;
using HGDIOBJ = void*;


// The system bitmap of 4 x 3 check-box pictures.
constexpr int OBM_CHECKBOXES = 32759;

// A resource number passed where a name is expected.
inline LPCSTR MAKEINTRESOURCEA(int id)
{
    return reinterpret_cast<LPCSTR>(static_cast<std::uintptr_t>(static_cast<std::uint16_t>(id)));
}

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    void* bmBits;
};

// A new handle to a system bitmap (instance null, name a MAKEINTRESOURCEA
// number); null with ERROR_RESOURCE_NAME_NOT_FOUND for anything else.
HBITMAP LoadBitmapA(HMODULE instance, LPCSTR name);
// For a bitmap handle fills a BITMAP (32 bits per pixel, no bits pointer)
// and returns its size; 0 for anything else.
int GetObjectA(HGDIOBJ object, int size, void* buffer);
// Bitmaps from LoadBitmapA and regions (platform/graphics/Region.h).
BOOL DeleteObject(HGDIOBJ object);
// The picture behind a bitmap handle (owned by the handle), or null.
TBitmap* BitmapOfHandle(HBITMAP bitmap);

} // namespace velvane
