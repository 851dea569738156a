#pragma once
// The look types of the drawing routines, captions, layouts, the button and
// the edge control. They are published property types: a stored form names
// their values by identifier and the drawing code switches on the ordinal,
// so neither the order nor the spelling may change.

#include "platform/rtl/Types.h"

#include <cstdint>
#include <vector>

namespace velvane {

enum class TVELBorderStyle : std::uint8_t {
    lsNone, lsSingle, lsLowered, lsRaised, lsRaisedspb, lsLoweredspb, lsRaisedExt, lsLoweredExt,
    lsFrameInset, lsFrameOffset, lsWindowBorder, lsSingleRaised, lsSingleLowered, lsDoubleRaised,
    lsDoubleLowered
};

enum class TVELEdgeStyle : std::uint8_t {
    etRaisedInner, etRaisedOuter, etSunkenInner, etSunkenOuter, etBump, etEtched, etRaised, etSunken
};

enum class TVELFrameSide : std::uint8_t { fsBottom, fsLeft, fsRight, fsTop };

// One bit per side, bit number = the side's ordinal.
using TVELFrameSides = std::uint8_t;
constexpr TVELFrameSides FrameSide(TVELFrameSide side) { return static_cast<TVELFrameSides>(1u << static_cast<unsigned>(side)); }
constexpr TVELFrameSides AllFrameSides = 0x0F;

// Where the text stands relative to the glyph.
enum class TVELTextArrange : std::uint8_t {
    taLeft, taLeftTop, taRight, taRightTop, taTop, taTopLeft, taBottom, taBottomLeft
};

// Where a drop-down arrow stands.
enum class TVELArrowPosition : std::uint8_t { apRightText, apLeftText, apRightGlyph, apLeftGlyph };

enum class TVELUserButtonStyle : std::uint8_t {
    ubsAutoDetect, ubsWin31, ubsWin40, ubsDelphi, ubsDelphiFlat, ubsFlat, ubsFlatUnColored, ubsNavigator,
    ubsExplorer, ubsExplorerColored, ubsIntegrated, ubsWinXP, ubsWinXPCombo, ubsWinXPTool
};

enum class TVELAlignment : std::uint8_t {
    agTopLeft, agTopCenter, agTopRight, agCenterLeft, agCenter, agCenterRight, agBottomLeft, agBottomCenter,
    agBottomRight
};

enum class TVELThreeDStyle : std::uint8_t {
    tdNone, tdSunken, tdRaised, tdSunkenShadow, tdRaisedShadow, tdPColorSunken, tdPColorRaised, tdShadow,
    tdOutline, tdExtrude, tdExtrudeEnh
};

// Direction of an extruded caption.
enum class TVELThreeDOrientation : std::uint8_t { toBottomLeft, toBottomRight, toTopLeft, toTopRight };

// How disabled text looks.
enum class TVELDisabledStyle : std::uint8_t { dsAuto, dsStandard, ds3d, dsNone };

// 0..360 degrees, kept in 16 bits; 360 is the same turn as 0.
using TVELAngle = std::uint16_t;
constexpr TVELAngle NormalAngle(int degrees) { return static_cast<TVELAngle>(degrees == 360 ? 0 : degrees); }

// Size of a drop-down arrow, 2..10.
using TVELDDArrowSize = std::uint8_t;

// The text-format bits (left/centre/right, top/vcentre/bottom) of an
// alignment, indexed by its ordinal.
std::uint16_t AlignmentFormat(TVELAlignment alignment);

// Identifiers in ordinal order, for the filer's enumeration properties.
const std::vector<String>& BorderStyleIdents();
const std::vector<String>& EdgeStyleIdents();
const std::vector<String>& FrameSideIdents();
const std::vector<String>& TextArrangeIdents();
const std::vector<String>& ArrowPositionIdents();
const std::vector<String>& UserButtonStyleIdents();
const std::vector<String>& AlignmentIdents();
const std::vector<String>& ThreeDStyleIdents();
const std::vector<String>& ThreeDOrientationIdents();
const std::vector<String>& DisabledStyleIdents();

} // namespace velvane
