#include "components/foundation/velprocs.h"

#include "components/foundation/VELStrings.h"
#include "platform/rtl/AppPaths.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"
#include "platform/win/SysInfo.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QScreen>

#include <unistd.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>

namespace velvane {

// ---------------------------------------------------------------- LZRW codec

namespace {

constexpr std::uint8_t StoredFlag = 0x80;
constexpr std::uint8_t CompressedFlag = 0x40;
constexpr int MaxOffset = 4095;
constexpr int MinMatch = 3;
constexpr int MaxMatch = 18;
constexpr int MinRun = 16;
constexpr int MaxRun = 4095;
constexpr int GroupItems = 16;

[[noreturn]] void Damaged(const char* what)
{
    throw EReadError(String("Compressed block is damaged: ") + what);
}

} // namespace

int LZRWCompress(const std::uint8_t* source, std::uint8_t* dest, int n)
{
    // Positions where an item started, by the hash of their first three bytes.
    std::array<std::int32_t, 4096> table;
    table.fill(-1);

    dest[0] = CompressedFlag;
    int controlAt = 1;
    int out = 3;
    int items = 0;
    std::uint32_t control = 0;
    int p = 0;
    while (p < n && out <= n) {
        if (items == GroupItems) {
            dest[controlAt] = static_cast<std::uint8_t>(control >> 8);
            dest[controlAt + 1] = static_cast<std::uint8_t>(control);
            controlAt = out;
            out += 2;
            items = 0;
            control = 0;
        }
        const std::uint8_t byte = source[p];
        const int runLimit = std::min(n - p, MaxRun);
        int run = 1;
        while (run < runLimit && source[p + run] == byte) ++run;

        if (run >= MinRun) {
            const int stored = run - MinRun;
            dest[out++] = 0;
            dest[out++] = static_cast<std::uint8_t>(stored >> 8);
            dest[out++] = static_cast<std::uint8_t>(stored);
            dest[out++] = byte;
            p += run;
            control = control << 1 | 1;
        } else {
            int length = 0;
            int offset = 0;
            if (n - p >= MinMatch) {
                const std::uint32_t key =
                    (std::uint32_t{source[p]} << 4 ^ source[p + 1]) << 4 ^ source[p + 2];
                const std::uint32_t hash = (key * 40543u >> 4) & 4095u;
                const std::int32_t candidate = table[hash];
                table[hash] = p;
                if (candidate >= 0 && p - candidate <= MaxOffset) {
                    const int limit = std::min(MaxMatch, n - p);
                    while (length < limit && source[candidate + length] == source[p + length]) ++length;
                    offset = p - candidate;
                }
            }
            if (length >= MinMatch) {
                dest[out++] = static_cast<std::uint8_t>(offset >> 4);
                dest[out++] = static_cast<std::uint8_t>((offset & 15) << 4 | (length - MinMatch));
                p += length;
                control = control << 1 | 1;
            } else {
                dest[out++] = source[p++];
                control <<= 1;
            }
        }
        ++items;
    }
    control <<= GroupItems - items;
    dest[controlAt] = static_cast<std::uint8_t>(control >> 8);
    dest[controlAt + 1] = static_cast<std::uint8_t>(control);

    if (out > n) {
        dest[0] = StoredFlag;
        if (n > 0) std::memcpy(dest + 1, source, static_cast<std::size_t>(n));
        return n + 1;
    }
    return out;
}

int LZRWDecompress(const std::uint8_t* block, int length, std::uint8_t* dest, int capacity)
{
    if (length < 1) Damaged("empty block");
    if (block[0] == StoredFlag) {
        const int n = length - 1;
        if (n > capacity) Damaged("stored data longer than a chunk");
        if (n > 0) std::memcpy(dest, block + 1, static_cast<std::size_t>(n));
        return n;
    }
    if (length < 3) Damaged("no control word");

    const std::uint8_t* in = block + 3;
    const std::uint8_t* const end = block + length;
    std::uint8_t* out = dest;
    std::uint8_t* const outEnd = dest + capacity;
    std::uint32_t control = std::uint32_t{block[1]} << 8 | block[2];
    int bits = GroupItems;
    while (in < end) {
        if (bits == 0) {
            if (end - in < 2) Damaged("control word cut short");
            control = std::uint32_t{in[0]} << 8 | in[1];
            in += 2;
            bits = GroupItems;
        }
        const bool copy = (control & 0x8000u) != 0;
        control <<= 1;
        --bits;
        if (!copy) {
            if (in >= end) Damaged("literal past the end");
            if (out >= outEnd) Damaged("output longer than a chunk");
            *out++ = *in++;
            continue;
        }
        if (end - in < 2) Damaged("copy item cut short");
        const int offset = in[0] << 4 | in[1] >> 4;
        if (offset == 0) {
            if (end - in < 4) Damaged("run item cut short");
            const int run = ((in[1] & 15) << 8 | in[2]) + MinRun;
            if (outEnd - out < run) Damaged("output longer than a chunk");
            std::memset(out, in[3], static_cast<std::size_t>(run));
            out += run;
            in += 4;
            continue;
        }
        const int count = (in[1] & 15) + MinMatch;
        in += 2;
        if (offset > out - dest) Damaged("copy from before the start");
        if (outEnd - out < count) Damaged("output longer than a chunk");
        const std::uint8_t* from = out - offset;
        if (offset >= count) {
            std::memcpy(out, from, static_cast<std::size_t>(count));
            out += count;
        } else {
            // Overlapping: byte by byte, so the copy repeats what it just wrote.
            for (int i = 0; i < count; ++i) *out++ = from[i];
        }
    }
    return static_cast<int>(out - dest);
}

// ------------------------------------------------------- system information

std::uint8_t ScreenColorDepth()
{
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance())) {
        if (const QScreen* screen = QGuiApplication::primaryScreen())
            return static_cast<std::uint8_t>(std::clamp(screen->depth(), 1, 255));
    }
    return 24;
}

