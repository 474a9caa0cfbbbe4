#pragma once

#include <QByteArray>
#include <QImage>

#include <cstdint>

// What the video window must show, computed here from the file's bytes and the
// BT.601 studio-range formula (or the reference factors of another matrix and range),
// independently of the program's own code.
namespace referencepicture {

// Bytes of one frame of a PixelFormat layout; w and h even.
qsizetype frameBytes(std::int32_t format, int width, int height);
// Frame `frame` of a clip of a PixelFormat layout in colour; luma rows and columns 0,
// step, 2*step, ... are 200 (scaled to the layout's depth) before conversion when
// gridStep > 0. `matrix` and `range` are ColourMatrix and ColourRange values.
QImage colour(const QByteArray &file, std::int32_t format, int width, int height, int frame,
    int gridStep = 0, int matrix = 0, int range = 0);
// The U plane of a 4:2:0 frame in grey, one sample per 2x2 block.
QImage uPlane420(const QByteArray &file, int width, int height, int frame);

} // namespace referencepicture
