#include "icowriter.h"

#include "iconpalette.h"
#include "indexedpng.h"

#include <QBuffer>
#include <QImageWriter>
#include <QtEndian>

namespace {

const int directorySize = 6;
const int entrySize = 16;
const int infoHeaderSize = 40;
// Pixels at least this transparent are cut out by the AND mask.
const int maskAlpha = 128;

void append16(QByteArray &bytes, int value)
{
    char raw[2];
    qToLittleEndian(quint16(value), raw);
    bytes.append(raw, 2);
}

void append32(QByteArray &bytes, qint64 value)
{
    char raw[4];
    qToLittleEndian(quint32(value), raw);
    bytes.append(raw, 4);
}

} // namespace

void IcoWriter::addBitmap(const QImage &image, int bitCount)
{
    m_entries.append({ image.width(), image.height(), bitCount, dib(image, bitCount) });
}

void IcoWriter::addPng(const QImage &image, int bitCount)
{
    QByteArray png;
    if (bitCount == 32) {
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "png");
        writer.setQuality(0); // strongest compression
        writer.write(image.convertToFormat(QImage::Format_ARGB32));
    } else {
        png = IndexedPng::encode(IconPalette::quantise(image, bitCount), bitCount);
    }
    m_entries.append({ image.width(), image.height(), bitCount, png });
}

// Widths and heights of 256 are written as 0, the only way one byte can hold them.
QByteArray IcoWriter::data() const
{
    QByteArray bytes;
    append16(bytes, 0);
    append16(bytes, 1); // resource type: icon
    append16(bytes, int(m_entries.size()));
    qint64 offset = directorySize + entrySize * m_entries.size();
    for (const Entry &entry : m_entries) {
        bytes.append(char(entry.width & 0xFF)).append(char(entry.height & 0xFF));
        bytes.append(char(entry.bitCount == 4 ? 16 : 0)).append('\0');
        append16(bytes, 1); // colour planes
        append16(bytes, entry.bitCount);
        append32(bytes, entry.payload.size());
        append32(bytes, offset);
        offset += entry.payload.size();
    }
    for (const Entry &entry : m_entries)
        bytes += entry.payload;
    return bytes;
}

QByteArray IcoWriter::dib(const QImage &image, int bitCount)
{
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    const QByteArray rows = bitCount == 32
        ? trueColourRows(argb)
        : indexedRows(IconPalette::quantise(argb, bitCount), bitCount);
    const QByteArray mask = maskRows(argb);
    return infoHeader(argb, bitCount, int(rows.size() + mask.size())) + colourTable(bitCount) + rows
        + mask;
}

// The height counts the colour bits and the mask together, hence twice the image height.
QByteArray IcoWriter::infoHeader(const QImage &image, int bitCount, int pixelBytes)
{
    QByteArray header;
    append32(header, infoHeaderSize);
    append32(header, image.width());
    append32(header, 2 * image.height());
    append16(header, 1);
    append16(header, bitCount);
    append32(header, 0); // no compression
    append32(header, pixelBytes);
    append32(header, 0);
    append32(header, 0);
    append32(header, 0); // all colours of the depth are in the table
    append32(header, 0);
    return header;
}

QByteArray IcoWriter::colourTable(int bitCount)
{
    QByteArray table;
    if (bitCount == 32)
        return table;
    for (const QRgb colour : IconPalette::colours(bitCount))
        table.append(char(qBlue(colour)))
            .append(char(qGreen(colour)))
            .append(char(qRed(colour)))
            .append('\0');
    return table;
}

// Each pixel as B, G, R, A, unpremultiplied; 32-bit rows never need padding.
QByteArray IcoWriter::trueColourRows(const QImage &image)
{
    QByteArray rows;
    for (int y = image.height() - 1; y >= 0; --y) {
        const auto *line = image.constScanLine(y);
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = reinterpret_cast<const QRgb *>(line)[x];
            rows.append(char(qBlue(pixel)))
                .append(char(qGreen(pixel)))
                .append(char(qRed(pixel)))
                .append(char(qAlpha(pixel)));
        }
    }
    return rows;
}

QByteArray IcoWriter::indexedRows(const QImage &indexed, int bitCount)
{
    const int perByte = 8 / bitCount;
    const int rowBytes = stride(indexed.width(), bitCount);
    QByteArray rows(qsizetype(rowBytes) * indexed.height(), '\0');
    for (int y = 0; y < indexed.height(); ++y) {
        const uchar *in = indexed.constScanLine(indexed.height() - 1 - y);
        char *out = rows.data() + qsizetype(y) * rowBytes;
        for (int x = 0; x < indexed.width(); ++x) {
            const int shift = 8 - bitCount * (x % perByte + 1);
            out[x / perByte] = char(uchar(out[x / perByte]) | (in[x] << shift));
        }
    }
    return rows;
}

// One bit a pixel, set where the pixel is transparent; the leftmost pixel is the top bit.
QByteArray IcoWriter::maskRows(const QImage &image)
{
    const int rowBytes = stride(image.width(), 1);
    QByteArray rows(qsizetype(rowBytes) * image.height(), '\0');
    for (int y = 0; y < image.height(); ++y) {
        const auto *in
            = reinterpret_cast<const QRgb *>(image.constScanLine(image.height() - 1 - y));
        char *out = rows.data() + qsizetype(y) * rowBytes;
        for (int x = 0; x < image.width(); ++x) {
            if (qAlpha(in[x]) < maskAlpha)
                out[x / 8] = char(uchar(out[x / 8]) | (0x80 >> (x % 8)));
        }
    }
    return rows;
}

// DIB rows are padded to whole 32-bit words.
int IcoWriter::stride(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}
