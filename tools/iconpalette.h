#pragma once

#include <QImage>
#include <QList>
#include <QRgb>

// The fixed colour tables of the 4- and 8-bit icon images. Index 0 is kept for transparent
// pixels: black under the AND mask of a bitmap, fully transparent in a PNG.
class IconPalette
{
public:
    static QList<QRgb> colours(int bitCount);
    static QImage quantise(const QImage &image, int bitCount);

private:
    static QList<QRgb> sixteenColours();
    static QList<QRgb> cubeAndGreys();
    static int nearest(const QList<QRgb> &table, QRgb colour);
};
