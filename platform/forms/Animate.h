#pragma once
// TAnimate: the "copying files" animation of the progress box, drawn here:
// a page flies in an arc from one folder to the other. Frames run from 1 to
// StopFrame and start over. An active animation runs its timer only while
// it is on screen, so a hidden box costs nothing.

#include <QTimer>
#include <QWidget>

namespace velvane {

class TAnimate : public QWidget {
public:
    explicit TAnimate(QWidget* parent = nullptr);

    bool Active() const { return active_; }
    void SetActive(bool active);
    // The frames are moving now: active and on screen.
    bool Running() const { return timer_.isActive(); }
    // The last frame before the page starts over; at least 1.
    int StopFrame() const { return stopFrame_; }
    void SetStopFrame(int frame);
    // The frame on show, 1 .. StopFrame.
    int Frame() const { return frame_; }

    // Where the flying page is drawn at a frame (its top-left corner).
    QPoint PageAt(int frame) const;

    static constexpr int FrameInterval = 60; // milliseconds

protected:
    void paintEvent(QPaintEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    void Step();
    void UpdateTimer();

    QTimer timer_;
    bool active_ = false;
    int stopFrame_ = 20;
    int frame_ = 1;
};

} // namespace velvane
