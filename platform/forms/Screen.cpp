#include "platform/forms/Screen.h"

namespace velvane {

TScreen& Screen()
{
    // Never freed: forms may go after other statics at exit.
    static auto* screen = new TScreen;
    return *screen;
}

} // namespace velvane
