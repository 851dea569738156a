#pragma once
// Memory for pictures. A picture of a screen's size is megabytes: handed out
// in 2 MiB pages (where the kernel offers them) it is filled with a few page
// faults instead of thousands and walked with far fewer TLB misses, which is
// much of what decoding a picture and sending it to the display cost.

#include <QImage>

namespace velvane {

// An RGB32 image of that size, its pixels not yet set; null when there is
// not enough memory.
QImage NewRgb32Image(int width, int height);

// Makes image an RGB32 image of that size to be written over: it stays as it
// is when it already is one that nothing else shares (its memory serves
// again), else it becomes a new one. False when there is not enough memory.
bool PrepareRgb32Image(QImage& image, int width, int height);

} // namespace velvane
