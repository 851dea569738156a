#include "platform/forms/GraphicControl.h"

#include <QPainter>

namespace velvane {

TGraphicControl::TGraphicControl(TComponent* owner, QWidget* parent)
    : QWidget(parent), TComponent(owner), placement_(new TControlPlacement(this))
{
    setAttribute(Qt::WA_NoSystemBackground);
    window_ = std::make_unique<TControlWindow>(this, [this](TMessage& m) { WndProc(m); });
}

TGraphicControl::~TGraphicControl()
{
    window_.reset();
}

void TGraphicControl::SetBounds(int left, int top, int width, int height)
{
    setGeometry(placement_->Place(QRect(left, top, width, height)));
    placement_->Remember();
}

void TGraphicControl::WndProc(TMessage& message)
{
    message.Result = DefWindowProcA(Handle(), message.Msg, message.WParam, message.LParam);
}

void TGraphicControl::paintEvent(QPaintEvent*)
{
    if (width() <= 0 || height() <= 0) return;
    if (picture_.size() != size()) picture_ = QImage(size(), QImage::Format_ARGB32_Premultiplied);
    // Clear: the parent shows wherever Paint draws nothing.
    picture_.fill(Qt::transparent);
    TCanvas canvas(picture_);
    struct Bind {
        TCanvas*& slot;
        Bind(TCanvas*& s, TCanvas* c) : slot(s) { slot = c; }
        ~Bind() { slot = nullptr; }
    } bind(canvas_, &canvas);
    Paint();
    QPainter(this).drawImage(0, 0, picture_);
}

} // namespace velvane
