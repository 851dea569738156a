#include "platform/graphics/JpegCodec.h"

#include "platform/graphics/BmpCodec.h"
#include "platform/graphics/PixelMemory.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include <jpeglib.h>
#include <jerror.h>

namespace velvane {

namespace {

// A progressive file can hold any number of scans; past this it is an attack.
constexpr int MaxScans = 1000;

// libjpeg's own memory beside the picture. A progressive file keeps every
// coefficient until its last scan (two bytes a sample); this budget takes a
// three-channel full-resolution one of some 44 million pixels, far above 8K.
constexpr long MemoryBudget = 256L << 20;

#if Q_BYTE_ORDER == Q_LITTLE_ENDIAN
constexpr J_COLOR_SPACE Rgb32Space = JCS_EXT_BGRA;  // QRgb 0xAARRGGBB in memory
constexpr J_COLOR_SPACE Rgb32InSpace = JCS_EXT_BGRX;
#else
constexpr J_COLOR_SPACE Rgb32Space = JCS_EXT_ARGB;
constexpr J_COLOR_SPACE Rgb32InSpace = JCS_EXT_XRGB;
#endif

// libjpeg would call exit(); every path here jumps back to the caller's
// setjmp instead. The frames jumped over are libjpeg's own and these
// callbacks, none of which owns anything.
struct ErrorManager {
    jpeg_error_mgr pub;
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX];
};

void Say(ErrorManager& err, const String& text) { std::snprintf(err.message, sizeof err.message, "%s", text.c_str()); }

// The library's own texts are English: its message number says what went
// wrong, in the programs' language for the usual cases.
[[noreturn]] void Fail(j_common_ptr cinfo)
{
    auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
    switch (err->pub.msg_code) {
    case JWRN_JPEG_EOF:
    case JERR_INPUT_EOF: Say(*err, ErrorText(TErrorText::JpegCut)); break;
    case JERR_NO_SOI:
    case JERR_INPUT_EMPTY: Say(*err, ErrorText(TErrorText::JpegNotJpeg)); break;
    default: Say(*err, ErrorText(TErrorText::JpegInvalid, {err->pub.msg_code})); break;
    }
    std::longjmp(err->jump, 1);
}

void OnErrorExit(j_common_ptr cinfo) { Fail(cinfo); }

void OnMessage(j_common_ptr cinfo, int level)
{
    if (level < 0) Fail(cinfo);  // a warning: corrupt or truncated data
}

void OnProgress(j_common_ptr cinfo)
{
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > MaxScans) {
        auto* err = reinterpret_cast<ErrorManager*>(cinfo->err);
        Say(*err, ErrorText(TErrorText::JpegTooManyScans, {MaxScans}));
        std::longjmp(err->jump, 1);
    }
}

void InstallErrors(j_common_ptr cinfo, ErrorManager& err)
{
    cinfo->err = jpeg_std_error(&err.pub);
    err.pub.error_exit = OnErrorExit;
    err.pub.emit_message = OnMessage;
    err.message[0] = '\0';
}

struct DecodeState {
    jpeg_decompress_struct cinfo;
    ErrorManager err;
    jpeg_progress_mgr progress;
    QImage* image = nullptr;  // the caller's
    std::vector<JSAMPLE> cmykRow;
};

void StoreCmykRow(const JSAMPLE* cmyk, QRgb* dst, int width, bool inverted)
{
    for (int x = 0; x < width; ++x) {
        unsigned c = cmyk[4 * x], m = cmyk[4 * x + 1], y = cmyk[4 * x + 2], k = cmyk[4 * x + 3];
        // Adobe writes the inks inverted: the stored value is 255 minus the ink.
        if (!inverted) {
            c = 255 - c;
            m = 255 - m;
            y = 255 - y;
            k = 255 - k;
        }
        dst[x] = qRgb((c * k + 127) / 255, (m * k + 127) / 255, (y * k + 127) / 255);
    }
}

