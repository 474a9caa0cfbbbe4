#pragma once

#include <QByteArray>
#include <QImage>

// Writes an 8-bit indexed image as a palette PNG of 4 or 8 bits per pixel. Qt's own PNG
// writer always stores indexed images at 8 bits, which would misstate a 4-bit icon entry.
class IndexedPng
{
public:
    static QByteArray encode(const QImage &indexed, int bitDepth);

private:
    static QByteArray header(const QImage &indexed, int bitDepth);
    static QByteArray palette(const QImage &indexed);
    static QByteArray transparency(const QImage &indexed);
    static QByteArray pixels(const QImage &indexed, int bitDepth);
    static QByteArray chunk(const char *type, const QByteArray &data);
    static quint32 crc32(const QByteArray &bytes);
};