String UserName()
{
    char buffer[63];
    DWORD size = sizeof buffer;
    if (!GetUserNameA(buffer, &size) || size == 0) return "(Unknown)";
    return String(buffer, size - 1);
}

String ProgramFileName()
{
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path);
    if (n > 0 && static_cast<std::size_t>(n) < sizeof path) return String(path, static_cast<std::size_t>(n));
    if (QCoreApplication::instance()) return QCoreApplication::applicationFilePath().toStdString();
    return String();
}

String ProgramDir()
{
    return AddBackslash(GetAppFilePath());
}

namespace {

String SystemFolder(UINT (*call)(LPSTR, UINT))
{
    String folder(260, '\0');
    UINT n = call(folder.data(), static_cast<UINT>(folder.size()));
    if (n >= folder.size()) {
        // Longer than the classic limit: ask again with the room it needs.
        folder.assign(n, '\0');
        n = call(folder.data(), static_cast<UINT>(folder.size()));
    }
    folder.resize(n < folder.size() ? n : 0);
    return folder;
}

} // namespace

String PrefixPath(TVELPathPrefix prefix, bool trailingDelimiter)
{
    String folder;
    switch (prefix) {
    case TVELPathPrefix::ppWindows: folder = SystemFolder(&GetWindowsDirectoryA); break;
    case TVELPathPrefix::ppSystem: folder = SystemFolder(&GetSystemDirectoryA); break;
    case TVELPathPrefix::ppProgram: folder = ProgramDir(); break;
    case TVELPathPrefix::ppFixed: return String();
    }
    return trailingDelimiter ? AddBackslash(folder) : DelBackslash(folder);
}

// -------------------------------------------------------------- rectangles

TRect ProportionalRect(const TRect& source, const TRect& target)
{
    const int sw = source.Width();
    const int sh = source.Height();
    if (sw <= 0 || sh <= 0) return TRect{target.Left, target.Top, target.Left, target.Top};
    const long double ratios[] = {static_cast<long double>(target.Width()) / sw,
                                  static_cast<long double>(target.Height()) / sh};
    const long double scale = MinOfArray(ratios);
    const auto width = static_cast<int>(std::trunc(sw * scale));
    const auto height = static_cast<int>(std::trunc(sh * scale));
    return TRect{target.Left, target.Top, target.Left + width, target.Top + height};
}

TPoint RectSize(const TRect& rect)
{
    return TPoint{rect.Width(), rect.Height()};
}

TRect RotatedRectBounds(const TRect& rect, double angle)
{
    if (angle == 0) return rect;
    const int hw = rect.Width() / 2;
    const int hh = rect.Height() / 2;
    const int cx = rect.Left + hw;
    const int cy = rect.Top + hh;
    const long double radians = static_cast<long double>(angle) * 0.0174532925199432957692L;
    const long double s = std::sin(radians);
    const long double c = std::cos(radians);
    // Rounded to nearest, ties to even (the default rounding mode).
    auto r = [](long double v) { return static_cast<int>(std::nearbyint(v)); };
    const int xs[4] = {cx - r(hw * c - hh * s), cx - r(hw * c + hh * s), cx + r(hw * c + hh * s),
                       cx + r(hw * c - hh * s)};
    const int ys[4] = {cy + r(hw * s - hh * c), cy + r(hw * s + hh * c), cy - r(hw * s + hh * c),
                       cy - r(hw * s - hh * c)};
    return TRect{0, 0, MaxOfArray(xs) - MinOfArray(xs), MaxOfArray(ys) - MinOfArray(ys)};
}

int MaxOfArray(std::span<const int> values)
{
    return values.empty() ? 0 : *std::max_element(values.begin(), values.end());
}

int MinOfArray(std::span<const int> values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

long double MinOfArray(std::span<const long double> values)
{
    return values.empty() ? 0 : *std::min_element(values.begin(), values.end());
}

} // namespace velvane
