// Shows a form with the given caption on the X server of the given display
// through Qt's X11 back-end, and prints the title the window carries there
// (_NET_WM_NAME), as a window manager would read it.

#include "platform/forms/Application.h"
#include "platform/forms/Form.h"

#include <QCoreApplication>
#include <QWidget>

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: title_probe DISPLAY CAPTION\n");
        return 2;
    }
    setenv("DISPLAY", argv[1], 1);
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    int qtArgc = 1;
    velvane::TApplication app(qtArgc, argv);
    app.SetTitle("Velvane");
    velvane::TForm form(nullptr);
    form.SetCaption(argv[2]);
    form.Show();
    for (int i = 0; i < 50; ++i) {
        QCoreApplication::processEvents();
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    Display* display = XOpenDisplay(argv[1]);
    if (!display) return 1;
    const Window window = static_cast<Window>(form.Widget()->winId());
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int rc = XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 4096, False,
                                      XInternAtom(display, "UTF8_STRING", False), &type, &format, &count, &after,
                                      &data);
    const bool read = rc == Success && data;
    if (read) std::printf("%.*s\n", static_cast<int>(count), reinterpret_cast<const char*>(data));
    if (data) XFree(data);
    XCloseDisplay(display);
    return read ? 0 : 1;
}
