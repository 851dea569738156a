#include "platform/desktop/RootPicture.h"

#include "platform/desktop/XImageRows.h"
#include "platform/rtl/LastError.h"

#include <algorithm>
#include <mutex>
#include <optional>
#include <vector>

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

// The picture as the screen shows it: scaled to cover it and centre-cropped.
// One that already fits is taken as it is.
QImage CoverPicture(const QImage& picture, int width, int height)
{
    if (picture.width() == width && picture.height() == height)
        return picture.format() == QImage::Format_RGB32 ? picture : picture.convertToFormat(QImage::Format_RGB32);
    // Fit the side that leaves the other overflowing, then crop the overflow.
    const bool wider = qint64(picture.width()) * height >= qint64(picture.height()) * width;
    QImage scaled = wider ? picture.scaledToHeight(height, Qt::SmoothTransformation)
                          : picture.scaledToWidth(width, Qt::SmoothTransformation);
    if (scaled.width() != width || scaled.height() != height)
        scaled = scaled.copy((scaled.width() - width) / 2, (scaled.height() - height) / 2, width, height);
    return scaled.format() == QImage::Format_RGB32 ? scaled : scaled.convertToFormat(QImage::Format_RGB32);
}

// The pixel layout of the visual's images, or nothing when Xlib has no
// format for its depth.
std::optional<XPixelLayout> LayoutOf(Display* dpy, Visual* visual, int depth)
{
    int count = 0;
    XPixmapFormatValues* formats = XListPixmapFormats(dpy, &count);
    std::optional<XPixelLayout> layout;
    for (int i = 0; i < count; ++i) {
        if (formats[i].depth != depth) continue;
        layout = XPixelLayout{formats[i].bits_per_pixel, ImageByteOrder(dpy) == MSBFirst,
                              static_cast<std::uint32_t>(visual->red_mask),
                              static_cast<std::uint32_t>(visual->green_mask),
                              static_cast<std::uint32_t>(visual->blue_mask)};
    }
    if (formats) XFree(formats);
    return layout;
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

// An image header over rows we own; Xlib is told nothing of who frees them.
XImage* ImageHeader(Display* dpy, Visual* visual, int depth, int width, int height, char* rows, int bytesPerLine)
{
    return XCreateImage(dpy, visual, static_cast<unsigned>(depth), ZPixmap, 0, rows, static_cast<unsigned>(width),
                        static_cast<unsigned>(height), 32, bytesPerLine);
}

void ForgetRows(XImage* image)
{
    image->data = nullptr;  // ours, not Xlib's to free
    XDestroyImage(image);
}

// Sends the picture's rows into the drawable: as they are when the layout is
// the picture's own, else converted a band of rows at a time.
bool PutPicture(Display* dpy, Drawable target, Visual* visual, int depth, const XPixelLayout& layout,
                const QImage& image)
{
    const int w = image.width(), h = image.height();
    GC gc = XCreateGC(dpy, target, 0, nullptr);
    bool ok = true;
    if (IsRgb32Layout(layout)) {
        // The rows go out from the picture's own memory, not a copy.
        XImage* ximage = ImageHeader(dpy, visual, depth, w, h, const_cast<char*>(reinterpret_cast<const char*>(image.constBits())),
                                     static_cast<int>(image.bytesPerLine()));
        if (ximage) {
            ximage->byte_order = layout.msbFirst ? MSBFirst : LSBFirst;
            XPutImage(dpy, target, gc, ximage, 0, 0, 0, 0, static_cast<unsigned>(w), static_cast<unsigned>(h));
            ForgetRows(ximage);
        }
        ok = ximage != nullptr;
    } else {
        const XRowConverter converter(layout);
        const int bytesPerLine = (w * converter.BytesPerPixel() + 3) & ~3;
        const int band = std::max(1, std::min(h, (256 << 10) / bytesPerLine));
        std::vector<char> rows(static_cast<std::size_t>(bytesPerLine) * band);
        for (int top = 0; ok && top < h; top += band) {
            const int count = std::min(band, h - top);
            for (int y = 0; y < count; ++y)
                converter.Convert(reinterpret_cast<const QRgb*>(image.constScanLine(top + y)), w,
                                  reinterpret_cast<unsigned char*>(rows.data()) + std::size_t(bytesPerLine) * y);
            XImage* ximage = ImageHeader(dpy, visual, depth, w, count, rows.data(), bytesPerLine);
            if (!ximage) {
                ok = false;
                break;
            }
            ximage->byte_order = layout.msbFirst ? MSBFirst : LSBFirst;
            XPutImage(dpy, target, gc, ximage, 0, 0, 0, top, static_cast<unsigned>(w), static_cast<unsigned>(count));
            ForgetRows(ximage);
        }
    }
    XFreeGC(dpy, gc);
    return ok;
}

std::uint32_t SetOnDisplay(Display* dpy, const QImage& picture)
{
    const int screen = DefaultScreen(dpy);
    const Window root = RootWindow(dpy, screen);
    Visual* visual = DefaultVisual(dpy, screen);
    const int depth = DefaultDepth(dpy, screen);
    if ((visual->c_class != TrueColor && visual->c_class != DirectColor) || depth < 15) return ERROR_NOT_SUPPORTED;
    const auto layout = LayoutOf(dpy, visual, depth);
    if (!layout || !XRowConverter(*layout).Supported()) return ERROR_NOT_SUPPORTED;

    const int width = DisplayWidth(dpy, screen), height = DisplayHeight(dpy, screen);
    const QImage shown = CoverPicture(picture, width, height);
    const Pixmap pixmap = XCreatePixmap(dpy, root, static_cast<unsigned>(width), static_cast<unsigned>(height),
                                        static_cast<unsigned>(depth));
    const bool put = PutPicture(dpy, pixmap, visual, depth, *layout, shown);
    XSync(dpy, False);
    if (!put || errorCount) {
        XFreePixmap(dpy, pixmap);
        XSync(dpy, False);
        return ERROR_GEN_FAILURE;
    }

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

std::uint32_t SetRootWindowPicture(const String& display, const QImage& picture)
{
    std::lock_guard lock(rootMutex);
    if (display.empty()) return ERROR_NOT_SUPPORTED;
    if (picture.isNull()) return ERROR_INVALID_DATA;

    Display* dpy = XOpenDisplay(display.c_str());
    if (!dpy) return ERROR_NOT_SUPPORTED;
    // The default handler ends the process on any protocol error.
    const auto oldHandler = XSetErrorHandler(CountError);
    errorCount = 0;
    const std::uint32_t result = SetOnDisplay(dpy, picture);
    XCloseDisplay(dpy);
    XSetErrorHandler(oldHandler);
    return result;
}

} // namespace velvane