// Returns false with err.message set when libjpeg gave up. Only trivially
// destructible locals live here, as the jump skips destructors.
bool RunDecode(DecodeState& s, const unsigned char* data, unsigned long size)
{
    jpeg_decompress_struct& cinfo = s.cinfo;
    if (setjmp(s.err.jump)) return false;

    jpeg_create_decompress(&cinfo);
    // Past the budget libjpeg would spill to a backing store, which this
    // build does not have: the decode fails instead of growing.
    cinfo.mem->max_memory_to_use = MemoryBudget;
    s.progress.progress_monitor = OnProgress;
    cinfo.progress = &s.progress;
    jpeg_mem_src(&cinfo, data, size);
    jpeg_read_header(&cinfo, TRUE);

    const std::int64_t pixels = std::int64_t{cinfo.image_width} * cinfo.image_height;
    if (cinfo.image_width == 0 || cinfo.image_height == 0 || pixels > MaxPicturePixels) {
        Say(s.err, ErrorText(TErrorText::JpegTooLarge, {cinfo.image_width, cinfo.image_height}));
        return false;
    }

    const bool cmyk = cinfo.jpeg_color_space == JCS_CMYK || cinfo.jpeg_color_space == JCS_YCCK;
    cinfo.out_color_space = cmyk ? JCS_CMYK : Rgb32Space;
    jpeg_start_decompress(&cinfo);

    QImage& image = *s.image;
    const int width = static_cast<int>(cinfo.output_width), height = static_cast<int>(cinfo.output_height);
    if (!PrepareRgb32Image(image, width, height)) {
        Say(s.err, ErrorText(TErrorText::JpegNoMemory));
        return false;
    }
    if (cmyk) s.cmykRow.resize(std::size_t{cinfo.output_width} * 4);

    while (cinfo.output_scanline < cinfo.output_height) {
        const int y = static_cast<int>(cinfo.output_scanline);
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        JSAMPROW row = cmyk ? s.cmykRow.data() : reinterpret_cast<JSAMPROW>(line);
        if (jpeg_read_scanlines(&cinfo, &row, 1) != 1) {
            Say(s.err, ErrorText(TErrorText::JpegCut));
            return false;
        }
        if (cmyk) StoreCmykRow(s.cmykRow.data(), line, static_cast<int>(cinfo.output_width), cinfo.saw_Adobe_marker);
    }
    jpeg_finish_decompress(&cinfo);
    return true;
}

struct EncodeState {
    jpeg_compress_struct cinfo;
    ErrorManager err;
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
};

bool RunEncode(EncodeState& s, const QImage& image, int quality)
{
    jpeg_compress_struct& cinfo = s.cinfo;
    if (setjmp(s.err.jump)) return false;

    jpeg_create_compress(&cinfo);
    jpeg_mem_dest(&cinfo, &s.buffer, &s.size);
    cinfo.image_width = static_cast<JDIMENSION>(image.width());
    cinfo.image_height = static_cast<JDIMENSION>(image.height());
    cinfo.input_components = 4;
    cinfo.in_color_space = Rgb32InSpace;
    jpeg_set_defaults(&cinfo);
    jpeg_set_quality(&cinfo, quality, TRUE);
    jpeg_start_compress(&cinfo, TRUE);
    while (cinfo.next_scanline < cinfo.image_height) {
        JSAMPROW row = const_cast<JSAMPROW>(image.constScanLine(static_cast<int>(cinfo.next_scanline)));
        jpeg_write_scanlines(&cinfo, &row, 1);
    }
    jpeg_finish_compress(&cinfo);
    return true;
}

} // namespace

QImage DecodeJpeg(std::string_view bytes)
{
    QImage image;
    DecodeJpeg(bytes, image);
    return image;
}

void DecodeJpeg(std::string_view bytes, QImage& image)
{
    DecodeState s{};  // zeroed, so destroying after a failed create is safe
    s.image = &image;
    InstallErrors(reinterpret_cast<j_common_ptr>(&s.cinfo), s.err);

    const bool ok = RunDecode(s, reinterpret_cast<const unsigned char*>(bytes.data()),
                              static_cast<unsigned long>(bytes.size()));
    const bool overBudget = !ok && s.err.pub.msg_code == JERR_NO_BACKING_STORE;
    jpeg_destroy_decompress(&s.cinfo);
    if (overBudget) throw EJPEG(ErrorText(TErrorText::JpegOverBudget, {MemoryBudget >> 20}));
    if (!ok) throw EJPEG(s.err.message);
}

String EncodeJpeg(const QImage& source, int quality)
{
    if (source.isNull() || source.width() <= 0 || source.height() <= 0)
        throw EJPEG(ErrorText(TErrorText::EmptyPictureNotSaved));
    const QImage image = source.format() == QImage::Format_RGB32 ? source : source.convertToFormat(QImage::Format_RGB32);

    EncodeState s{};
    InstallErrors(reinterpret_cast<j_common_ptr>(&s.cinfo), s.err);
    const bool ok = RunEncode(s, image, std::clamp(quality, 1, 100));
    jpeg_destroy_compress(&s.cinfo);
    String out;
    if (ok) out.assign(reinterpret_cast<const char*>(s.buffer), s.size);
    std::free(s.buffer);
    if (!ok) throw EJPEG(s.err.message);
    return out;
}

} // namespace velvane
