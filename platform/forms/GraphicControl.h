#pragma once
// TGraphicControl: a control without a window of its own that draws itself
// on its parent. It is a child widget with no background: what its Paint
// leaves untouched shows the parent through. Paint draws on Canvas, a
// picture of the control's size that is put on the screen once per paint.
// A window record still carries the library's messages to it (mouse enter
// and leave, theme changes).

#include "platform/classes/Component.h"
#include "platform/forms/ControlPlacement.h"
#include "platform/forms/ControlWindow.h"

#include <QImage>
#include <QWidget>

#include <memory>

namespace velvane {

// ControlStyle bits.
constexpr unsigned csReplicatable = 0x0100;

class TGraphicControl : public QWidget, public TComponent {
public:
    explicit TGraphicControl(TComponent* owner, QWidget* parent = nullptr);
    ~TGraphicControl() override;
    const char* ClassName() const override { return "TGraphicControl"; }

    // Null only while the window is being made.
    HWND Handle() const { return window_ ? window_->Handle() : nullptr; }
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return window_->Perform(message, wParam, lParam); }

    // Position in the parent's client area, and size.
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    // Aligned and within the constraints (Placement()); the anchors then
    // keep these bounds as the parent changes size.
    virtual void SetBounds(int left, int top, int width, int height);
    TRect ClientRect() const { return TRect{0, 0, width(), height()}; }
    TControlPlacement& Placement() { return *placement_; }

    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }
    bool Visible() const { return isVisibleTo(parentWidget()); }
    void SetVisible(bool value) { setVisible(value); }

    unsigned ControlStyle = 0;

    // Asks for a paint; the control paints when the events of now are done.
    void Invalidate() { update(); }
    // Paints now.
    void Repaint() { repaint(); }
    // The canvas of the paint going on; null outside Paint.
    TCanvas* Canvas() const { return canvas_; }

protected:
    // Draws the control; nothing here.
    virtual void Paint() {}
    // The control's messages; the default handling here.
    virtual void WndProc(TMessage& message);

    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<TControlWindow> window_;
    TControlPlacement* placement_;  // a child object of the widget
    QImage picture_;
    TCanvas* canvas_ = nullptr;
};

} // namespace velvane
