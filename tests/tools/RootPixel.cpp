// Prints the root window's colour at each X Y given as "rrggbb", one a line,
// "exists 1" or "exists 0" for each "pixmap=ID" given (whether the server
// still holds that pixmap), every pixel for "all" (a line per row, the
// colours one after another), then "pixmap <id>" for the _XROOTPMAP_ID
// property (0 when unset). A channel narrower than 8 bits is shifted up,
// wider ones down. Reads from its own connection, so it sees what the server
// holds, not what the setter thought it sent.

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

int errors = 0;
int CountError(Display*, XErrorEvent*) { return ++errors, 0; }

bool PixmapExists(Display* dpy, unsigned long id)
{
    errors = 0;
    Window root;
    int x, y;
    unsigned w, h, border, depth;
    const Status ok = XGetGeometry(dpy, id, &root, &x, &y, &w, &h, &border, &depth);
    XSync(dpy, False);
    return ok && !errors;
}

unsigned Channel(unsigned long pixel, unsigned long mask)
{
    if (!mask) return 0;
    const unsigned long v = (pixel & mask) >> __builtin_ctzl(mask);
    const int bits = __builtin_popcountl(mask);
    return static_cast<unsigned>(bits >= 8 ? v >> (bits - 8) : v << (8 - bits));
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) return std::fprintf(stderr, "usage: root_pixel DISPLAY [X Y | pixmap=ID | all]...\n"), 2;
    Display* dpy = XOpenDisplay(argv[1]);
    if (!dpy) return std::fprintf(stderr, "root_pixel: cannot open %s\n", argv[1]), 1;
    const Window root = DefaultRootWindow(dpy);
    const Visual* visual = DefaultVisual(dpy, DefaultScreen(dpy));
    XSetErrorHandler(CountError);
    XWindowAttributes size;
    XGetWindowAttributes(dpy, root, &size);
    XImage* image = XGetImage(dpy, root, 0, 0, static_cast<unsigned>(size.width), static_cast<unsigned>(size.height),
                              AllPlanes, ZPixmap);
    if (!image) return 1;
    const auto print = [&](int x, int y) {
        const unsigned long pixel = XGetPixel(image, x, y);
        std::printf("%02x%02x%02x", Channel(pixel, visual->red_mask), Channel(pixel, visual->green_mask),
                    Channel(pixel, visual->blue_mask));
    };
    for (int i = 2; i < argc; ++i) {
        if (std::strcmp(argv[i], "all") == 0) {
            for (int y = 0; y < size.height; ++y, std::printf("\n"))
                for (int x = 0; x < size.width; ++x) print(x, y);
        } else if (std::strncmp(argv[i], "pixmap=", 7) == 0) {
            std::printf("exists %d\n", PixmapExists(dpy, std::strtoul(argv[i] + 7, nullptr, 10)) ? 1 : 0);
        } else {
            if (i + 1 >= argc) return 2;
            const int x = std::atoi(argv[i]), y = std::atoi(argv[++i]);
            if (x < 0 || y < 0 || x >= size.width || y >= size.height) return 1;
            print(x, y), std::printf("\n");
        }
    }
    XDestroyImage(image);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0, pixmap = 0;
    unsigned char* data = nullptr;
    if (XGetWindowProperty(dpy, root, XInternAtom(dpy, "_XROOTPMAP_ID", False), 0, 1, False, XA_PIXMAP, &type, &format,
                           &count, &after, &data) == Success &&
        type == XA_PIXMAP && count == 1 && data)
        pixmap = *reinterpret_cast<unsigned long*>(data);
    if (data) XFree(data);
    std::printf("pixmap %lu\n", pixmap);
    XCloseDisplay(dpy);
    return 0;
}
