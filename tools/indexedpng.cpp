#include "indexedpng.h"

#include <QtEndian>

namespace {

void appendBigEndian(QByteArray &bytes, quint32 value)
{
    char raw[4];
    qToBigEndian(value, raw);
    bytes.append(raw, 4);
}

} // namespace

QByteArray IndexedPng::encode(const QImage &indexed, int bitDepth)
{
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += chunk("IHDR", header(indexed, bitDepth));
    png += chunk("PLTE", palette(indexed));
    png += chunk("tRNS", transparency(indexed));
    png += chunk("IDAT", pixels(indexed, bitDepth));
    png += chunk("IEND", QByteArray());
    return png;
}

QByteArray IndexedPng::header(const QImage &indexed, int bitDepth)
{
    QByteArray data;
    appendBigEndian(data, quint32(indexed.width()));
    appendBigEndian(data, quint32(indexed.height()));
    const char colourType = 3; // palette
    data.append(char(bitDepth)).append(colourType);
    data.append(3, '\0'); // deflate, adaptive filtering, no interlace
    return data;
}

QByteArray IndexedPng::palette(const QImage &indexed)
{
    QByteArray data;
    for (const QRgb colour : indexed.colorTable())
        data.append(char(qRed(colour))).append(char(qGreen(colour))).append(char(qBlue(colour)));
    return data;
}

// Alpha of the leading entries; the entries after the last one given are opaque.
QByteArray IndexedPng::transparency(const QImage &indexed)
{
    const QList<QRgb> table = indexed.colorTable();
    qsizetype count = table.size();
    while (count > 0 && qAlpha(table[count - 1]) == 255)
        --count;
    QByteArray data;
    for (qsizetype i = 0; i < count; ++i)
        data.append(char(qAlpha(table[i])));
    return data;
}

// Every row starts with filter type 0; 4-bit rows put the left pixel in the high nibble.
QByteArray IndexedPng::pixels(const QImage &indexed, int bitDepth)
{
    const int perByte = 8 / bitDepth;
    const int rowBytes = (indexed.width() + perByte - 1) / perByte;
    QByteArray raw(qsizetype(indexed.height()) * (rowBytes + 1), '\0');
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *in = indexed.constScanLine(y);
        char *out = raw.data() + qsizetype(y) * (rowBytes + 1) + 1;
        for (int x = 0; x < indexed.width(); ++x) {
            const int shift = 8 - bitDepth * (x % perByte + 1);
            out[x / perByte] = char(uchar(out[x / perByte]) | (in[x] << shift));
        }
    }
    // qCompress puts the uncompressed length in front of a plain zlib stream.
    return qCompress(raw, 9).mid(4);
}

QByteArray IndexedPng::chunk(const char *type, const QByteArray &data)
{
    QByteArray typed(type, 4);
    typed += data;
    QByteArray bytes;
    appendBigEndian(bytes, quint32(data.size()));
    bytes += typed;
    appendBigEndian(bytes, crc32(typed));
    return bytes;
}

// CRC-32 with the reflected polynomial 0xEDB88320, as PNG chunks require.
quint32 IndexedPng::crc32(const QByteArray &bytes)
{
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= uchar(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}
