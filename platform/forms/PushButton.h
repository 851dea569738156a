#pragma once
// TButton: a push button with the class library's behaviour on a
// QPushButton: it takes the focus and clicks on Space or Return, Return in
// its window clicks the Default button (unless the focus is on another
// button, which then clicks itself), Escape clicks the Cancel button, and a
// click hands ModalResult to its form before OnClick.
//
// An owner-drawn button paints no face of its own: each paint sends it
// CN_DRAWITEM with a canvas on a picture of the button's size, which is put
// on the screen once the message has been handled. Its window record carries
// the library's messages (mouse enter and leave included) to WndProc.

#include "platform/classes/Component.h"
#include "platform/forms/ControlWindow.h"
#include "platform/forms/Form.h"

#include <QImage>
#include <QPushButton>

#include <memory>

namespace velvane {

class TButton : public QPushButton, public TComponent {
public:
    explicit TButton(TComponent* owner, QWidget* parent = nullptr);
    ~TButton() override;
    const char* ClassName() const override { return "TButton"; }

    // Null only while the window is being made.
    HWND Handle() const { return window_ ? window_->Handle() : nullptr; }
    LRESULT Perform(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return window_->Perform(message, wParam, lParam); }

    String Caption() const;
    void SetCaption(const String& caption);
    int Left() const { return x(); }
    int Top() const { return y(); }
    int Width() const { return width(); }
    int Height() const { return height(); }
    virtual void SetBounds(int left, int top, int width, int height);
    TRect ClientRect() const { return TRect{0, 0, width(), height()}; }
    bool Enabled() const { return isEnabled(); }
    void SetEnabled(bool value) { setEnabled(value); }

    int ModalResult = mrNone;
    bool Default() const { return default_; }
    void SetDefault(bool value);
    bool Cancel() const { return cancel_; }
    void SetCancel(bool value);

    // The form whose window holds the button, or null.
    TForm* ParentForm() const;
    // The button is the one Return clicks now: it has the focus, or it is
    // the Default button and the focus is on a control that is no button.
    bool ActiveDefault() const { return active_; }

    // What a click does: ModalResult to the form, then OnClick.
    virtual void Click();
    TNotifyEvent OnClick;

    void Invalidate() { update(); }
    void Refresh() { repaint(); }

protected:
    void SetOwnerDraw(bool value);
    bool OwnerDraw() const { return ownerDraw_; }
    // The button's messages; the default handling here.
    virtual void WndProc(TMessage& message);
    // Told whenever the focus moves within the button's window, with
    // whether the button is now the active default.
    virtual void SetButtonStyle(bool isDefault);

    void paintEvent(QPaintEvent* event) override;

private:
    void FocusMoved(QWidget* now);

    std::unique_ptr<TControlWindow> window_;
    QMetaObject::Connection focusWatch_;
    QImage picture_;
    bool ownerDraw_ = false;
    bool default_ = false;
    bool cancel_ = false;
    bool active_ = false;
};

} // namespace velvane
