#pragma once

#include <QBitArray>
#include <QByteArray>
#include <QImage>
#include <QList>

// Reads the directory of a Windows icon file as it is laid out on disk, so the tests can
// check it without going through Qt's icon reader.
class IcoDirectory
{
public:
    struct Entry
    {
        int width;
        int height;
        int colourCount;
        int planes;
        int bitCount;
        qint64 bytes;
        qint64 offset;
    };

    explicit IcoDirectory(const QByteArray &file);

    bool isValid() const { return m_valid; }
    const QList<Entry> &entries() const { return m_entries; }
    QByteArray payload(const Entry &entry) const;
    bool isPng(const Entry &entry) const;

    // The entry's pixels as stored, unpremultiplied ARGB32; a palette bitmap's pixels under
    // its AND mask are transparent. Null when the entry cannot be read.
    QImage image(const Entry &entry) const;
    // A bitmap's AND mask, one bit a pixel in rows from the top, set where the pixel is cut
    // out; empty for PNG entries and bitmaps that cannot be read.
    QBitArray mask(const Entry &entry) const;

    static int u16(const QByteArray &bytes, qint64 at);
    static qint64 u32(const QByteArray &bytes, qint64 at);

private:
    struct Bitmap
    {
        int width = 0;
        int height = 0;
        int bitCount = 0;
        QList<QRgb> table;
        qint64 pixelsAt = 0; // first stored, i.e. bottom, colour row
        qint64 maskAt = 0;
    };

    static bool readBitmap(const QByteArray &dib, Bitmap &bitmap);
    static int stride(int width, int bitCount);

    QByteArray m_file;
    QList<Entry> m_entries;
    bool m_valid = false;
};
