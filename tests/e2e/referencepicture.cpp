#include "referencepicture.h"

#include "videoparameters.h"
#include "yuvreference.h"

#include <algorithm>

namespace referencepicture {

namespace {

int clamped(int value)
{
    return std::clamp(value, 0, 255);
}

// The formula at depth b, s = b - 8: black, chroma's zero and the rounding scaled by 2^s.
QRgb convert(int y, int u, int v, int depth = 8)
{
    const int s = depth - 8;
    const int c = y - (16 << s);
    const int d = u - (128 << s);
    const int e = v - (128 << s);
    const int half = 1 << (depth - 1);
    return qRgb(clamped((298 * c + 409 * e + half) >> depth),
        clamped((298 * c - 100 * d - 208 * e + half) >> depth),
        clamped((298 * c + 516 * d + half) >> depth));
}

int byteAt(const QByteArray &file, qsizetype offset)
{
    return static_cast<unsigned char>(file.at(offset));
}

struct Samples
{
    qsizetype y;
    qsizetype u; // -1: no chroma, 128
    qsizetype v;
};

// Where pixel (x, y)'s samples lie within a frame, spelled out per layout as the
// layout table in the README gives it.
Samples samplesOf(std::int32_t format, int width, int height, int x, int y)
{
    const qsizetype luma = qsizetype(width) * height;
    const qsizetype plain = qsizetype(y) * width + x;
    const qsizetype quarter = qsizetype(y / 2) * (width / 2) + x / 2;
    const qsizetype half = qsizetype(y) * (width / 2) + x / 2;
    // Interleaved chroma: one U,V pair per two pixels, on every row or every second one.
    const qsizetype pair420 = luma + qsizetype(y / 2) * width + (x / 2) * 2;
    const qsizetype pair422 = luma + qsizetype(y) * width + (x / 2) * 2;
    // Packed 4:2:2: four bytes per pixel pair.
    const qsizetype group = qsizetype(y) * width * 2 + (x / 2) * 4;
    const int second = x % 2;
    switch (format) {
    case Yvu420p:
        return { plain, luma + luma / 4 + quarter, luma + quarter };
    case Nv12:
        return { plain, pair420, pair420 + 1 };
    case Nv21:
        return { plain, pair420 + 1, pair420 };
    case UYVY:
    case Planar422:
        return { plain, luma + half, luma + luma / 2 + half };
    case Nv16:
        return { plain, pair422, pair422 + 1 };
    case Yuyv422: // Y0 U Y1 V
        return { group + second * 2, group + 1, group + 3 };
    case Uyvy422: // U Y0 V Y1
        return { group + 1 + second * 2, group, group + 2 };
    case Yvyu422: // Y0 V Y1 U
        return { group + second * 2, group + 3, group + 1 };
    case Yuv444p:
        return { plain, luma + plain, 2 * luma + plain };
    case Gray:
        return { plain, -1, -1 };
    default:
        return { plain, luma + quarter, luma + luma / 4 + quarter };
    }
}

} // namespace

qsizetype frameBytes(std::int32_t format, int width, int height)
{
    const ReferenceSamples words = referenceSamples(format);
    if (words.depth > 8)
        return 2 * frameBytes(words.twin, width, height);
    const qsizetype luma = qsizetype(width) * height;
    switch (format) {
    case UYVY:
    case Planar422:
    case Nv16:
    case Yuyv422:
    case Uyvy422:
    case Yvyu422:
        return luma * 2;
    case Yuv444p:
        return luma * 3;
    case Gray:
        return luma;
    default:
        return luma + luma / 2;
    }
}

QImage colour(const QByteArray &file, std::int32_t format, int width, int height, int frame,
    int gridStep, int matrix, int range)
{
    const bool bt601Limited = matrix == 0 && range == 0;
    const ReferenceCoefficients factors = referenceCoefficients(matrix, range);
    const qsizetype start = frame * frameBytes(format, width, height);
    const ReferenceSamples words = referenceSamples(format);
    const int s = words.depth - 8;
    const auto sample = [&](qsizetype index) {
        if (s == 0)
            return byteAt(file, start + index);
        const int word = byteAt(file, start + 2 * index) | byteAt(file, start + 2 * index + 1) << 8;
        return (word >> words.shift) & ((1 << words.depth) - 1);
    };
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Samples at = samplesOf(words.twin, width, height, x, y);
            const bool onGrid = gridStep > 0 && (y % gridStep == 0 || x % gridStep == 0);
            const int luminance = onGrid ? 200 << s : sample(at.y);
            const int u = at.u < 0 ? 128 << s : sample(at.u);
            const int v = at.v < 0 ? 128 << s : sample(at.v);
            if (bt601Limited) {
                picture.setPixel(x, y, convert(luminance, u, v, words.depth));
            } else {
                const Rgb rgb = yuvToRgbReference(luminance, u, v, words.depth, factors);
                picture.setPixel(x, y, qRgb(rgb.r, rgb.g, rgb.b));
            }
        }
    }
    return picture;
}

QImage uPlane420(const QByteArray &file, int width, int height, int frame)
{
    const qsizetype start = frame * frameBytes(YV12, width, height);
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
