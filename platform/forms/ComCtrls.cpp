#include "platform/forms/ComCtrls.h"

namespace velvane {

TTrackBar::TTrackBar(int min, int max, QWidget* parent) : QSlider(Qt::Horizontal, parent)
{
    setRange(min, max);
    setPageStep(1);
    setTickInterval(1);
}

} // namespace velvane
