#include "iconpalette.h"

#include <climits>

QList<QRgb> IconPalette::colours(int bitCount)
{
    return bitCount == 4 ? sixteenColours() : cubeAndGreys();
}

// Opaque pixels map to the nearest colour of entries 1 and up; the rest to index 0, which
// the returned image's table marks as transparent.
QImage IconPalette::quantise(const QImage &image, int bitCount)
{
    const QImage source = image.convertToFormat(QImage::Format_ARGB32);
    const QList<QRgb> table = colours(bitCount);
    QImage indexed(source.size(), QImage::Format_Indexed8);
    indexed.setColorTable(table);
    indexed.setColor(0, qRgba(0, 0, 0, 0));
    for (int y = 0; y < source.height(); ++y) {
        const auto *in = reinterpret_cast<const QRgb *>(source.constScanLine(y));
        uchar *out = indexed.scanLine(y);
        for (int x = 0; x < source.width(); ++x)
            out[x] = qAlpha(in[x]) < 128 ? 0 : uchar(nearest(table, in[x]));
    }
    return indexed;
}

// The sixteen VGA colours with black moved to a dark grey, so index 0 stays free.
QList<QRgb> IconPalette::sixteenColours()
{
    return { qRgb(0, 0, 0), qRgb(48, 48, 48), qRgb(128, 0, 0), qRgb(0, 128, 0), qRgb(128, 128, 0),
        qRgb(0, 0, 128), qRgb(128, 0, 128), qRgb(0, 128, 128), qRgb(192, 192, 192),
        qRgb(128, 128, 128), qRgb(255, 0, 0), qRgb(0, 255, 0), qRgb(255, 255, 0), qRgb(0, 0, 255),
        qRgb(0, 255, 255), qRgb(255, 255, 255) };
}

// Black, a 6 x 6 x 6 colour cube, then eight greys inside each step of the cube's grey
// axis until the table holds 256 entries.
QList<QRgb> IconPalette::cubeAndGreys()
{
    QList<QRgb> table { qRgb(0, 0, 0) };
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                table.append(qRgb(r * 51, g * 51, b * 51));
    for (int level = 0; table.size() < 256; level += 51) {
        for (int j = 1; j <= 8 && table.size() < 256; ++j) {
            const int grey = level + (51 * j + 4) / 9;
            table.append(qRgb(grey, grey, grey));
        }
    }
    return table;
}

// Distance weighted roughly as the eye weighs the channels.
int IconPalette::nearest(const QList<QRgb> &table, QRgb colour)
{
    int best = 1;
    int bestDistance = INT_MAX;
    for (int i = 1; i < table.size(); ++i) {
        const int dr = qRed(colour) - qRed(table[i]);
        const int dg = qGreen(colour) - qGreen(table[i]);
        const int db = qBlue(colour) - qBlue(table[i]);
        const int distance = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (distance < bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}
