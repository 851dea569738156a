#include "components/drawing/velgraph.h"

#include <array>

namespace velvane {

std::uint16_t AlignmentFormat(TVELAlignment alignment)
{
    // DT_CENTER 1, DT_RIGHT 2, DT_VCENTER 4, DT_BOTTOM 8.
    static constexpr std::array<std::uint16_t, 9> formats = {0, 1, 2, 4, 5, 6, 8, 9, 10};
    const auto index = static_cast<std::size_t>(alignment);
    return index < formats.size() ? formats[index] : 0;
}

const std::vector<String>& BorderStyleIdents()
{
    static const std::vector<String> idents = {
        "lsNone", "lsSingle", "lsLowered", "lsRaised", "lsRaisedspb", "lsLoweredspb", "lsRaisedExt",
        "lsLoweredExt", "lsFrameInset", "lsFrameOffset", "lsWindowBorder", "lsSingleRaised", "lsSingleLowered",
        "lsDoubleRaised", "lsDoubleLowered"};
    return idents;
}

const std::vector<String>& EdgeStyleIdents()
{
    static const std::vector<String> idents = {"etRaisedInner", "etRaisedOuter", "etSunkenInner", "etSunkenOuter",
                                               "etBump",        "etEtched",      "etRaised",      "etSunken"};
    return idents;
}

const std::vector<String>& FrameSideIdents()
{
    static const std::vector<String> idents = {"fsBottom", "fsLeft", "fsRight", "fsTop"};
    return idents;
}

const std::vector<String>& TextArrangeIdents()
{
    static const std::vector<String> idents = {"taLeft", "taLeftTop", "taRight",  "taRightTop",
                                               "taTop",  "taTopLeft", "taBottom", "taBottomLeft"};
    return idents;
}

const std::vector<String>& ArrowPositionIdents()
{
    static const std::vector<String> idents = {"apRightText", "apLeftText", "apRightGlyph", "apLeftGlyph"};
    return idents;
}

const std::vector<String>& UserButtonStyleIdents()
{
    static const std::vector<String> idents = {
        "ubsAutoDetect", "ubsWin31",  "ubsWin40",   "ubsDelphi",          "ubsDelphiFlat",
        "ubsFlat",       "ubsFlatUnColored", "ubsNavigator", "ubsExplorer", "ubsExplorerColored",
        "ubsIntegrated", "ubsWinXP",  "ubsWinXPCombo", "ubsWinXPTool"};
    return idents;
}

const std::vector<String>& AlignmentIdents()
{
    static const std::vector<String> idents = {"agTopLeft",    "agTopCenter", "agTopRight",
                                               "agCenterLeft", "agCenter",    "agCenterRight",
                                               "agBottomLeft", "agBottomCenter", "agBottomRight"};
    return idents;
}

const std::vector<String>& ThreeDStyleIdents()
{
    static const std::vector<String> idents = {"tdNone",        "tdSunken",       "tdRaised", "tdSunkenShadow",
                                               "tdRaisedShadow", "tdPColorSunken", "tdPColorRaised", "tdShadow",
                                               "tdOutline",     "tdExtrude",      "tdExtrudeEnh"};
    return idents;
}

const std::vector<String>& ThreeDOrientationIdents()
{
    static const std::vector<String> idents = {"toBottomLeft", "toBottomRight", "toTopLeft", "toTopRight"};
    return idents;
}

const std::vector<String>& DisabledStyleIdents()
{
    static const std::vector<String> idents = {"dsAuto", "dsStandard", "ds3d", "dsNone"};
    return idents;
}

} // namespace velvane
