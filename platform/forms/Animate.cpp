#include "platform/forms/Animate.h"

#include <QPainter>

#include <algorithm>
#include <cmath>

namespace velvane {

namespace {

constexpr int kFolderWidth = 40;
constexpr int kFolderHeight = 30;
constexpr int kPageWidth = 14;
constexpr int kPageHeight = 18;
constexpr int kMargin = 16;

QRect LeftFolder(const QWidget& widget)
{
    return {kMargin, widget.height() - kFolderHeight - 6, kFolderWidth, kFolderHeight};
}

QRect RightFolder(const QWidget& widget)
{
    return {widget.width() - kMargin - kFolderWidth, widget.height() - kFolderHeight - 6, kFolderWidth, kFolderHeight};
}

void DrawFolder(QPainter& painter, const QRect& body)
{
    const QColor yellow(240, 200, 80);
    painter.setPen(QColor(128, 96, 0));
    painter.setBrush(yellow.darker(115));
    painter.drawRect(QRect(body.left(), body.top() - 5, body.width() / 3, 6));
    painter.setBrush(yellow);
    painter.drawRect(body);
}

} // namespace

TAnimate::TAnimate(QWidget* parent) : QWidget(parent)
{
    timer_.setInterval(FrameInterval);
    QObject::connect(&timer_, &QTimer::timeout, this, [this] { Step(); });
}

void TAnimate::SetActive(bool active)
{
    active_ = active;
    UpdateTimer();
}

void TAnimate::UpdateTimer()
{
    const bool run = active_ && isVisible();
    if (run && !timer_.isActive()) timer_.start();
    else if (!run) timer_.stop();
}

void TAnimate::showEvent(QShowEvent*) { UpdateTimer(); }

void TAnimate::hideEvent(QHideEvent*) { UpdateTimer(); }

void TAnimate::SetStopFrame(int frame)
{
    stopFrame_ = std::max(1, frame);
    if (frame_ > stopFrame_) frame_ = 1;
    update();
}

void TAnimate::Step()
{
    frame_ = frame_ >= stopFrame_ ? 1 : frame_ + 1;
    update();
}

QPoint TAnimate::PageAt(int frame) const
{
    // Along a half circle over both folders, from the mouth of one to the
    // mouth of the other.
    const QRect from = LeftFolder(*this);
    const QRect to = RightFolder(*this);
    const double t = stopFrame_ > 1 ? double(std::clamp(frame, 1, stopFrame_) - 1) / (stopFrame_ - 1) : 0.0;
    const double startX = from.center().x() - kPageWidth / 2.0;
    const double endX = to.center().x() - kPageWidth / 2.0;
    const double baseY = from.top() - kPageHeight / 2.0;
    const double lift = std::max(0.0, baseY - 2.0);
    const double x = startX + (endX - startX) * t;
    const double y = baseY - lift * std::sin(t * 3.14159265358979);
    return {int(std::lround(x)), int(std::lround(y))};
}

void TAnimate::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing, false);
    DrawFolder(painter, LeftFolder(*this));
    DrawFolder(painter, RightFolder(*this));
    const QRect page(PageAt(frame_), QSize(kPageWidth, kPageHeight));
    painter.setPen(Qt::black);
    painter.setBrush(Qt::white);
    painter.drawRect(page);
    painter.setPen(QColor(128, 128, 128));
    for (int line = page.top() + 4; line < page.bottom() - 2; line += 3)
        painter.drawLine(page.left() + 3, line, page.right() - 3, line);
}

} // namespace velvane
