#pragma once
// The messages controls tell themselves of (mouse enter and leave, enabled
// and font changes, a new colour scheme, owner drawing), numbered as the
// class library numbers them, and the record of an owner-draw request.

#include "platform/graphics/Graphics.h"
#include "platform/win/Windows.h"

namespace velvane {

constexpr UINT CM_BASE = 0xB000;
constexpr UINT CM_ENABLEDCHANGED = CM_BASE + 3;
constexpr UINT CM_FONTCHANGED = CM_BASE + 7;
constexpr UINT CM_MOUSEENTER = CM_BASE + 19;
constexpr UINT CM_MOUSELEAVE = CM_BASE + 20;
// The system colours changed: whatever was made from them is stale.
constexpr UINT CM_SYSCOLORCHANGE = CM_BASE + 36;

// A control's own notifications, reflected to it by its parent.
constexpr UINT WM_DRAWITEM = 0x002B;
constexpr UINT WM_MEASUREITEM = 0x002C;
constexpr UINT CN_BASE = 0xBC00;
constexpr UINT CN_DRAWITEM = CN_BASE + WM_DRAWITEM;
constexpr UINT CN_MEASUREITEM = CN_BASE + WM_MEASUREITEM;

// TDrawItemStruct::itemState bits.
constexpr UINT ODS_SELECTED = 0x0001;  // pressed
constexpr UINT ODS_DISABLED = 0x0004;
constexpr UINT ODS_FOCUS = 0x0010;

// CN_DRAWITEM's LParam: draw the control's face on Canvas, within rcItem.
struct TDrawItemStruct {
    UINT itemState = 0;
    TCanvas* Canvas = nullptr;
    TRect rcItem;
    HWND hwndItem = nullptr;
};

} // namespace velvane
