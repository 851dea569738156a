#pragma once
// Where a control stands as its parent changes size, as the class library
// places it: Align puts it along an edge of the parent (or over all of it),
// Anchors keep its distances to the parent's edges, and Constraints bound
// its size. Aligned controls each take the edge of the whole parent; they
// do not stack.

#include "platform/classes/Filer.h"

#include <QObject>
#include <QRect>

#include <cstdint>
#include <functional>
#include <vector>

class QWidget;

namespace velvane {

enum class TAlign : std::uint8_t { alNone, alTop, alBottom, alLeft, alRight, alClient, alCustom };
const std::vector<String>& AlignIdents();

// Bits of the sides a control keeps its distance to.
using TAnchors = std::uint32_t;
constexpr TAnchors akLeft = 1, akTop = 2, akRight = 4, akBottom = 8;
const std::vector<String>& AnchorIdents();

// The least and greatest width and height; 0 is no bound.
class TSizeConstraints : public TPersistent {
public:
    const char* ClassName() const override { return "TSizeConstraints"; }
    int MaxHeight() const { return bounds_[0]; }
    int MaxWidth() const { return bounds_[1]; }
    int MinHeight() const { return bounds_[2]; }
    int MinWidth() const { return bounds_[3]; }
    // Index 0 MaxHeight, 1 MaxWidth, 2 MinHeight, 3 MinWidth; negative
    // values are taken as 0.
    void SetBound(int index, int value);
    QSize Apply(QSize size) const;
    std::function<void()> OnChange;
    void DeclareProperties(TPropertyList& list) override;

private:
    int bounds_[4] = {0, 0, 0, 0};
};

class TControlPlacement : public QObject {
public:
    explicit TControlPlacement(QWidget* control);

    TAlign Align() const { return align_; }
    void SetAlign(TAlign value);
    TAnchors Anchors() const { return anchors_; }
    void SetAnchors(TAnchors value);
    TSizeConstraints& Constraints() { return constraints_; }

    // Where bounds asked for end up: aligned, and of a size the constraints
    // allow. The control's SetBounds goes through here.
    QRect Place(QRect bounds) const;
    // Takes the control's bounds as the ones its anchors keep.
    void Remember();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Follow();
    void Watch(QWidget* parent);

    QWidget* control_;
    QWidget* parent_ = nullptr;
    TAlign align_ = TAlign::alNone;
    TAnchors anchors_ = akLeft | akTop;
    TSizeConstraints constraints_;
    QRect kept_;       // bounds when last set
    QSize keptParent_; // the parent's size then
    bool placing_ = false;
};

} // namespace velvane
