#include "platform/graphics/Graphics.h"

#include "platform/rtl/ErrorTexts.h"
#include "platform/rtl/Exceptions.h"
#include "platform/rtl/FileUtils.h"

#include <QString>

namespace velvane {

TPicture::TPicture() = default;
TPicture::~TPicture() = default;

void TPicture::Assign(const TGraphic& source)
{
    if (&source == graphic_.get()) return;
    auto copy = source.NewEmpty();
    copy->Assign(source);
    graphic_ = std::move(copy);
}

void TPicture::LoadFromFile(const String& path)
{
    const String ext = ExtractFileExt(path);
    const QString lower = QString::fromStdString(ext).toLower();
    std::unique_ptr<TGraphic> graphic;
    if (lower == ".jpg" || lower == ".jpeg")
        graphic = std::make_unique<TJPEGImage>();
    else if (lower == ".bmp")
        graphic = std::make_unique<TBitmap>();
    else
        throw EInvalidGraphic(ErrorText(TErrorText::UnknownPictureExtension, {"." + (ext.empty() ? ext : ext.substr(1))}));
    graphic->LoadFromFile(path);
    graphic_ = std::move(graphic);
}

void TPicture::SaveToFile(const String& path) const
{
    if (!graphic_) throw EInvalidGraphic(ErrorText(TErrorText::EmptyPictureNotSaved));
    graphic_->SaveToFile(path);
}

} // namespace velvane
