#pragma once

#include "frame.h"
#include "picturerows.h"

// The views of the difference of two frames of comparable formats (framecomparison.h),
// written into 32-bit pixels 0xffRRGGBB as the views of one frame are:
// - Color: R = 255 where the pixel's Y sample differs, G = 255 where the U sample that
//   covers the pixel differs, B = 255 where its V sample differs, 0 elsewhere;
// - Y, U, V: the signed difference in grey, one level per step of the samples at any
//   depth, grey = clamp(128 + (a - b), 0, 255); U and V cover their pixels as the chroma
//   views of one frame do;
// - R, G, B: the Colour view's channel in its own primary, the other two 0.
// Any other view value draws nothing, and the result is false.
bool renderDifference(int view, const Frame &a, const Frame &b, PictureRows picture);
