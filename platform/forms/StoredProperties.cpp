#include "platform/forms/StoredProperties.h"

#include "platform/graphics/Fonts.h"
#include "platform/graphics/GraphicIdents.h"
#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"

#include <cstring>

namespace velvane {

namespace {

// Colours are signed 32-bit numbers in stored forms.
bool ColorValueToIdent(std::int64_t value, String& ident)
{
    return ColorToIdent(static_cast<std::uint32_t>(value), ident);
}

bool IdentToColorValue(const String& ident, std::int64_t& value)
{
    std::int64_t color = 0;
    if (!IdentToColor(ident, color)) return false;
    value = static_cast<std::int32_t>(color);
    return true;
}

} // namespace

const TIdentMap ColorIdents{ColorValueToIdent, IdentToColorValue};
const TIdentMap CharsetIdents{CharsetToIdent, IdentToCharset};

TPropInfo& ColorProperty(TPropertyList& list, String name, std::function<TColor()> get,
                         std::function<void(TColor)> set)
{
    return list
        .Integer(
            std::move(name), [get = std::move(get)] { return std::int64_t{static_cast<std::int32_t>(get())}; },
            [set = std::move(set)](std::int64_t v) { set(static_cast<TColor>(static_cast<std::uint32_t>(v))); })
        .Named(ColorIdents);
}

void TFontProperties::DeclareProperties(TPropertyList& list)
{
    TPersistent::DeclareProperties(list);
    const auto done = [this] {
        if (changed_) changed_();
    };
    list.Integer("Charset", [this] { return std::int64_t{font_.Charset}; },
                 [this, done](std::int64_t v) { font_.Charset = static_cast<std::uint8_t>(v), done(); })
        .Range(0, 255)
        .Named(CharsetIdents);
    ColorProperty(list, "Color", [this] { return font_.Color; }, [this, done](TColor v) { font_.Color = v, done(); });
    // Points (at 96 pixels per inch) where they give the same pixels back.
    list.Integer("Height", [this] { return std::int64_t{GetLogFont(font_).lfHeight}; },
                 [this, done](std::int64_t v) {
                     if (v == 0) return;
                     const int pixels = static_cast<int>(v < 0 ? -v : v);
                     const int points = (pixels * 72 + 48) / 96;
                     font_.Size = points > 0 && (points * 96 + 36) / 72 == pixels ? points : -pixels;
                     done();
                 })
        .Range(-32767, 32767);
    list.Text("Name", [this] { return font_.Name; }, [this, done](const String& v) { font_.Name = v, done(); })
        .Stored([] { return true; });
    list.Enum("Pitch", {"fpDefault", "fpVariable", "fpFixed"}, [this] { return static_cast<int>(font_.Pitch); },
              [this, done](int v) { font_.Pitch = static_cast<TFontPitch>(v), done(); })
        .Default(0);
    list.Integer("Size", [this] { return std::int64_t{font_.Size}; },
                 [this, done](std::int64_t v) { font_.Size = static_cast<int>(v), done(); })
        .Range(-32767, 32767)
        .Stored([] { return false; });
    list.Set("Style", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"},
             [this] { return std::uint32_t{font_.Style}; },
             [this, done](std::uint32_t v) { font_.Style = static_cast<TFontStyles>(v & 15), done(); });
}

void TBitmapData::DefineProperties(TFiler& filer)
{
    TPersistent::DefineProperties(filer);
    filer.DefineBinaryProperty(
        "Data",
        [this](TStream& s) {
            std::uint8_t size[4];
            s.ReadBuffer(size, 4);
            const std::int64_t length = std::int64_t{size[0]} | std::int64_t{size[1]} << 8 |
                                        std::int64_t{size[2]} << 16 | std::int64_t{size[3]} << 24;
            if (length > s.Size() - s.Position()) throw EReadError(ErrorText(TErrorText::StreamRead));
            TMemoryStream file;
            file.SetSize(length);
            s.ReadBuffer(file.Memory(), length);
            file.SetPosition(0);
            TBitmap bitmap;
            bitmap.LoadFromStream(file);
            set_(bitmap);
        },
        [this](TStream& s) {
            TMemoryStream file;
            get_().SaveToStream(file);
            const auto length = static_cast<std::uint32_t>(file.Size());
            const std::uint8_t size[4] = {static_cast<std::uint8_t>(length), static_cast<std::uint8_t>(length >> 8),
                                          static_cast<std::uint8_t>(length >> 16),
                                          static_cast<std::uint8_t>(length >> 24)};
            s.WriteBuffer(size, 4);
            s.WriteBuffer(file.Memory(), file.Size());
        },
        !get_().Empty());
}

} // namespace velvane
