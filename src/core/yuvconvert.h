#pragma once

#include "frameformat.h"
#include "frameplanes.h"
#include "picturerows.h"
#include "samplelayout.h"
#include "yuvcoefficients.h"

#include <cstddef>
#include <cstdint>

// YUV to RGB in 8-bit fixed point by a matrix's and range's coefficients
// (yuvcoefficients.h), BT.601 limited range unless told otherwise. Precondition: width
// and height positive, and even where the chroma is halved along them; planes sized for
// them.

// The conversion writes R, G and B planes, the picture's pixels 0xffRRGGBB, or both in one
// pass: no picture bits, no picture; r, g and b all null, no planes (the colour view needs
// the picture alone, and a pass that writes 4 bytes a pixel instead of 7 costs less).

// Which of a pixel's channels reach the picture: 0xff keeps the channel's byte, 0 draws 0
// in its place (the R, G and B views). The planes always take the whole colour.
struct PictureChannels
{
    std::uint8_t red = 0xff;
    std::uint8_t green = 0xff;
    std::uint8_t blue = 0xff;
};

// R, G and B of one pixel.
struct PixelColour
{
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;
};

// One pixel of samples of `depth` bits (8, 10 or 12; each below 2^depth), by the very
// arithmetic that the conversion applies to every pixel of a frame.
PixelColour convertYuvPixel(
    int y, int u, int v, int depth, const YuvCoefficients &colour = bt601Limited);

// The chroma row that the conversion pairs with luma row `line` of the format's frames:
// line / 2 in 4:2:0, line in 4:2:2 and 4:4:4, 0 where the format has its one row.
std::size_t chromaRowFor(const FrameFormat &format, std::int32_t line);

// 4:2:0: chroma planes of (w/2) x (h/2); pixel (x, y) takes sample (y/2)*(w/2) + x/2.
void convertYuv420ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);

// 4:2:2: chroma planes of (w/2) x h; pixel (x, y) takes sample y*(w/2) + x/2.
void convertYuv422ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);

// 4:4:4: chroma planes of w x h; pixel (x, y) takes sample y*w + x.
void convertYuv444ToRgb(const std::uint8_t *y, const std::uint8_t *u, const std::uint8_t *v,
    std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width, int height,
    PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);

// Samples of `depth` bits (10 or 12) in the low bits of 16-bit words, the bits above
// ignored, by the same formula widened to the depth (yuvcoefficients.h), into the same
// 8-bit planes and picture. Chroma planes as above for Yuv420, Yuv422 and Yuv444; for None, one
// chroma row of width samples that every line shares.
void convertWideToRgb(Subsampling chroma, int depth, const std::uint16_t *y, const std::uint16_t *u,
    const std::uint16_t *v, std::uint8_t *r, std::uint8_t *g, std::uint8_t *b, int width,
    int height, PictureRows picture = {}, PictureChannels channels = {},
    const YuvCoefficients &colour = bt601Limited);

// The frame's Y, U and V planes into its R, G and B planes and its picture, whichever of
// them it has, by the format's chroma, matrix and range; a format without chroma converts
// against its one chroma row, U = V = 128 * 2^(depth - 8). Formats of more than 8 bits
// hold 16-bit words in the planes.
void convertFrame(
    const FrameFormat &format, const FramePlanes &planes, PictureChannels channels = {});
