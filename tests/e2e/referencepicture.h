#pragma once

#include <QByteArray>
#include <QImage>

// What the video window must show, computed here from the file's bytes and the
// BT.601 studio-range formula, independently of the program's own code.
namespace referencepicture {

enum class Layout { Yuv420, Planar422 };

// Frame `frame` of a clip in colour; luma rows and columns 0, step, 2*step, ... are
// 200 before conversion when gridStep > 0.
QImage colour(
    const QByteArray &file, Layout layout, int width, int height, int frame, int gridStep = 0);
// The U plane of a 4:2:0 frame in grey, one sample per 2x2 block.
QImage uPlane420(const QByteArray &file, int width, int height, int frame);

} // namespace referencepicture
