#pragma once
// TTrackBar: a horizontal slider with a position between Min and Max.

#include "platform/forms/Form.h"

#include <QSlider>

namespace velvane {

class TTrackBar : public QSlider {
public:
    TTrackBar(int min, int max, QWidget* parent);

    int Position() const { return value(); }
    // Clamped to Min..Max.
    void SetPosition(int position) { setValue(position); }
};

} // namespace velvane
