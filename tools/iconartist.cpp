#include "iconartist.h"

#include "glyphpainter.h"

#include <QPainter>

// The glyphs are drawn on a 48-unit square, so every size is the same drawing scaled.
QImage IconArtist::render(const IconSpec &spec, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.scale(size / 48.0, size / 48.0);
    GlyphPainter glyphs(painter);
    spec.draw(glyphs);
    painter.end();
    return image;
}
