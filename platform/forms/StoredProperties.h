#pragma once
// Stored-form pieces the controls share: colours and character sets written
// by name, a font's properties ("Font.Name" and its kin) and a bitmap's
// "Data" ("Glyph.Data").

#include "platform/classes/Filer.h"
#include "platform/graphics/Graphics.h"

#include <functional>

namespace velvane {

extern const TIdentMap ColorIdents;
extern const TIdentMap CharsetIdents;

// A colour property: a named colour as its identifier, any other as a
// number (system colours are negative numbers there).
TPropInfo& ColorProperty(TPropertyList& list, String name, std::function<TColor()> get,
                         std::function<void(TColor)> set);

// A font as stored forms keep it: Charset, Color, Height (pixels, negative),
// Name, Pitch and Style; Size is read too. Changed is told after each value
// read.
class TFontProperties : public TPersistent {
public:
    TFontProperties(TFont& font, std::function<void()> changed) : font_(font), changed_(std::move(changed)) {}
    const char* ClassName() const override { return "TFont"; }
    void DeclareProperties(TPropertyList& list) override;

private:
    TFont& font_;
    std::function<void()> changed_;
};

// A bitmap as stored forms keep it: the binary "Data", the size of its
// .bmp file (int32) and the file; nothing for an empty bitmap. A file the
// picture reader refuses is a read error.
class TBitmapData : public TPersistent {
public:
    TBitmapData(std::function<const TBitmap&()> get, std::function<void(const TBitmap&)> set)
        : get_(std::move(get)), set_(std::move(set))
    {
    }
    const char* ClassName() const override { return "TBitmap"; }
    void DefineProperties(TFiler& filer) override;

private:
    std::function<const TBitmap&()> get_;
    std::function<void(const TBitmap&)> set_;
};

} // namespace velvane
