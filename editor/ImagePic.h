#pragma once
// TFormPicture: the preview dialog. It shows one picture with three buttons
// whose meaning the preview sets (add or remove the entry, go back, apply).
// Escape closes it as Cancel.

#include "platform/forms/Buttons.h"
#include "platform/forms/Form.h"

#include <QImage>

class QLabel;
class QWidget;

namespace velvane {

class TFormPicture : public TForm {
public:
    explicit TFormPicture(TComponent* owner);
    const char* ClassName() const override { return "TFormPicture"; }

    QWidget* ToolBar = nullptr;  // 30 high, above the picture
    TBitBtn* Btn_1 = nullptr;
    TBitBtn* Btn_2 = nullptr;
    TBitBtn* Btn_3 = nullptr;
    QLabel* Image = nullptr;
    QLabel* MsgLabel = nullptr;  // "Imagem indisponível", seen when Image is hidden

    // The picture shown by Image (empty: no picture).
    void SetPicture(const QImage& picture);
    // Shows the picture at its own size, or scaled down (its shape kept) so
    // that the window, buttons included, fits the screen's free area; the
    // window takes the size that shows it, at least 200 wide.
    void FitPicture(const QImage& picture);
    const QImage& Picture() const { return picture_; }
    // Client area, as the window's own size.
    void SetClientSize(int width, int height);
    int ClientWidth() const;
    int ClientHeight() const;
    void SetImageVisible(bool visible);

private:
    QImage picture_;
};

} // namespace velvane
