#include "icodirectory.h"

#include <QtEndian>

namespace {

const int infoHeaderSize = 40;

} // namespace

IcoDirectory::IcoDirectory(const QByteArray &file)
    : m_file(file)
{
    if (file.size() < 6 || u16(file, 0) != 0 || u16(file, 2) != 1)
        return;
    const int count = u16(file, 4);
    if (file.size() < 6 + 16 * count)
        return;
    for (int i = 0; i < count; ++i) {
        const qint64 at = 6 + 16 * i;
        // A width or height byte of 0 stands for 256.
        const int width = uchar(file[at]) ? uchar(file[at]) : 256;
        const int height = uchar(file[at + 1]) ? uchar(file[at + 1]) : 256;
        m_entries.append({ width, height, uchar(file[at + 2]), u16(file, at + 4), u16(file, at + 6),
            u32(file, at + 8), u32(file, at + 12) });
    }
    m_valid = true;
}

QByteArray IcoDirectory::payload(const Entry &entry) const
{
    return m_file.mid(entry.offset, entry.bytes);
}

bool IcoDirectory::isPng(const Entry &entry) const
{
    return payload(entry).startsWith("\x89PNG\r\n\x1a\n");
}

QImage IcoDirectory::image(const Entry &entry) const
{
    const QByteArray bytes = payload(entry);
    if (isPng(entry))
        return QImage::fromData(bytes, "png").convertToFormat(QImage::Format_ARGB32);
    Bitmap bitmap;
    if (!readBitmap(bytes, bitmap))
        return QImage();
    const QBitArray cutOut = mask(entry);
    const int rowBytes = stride(bitmap.width, bitmap.bitCount);
    QImage image(bitmap.width, bitmap.height, QImage::Format_ARGB32);
    for (int y = 0; y < bitmap.height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(bytes.constData()) + bitmap.pixelsAt
            + qint64(bitmap.height - 1 - y) * rowBytes;
        auto *out = reinterpret_cast<QRgb *>(image.scanLine(y));
        for (int x = 0; x < bitmap.width; ++x) {
            if (bitmap.bitCount == 32) {
                const uchar *bgra = row + 4 * x;
                out[x] = qRgba(bgra[2], bgra[1], bgra[0], bgra[3]);
                continue;
            }
            const int shift = 8 - bitmap.bitCount * (x % (8 / bitmap.bitCount) + 1);
            const int index
                = (row[x * bitmap.bitCount / 8] >> shift) & ((1 << bitmap.bitCount) - 1);
            if (cutOut.testBit(y * bitmap.width + x))
                out[x] = qRgba(0, 0, 0, 0);
            else if (index < bitmap.table.size())
                out[x] = bitmap.table[index];
            else
                return QImage(); // an index past the colour table
        }
    }
    return image;
}

QBitArray IcoDirectory::mask(const Entry &entry) const
{
    const QByteArray bytes = payload(entry);
    Bitmap bitmap;
    if (isPng(entry) || !readBitmap(bytes, bitmap))
        return QBitArray();
    const int rowBytes = stride(bitmap.width, 1);
    QBitArray bits(bitmap.width * bitmap.height);
    for (int y = 0; y < bitmap.height; ++y) {
        const auto *row = reinterpret_cast<const uchar *>(bytes.constData()) + bitmap.maskAt
            + qint64(bitmap.height - 1 - y) * rowBytes;
        for (int x = 0; x < bitmap.width; ++x)
            bits.setBit(y * bitmap.width + x, row[x / 8] & (0x80 >> (x % 8)));
    }
    return bits;
}

// Uncompressed 4-, 8- and 32-bit bitmaps only, the kinds an icon of this program holds; the
// header's height counts the colour rows and the mask rows together.
bool IcoDirectory::readBitmap(const QByteArray &dib, Bitmap &bitmap)
{
    if (dib.size() < infoHeaderSize || u32(dib, 0) != infoHeaderSize || u32(dib, 16) != 0)
        return false;
    bitmap.width = int(u32(dib, 4));
    bitmap.height = int(u32(dib, 8) / 2);
    bitmap.bitCount = u16(dib, 14);
    if (bitmap.width < 1 || bitmap.width > 256 || bitmap.height < 1 || bitmap.height > 256
        || (bitmap.bitCount != 4 && bitmap.bitCount != 8 && bitmap.bitCount != 32))
        return false;
    qint64 at = infoHeaderSize;
    if (bitmap.bitCount <= 8) {
        const qint64 used = u32(dib, 32);
        const qint64 colours = used ? used : 1 << bitmap.bitCount;
        if (colours > 1 << bitmap.bitCount || dib.size() < at + 4 * colours)
            return false;
        for (qint64 i = 0; i < colours; ++i, at += 4)
            bitmap.table.append(qRgb(uchar(dib[at + 2]), uchar(dib[at + 1]), uchar(dib[at])));
    }
    bitmap.pixelsAt = at;
    bitmap.maskAt = at + qint64(stride(bitmap.width, bitmap.bitCount)) * bitmap.height;
    return dib.size() >= bitmap.maskAt + qint64(stride(bitmap.width, 1)) * bitmap.height;
}

// Rows are padded to whole 32-bit words.
int IcoDirectory::stride(int width, int bitCount)
{
    return (width * bitCount + 31) / 32 * 4;
}

int IcoDirectory::u16(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint16>(bytes.constData() + at);
}

qint64 IcoDirectory::u32(const QByteArray &bytes, qint64 at)
{
    return qFromLittleEndian<quint32>(bytes.constData() + at);
}
