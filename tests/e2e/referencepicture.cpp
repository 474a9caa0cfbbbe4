#include "referencepicture.h"

#include <algorithm>

namespace referencepicture {

namespace {

int clamped(int value)
{
    return std::clamp(value, 0, 255);
}

QRgb convert(int y, int u, int v)
{
    const int c = y - 16;
    const int d = u - 128;
    const int e = v - 128;
    return qRgb(clamped((298 * c + 409 * e + 128) >> 8),
        clamped((298 * c - 100 * d - 208 * e + 128) >> 8), clamped((298 * c + 516 * d + 128) >> 8));
}

int byteAt(const QByteArray &file, qsizetype offset)
{
    return static_cast<unsigned char>(file.at(offset));
}

qsizetype frameBytes(Layout layout, int width, int height)
{
    const qsizetype luma = qsizetype(width) * height;
    return layout == Layout::Yuv420 ? luma + luma / 2 : luma * 2;
}

} // namespace

QImage colour(const QByteArray &file, Layout layout, int width, int height, int frame, int gridStep)
{
    const qsizetype start = frame * frameBytes(layout, width, height);
    const qsizetype luma = qsizetype(width) * height;
    const qsizetype chroma = layout == Layout::Yuv420 ? luma / 4 : luma / 2;
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const bool onGrid = gridStep > 0 && (y % gridStep == 0 || x % gridStep == 0);
            const int luminance = onGrid ? 200 : byteAt(file, start + qsizetype(y) * width + x);
            // 4:2:0 has one chroma row for every two luma rows, 4:2:2 one for each.
            const qsizetype chromaRow = layout == Layout::Yuv420 ? y / 2 : y;
            const qsizetype k = chromaRow * (width / 2) + x / 2;
            picture.setPixel(x, y,
                convert(luminance, byteAt(file, start + luma + k),
                    byteAt(file, start + luma + chroma + k)));
        }
    }
    return picture;
}

QImage uPlane420(const QByteArray &file, int width, int height, int frame)
{
    const qsizetype start = frame * frameBytes(Layout::Yuv420, width, height);
    const qsizetype luma = qsizetype(width) * height;
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const int u = byteAt(file, start + luma + qsizetype(y / 2) * (width / 2) + x / 2);
            picture.setPixel(x, y, qRgb(u, u, u));
        }
    }
    return picture;
}

} // namespace referencepicture
