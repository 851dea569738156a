// The program's place on the desktop's task bar, as the window manager keeps
// it: _NET_WM_STATE_SKIP_TASKBAR, written straight on a window not yet
// mapped, asked of the manager for one that is.

#include "platform/desktop/TaskBar.h"

#include <QGuiApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <algorithm>
#include <vector>

namespace velvane {

namespace {

Display* X11Display()
{
    auto* app = qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return app ? app->display() : nullptr;
}

} // namespace

bool SetSkipTaskBar(QWidget* widget, bool skip)
{
    Display* display = X11Display();
    if (!display || !widget->isWindow() || !widget->testAttribute(Qt::WA_WState_Created)) return false;
    const Window window = widget->winId();
    const Atom state = XInternAtom(display, "_NET_WM_STATE", False);
    const Atom wanted[] = {XInternAtom(display, "_NET_WM_STATE_SKIP_TASKBAR", False),
                           XInternAtom(display, "_NET_WM_STATE_SKIP_PAGER", False)};
    XWindowAttributes attributes{};
    if (XGetWindowAttributes(display, window, &attributes) && attributes.map_state != IsUnmapped) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = state;
        event.xclient.format = 32;
        event.xclient.data.l[0] = skip ? 1 : 0;
        event.xclient.data.l[1] = static_cast<long>(wanted[0]);
        event.xclient.data.l[2] = static_cast<long>(wanted[1]);
        event.xclient.data.l[3] = 1;
        XSendEvent(display, DefaultRootWindow(display), False, SubstructureRedirectMask | SubstructureNotifyMask,
                   &event);
    } else {
        std::vector<Atom> atoms;
        Atom type = 0;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, state, 0, 1024, False, XA_ATOM, &type, &format, &count, &after,
                               &data) == Success && data) {
            if (format == 32) atoms.assign(reinterpret_cast<Atom*>(data), reinterpret_cast<Atom*>(data) + count);
            XFree(data);
        }
        for (Atom atom : wanted) {
            std::erase(atoms, atom);
            if (skip) atoms.push_back(atom);
        }
        XChangeProperty(display, window, state, XA_ATOM, 32, PropModeReplace,
                        reinterpret_cast<const unsigned char*>(atoms.data()), static_cast<int>(atoms.size()));
    }
    XFlush(display);
    return true;
}

} // namespace velvane
