#pragma once
// Mouse event types of the class library: which button, the key and button
// state that came with the action, and the handlers that take them.

#include "platform/classes/Component.h"

#include <functional>

namespace velvane {

enum class TMouseButton { mbLeft, mbRight, mbMiddle };

using TShiftState = unsigned;
constexpr TShiftState ssShift = 1, ssAlt = 2, ssCtrl = 4, ssLeft = 8, ssRight = 16, ssMiddle = 32, ssDouble = 64;

using TMouseEvent = std::function<void(TPersistent* sender, TMouseButton button, TShiftState shift, int x, int y)>;
using TMouseMoveEvent = std::function<void(TPersistent* sender, TShiftState shift, int x, int y)>;

} // namespace velvane
