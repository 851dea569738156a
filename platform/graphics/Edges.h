#pragma once
// DrawEdge: the 3D borders of buttons, panels and frames in the classic
// system colours (SysColors.h).
//
// An edge has an outer and an inner border, each raised, sunken or absent.
// A border paints its top and left sides in one colour and its bottom and
// right sides in another; the bottom and right sides own the top-right and
// bottom-left corners. The inner border lies one pixel inside the outer one
// (at the edge itself when there is no outer border). EDGE_RAISED on
// (0, 0, 5, 4), all sides:
//
//   L L L L D      L: 3D light       D: 3D dark shadow
//   L H H S D      H: highlight      S: shadow
//   L S S S D
//   D D D D D
//
// Colours per border (top-left / bottom-right), and with BF_SOFT the
// top-left colour of the two borders swapped:
//
//   raised outer   3D light    / dark shadow     soft: highlight
//   sunken outer   shadow      / highlight       soft: dark shadow
//   raised inner   highlight   / shadow          soft: 3D light
//   sunken inner   dark shadow / 3D light        soft: shadow
//
// A border that is both raised and sunken is drawn sunken.

#include "platform/graphics/Graphics.h"

namespace velvane {

// Borders.
constexpr unsigned BDR_RAISEDOUTER = 0x0001;
constexpr unsigned BDR_SUNKENOUTER = 0x0002;
constexpr unsigned BDR_RAISEDINNER = 0x0004;
constexpr unsigned BDR_SUNKENINNER = 0x0008;
constexpr unsigned EDGE_RAISED = BDR_RAISEDOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_SUNKEN = BDR_SUNKENOUTER | BDR_SUNKENINNER;
constexpr unsigned EDGE_ETCHED = BDR_SUNKENOUTER | BDR_RAISEDINNER;
constexpr unsigned EDGE_BUMP = BDR_RAISEDOUTER | BDR_SUNKENINNER;

// Sides and options.
constexpr unsigned BF_LEFT = 0x0001;
constexpr unsigned BF_TOP = 0x0002;
constexpr unsigned BF_RIGHT = 0x0004;
constexpr unsigned BF_BOTTOM = 0x0008;
constexpr unsigned BF_RECT = BF_LEFT | BF_TOP | BF_RIGHT | BF_BOTTOM;
// A line across the rectangle instead of its sides. The two side bits name
// the corner it ends in; it starts in the opposite one.
constexpr unsigned BF_DIAGONAL = 0x0010;
constexpr unsigned BF_DIAGONAL_ENDTOPRIGHT = BF_DIAGONAL | BF_TOP | BF_RIGHT;
constexpr unsigned BF_DIAGONAL_ENDTOPLEFT = BF_DIAGONAL | BF_TOP | BF_LEFT;
constexpr unsigned BF_DIAGONAL_ENDBOTTOMLEFT = BF_DIAGONAL | BF_BOTTOM | BF_LEFT;
constexpr unsigned BF_DIAGONAL_ENDBOTTOMRIGHT = BF_DIAGONAL | BF_BOTTOM | BF_RIGHT;
// Fill what the borders enclose with the button face colour.
constexpr unsigned BF_MIDDLE = 0x0800;
constexpr unsigned BF_SOFT = 0x1000;
// Move the rectangle's sides in past what was drawn on them.
constexpr unsigned BF_ADJUST = 0x2000;

// Draws the borders of edge on the sides of flags. A diagonal is drawn from
// corner to corner (both corners painted), its inner border one pixel to the
// right, in the top-left colours when it rises to the right ("/") and the
// bottom-right colours when it falls ("\"); BF_MIDDLE fills the whole
// rectangle under it. Always true.
bool DrawEdge(TCanvas& canvas, TRect& rect, unsigned edge, unsigned flags);

} // namespace velvane
