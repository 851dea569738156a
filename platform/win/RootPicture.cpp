#include "platform/win/RootPicture.h"

#include "platform/rtl/FileUtils.h"
#include "platform/win/WinError.h"

#include <QImage>
#include <QString>

#include <cstdlib>
#include <mutex>

// Xlib last: its macros (Bool, Status, None...) clash with other headers.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace velvane {

namespace {

// Xlib's error handler is process-wide: one change at a time.
std::mutex rootMutex;
int errorCount = 0;
int CountError(Display*, XErrorEvent*)
{
    ++errorCount;
    return 0;
}

QImage CoverPicture(const QImage& picture, int width, int height)
{
    // Fit the side that leaves the other overflowing, then crop the overflow.
    const bool wider = qint64(picture.width()) * height >= qint64(picture.height()) * width;
    const QImage scaled = wider ? picture.scaledToHeight(height, Qt::SmoothTransformation)
                                : picture.scaledToWidth(width, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - width) / 2, (scaled.height() - height) / 2, width, height)
        .convertToFormat(QImage::Format_RGB32);
}

// An 8-bit channel placed where the visual's mask says.
unsigned long Channel(unsigned value, unsigned long mask)
{
    if (!mask) return 0;
    const int shift = __builtin_ctzl(mask);
    const int bits = __builtin_popcountl(mask);
    const unsigned long v = bits >= 8 ? static_cast<unsigned long>(value) << (bits - 8) : value >> (8 - bits);
    return (v << shift) & mask;
}

Pixmap PixmapProperty(Display* dpy, Window root, Atom property)
{
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    Pixmap result = None;
    if (XGetWindowProperty(dpy, root, property, 0, 1, False, XA_PIXMAP, &type, &format, &count, &after, &data) ==
            Success &&
        type == XA_PIXMAP && format == 32 && count == 1 && data)
        result = *reinterpret_cast<Pixmap*>(data);  // 32-bit items arrive as longs
    if (data) XFree(data);
    return result;
}

Pixmap MakePixmap(Display* dpy, Window root, Visual* visual, int depth, const QImage& image)
{
    const int w = image.width(), h = image.height();
    XImage* ximage = XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, nullptr,
                                  static_cast<unsigned>(w), static_cast<unsigned>(h), 32, 0);
    if (!ximage) return None;
    ximage->data = static_cast<char*>(std::malloc(static_cast<size_t>(ximage->bytes_per_line) * h));
    if (!ximage->data) {
        XDestroyImage(ximage);
        return None;
    }
    for (int y = 0; y < h; ++y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        for (int x = 0; x < w; ++x)
            XPutPixel(ximage, x, y,
                      Channel(qRed(line[x]), visual->red_mask) | Channel(qGreen(line[x]), visual->green_mask) |
                          Channel(qBlue(line[x]), visual->blue_mask));
    }
    const Pixmap pixmap = XCreatePixmap(dpy, root, static_cast<unsigned>(w), static_cast<unsigned>(h),
                                        static_cast<unsigned>(depth));
    GC gc = XCreateGC(dpy, pixmap, 0, nullptr);
    XPutImage(dpy, pixmap, gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
    XFreeGC(dpy, gc);
    XDestroyImage(ximage);
    return pixmap;
}

DWORD SetOnDisplay(Display* dpy, const QImage& picture)
{
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    Visual* visual = DefaultVisual(dpy, screen);
    const int depth = DefaultDepth(dpy, screen);
    if ((visual->c_class != TrueColor && visual->c_class != DirectColor) || depth < 15) return ERROR_NOT_SUPPORTED;

    const Pixmap pixmap =
        MakePixmap(dpy, root, visual, depth, CoverPicture(picture, DisplayWidth(dpy, screen), DisplayHeight(dpy, screen)));
    XSync(dpy, False);
    if (pixmap == None || errorCount) return ERROR_GEN_FAILURE;

    const Atom rootAtom = XInternAtom(dpy, "_XROOTPMAP_ID", False);
    const Atom esetrootAtom = XInternAtom(dpy, "ESETROOT_PMAP_ID", False);
    // The previous setter left its pixmap behind for good; only when both
    // names agree do we know it was such a one, ours to free.
    const Pixmap previous = PixmapProperty(dpy, root, esetrootAtom);
    if (previous != None && previous == PixmapProperty(dpy, root, rootAtom)) XKillClient(dpy, previous);
    XSync(dpy, False);
    errorCount = 0;  // an already gone client is nothing to fail over

    XChangeProperty(dpy, root, rootAtom, XA_PIXMAP, 32, PropModeReplace, reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XChangeProperty(dpy, root, esetrootAtom, XA_PIXMAP, 32, PropModeReplace,
                    reinterpret_cast<const unsigned char*>(&pixmap), 1);
    XSetWindowBackgroundPixmap(dpy, root, pixmap);
    XClearWindow(dpy, root);
    XSetCloseDownMode(dpy, RetainPermanent);
    XFlush(dpy);
    XSync(dpy, False);
    return errorCount ? ERROR_GEN_FAILURE : ERROR_SUCCESS;
}

} // namespace

DWORD SetRootWindowPicture(const String& display, const String& picturePath)
{
    std::lock_guard lock(rootMutex);
    if (display.empty()) return ERROR_NOT_SUPPORTED;
    const QImage picture(QString::fromStdString(picturePath));
    if (picture.isNull()) return FileExists(picturePath) ? ERROR_INVALID_DATA : ERROR_FILE_NOT_FOUND;

    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) return ERROR_NOT_SUPPORTED;
    // The default handler ends the process on any protocol error.
    const auto oldHandler = XSetErrorHandler(CountError);
    errorCount = 0;
    const DWORD result = SetOnDisplay(dpy, picture);
    XCloseDisplay(dpy);
    XSetErrorHandler(oldHandler);
    return result;
}

} // namespace velvane
