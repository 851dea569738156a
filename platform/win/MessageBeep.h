#pragma once
// MessageBeep: the warning sound of a rejected key or action. Tests replace
// the sound with a hook that counts the beeps.

#include "platform/win/WinTypes.h"

#include <functional>

namespace velvane {

constexpr UINT MB_OK = 0x00;
constexpr UINT MB_ICONHAND = 0x10;
constexpr UINT MB_ICONQUESTION = 0x20;
constexpr UINT MB_ICONEXCLAMATION = 0x30;
constexpr UINT MB_ICONASTERISK = 0x40;

// Always TRUE: a desktop without sound stays silent.
BOOL MessageBeep(UINT type);

// Replaces the sound; an empty hook returns to the real one.
void SetMessageBeepHook(std::function<void(UINT type)> hook);

} // namespace velvane
