#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>

// Assembles a Windows icon file: a directory of entries, each a bottom-up DIB (colour
// bits followed by a 1-bit AND mask) or a PNG. Images keep the order they were added in.
class IcoWriter
{
public:
    void addBitmap(const QImage &image, int bitCount);
    void addPng(const QImage &image, int bitCount);
    int imageCount() const { return int(m_entries.size()); }
    QByteArray data() const;

private:
    struct Entry
    {
        int width;
        int height;
        int bitCount;
        QByteArray payload;
    };

    static QByteArray dib(const QImage &image, int bitCount);
    static QByteArray infoHeader(const QImage &image, int bitCount, int pixelBytes);
    static QByteArray colourTable(int bitCount);
    static QByteArray trueColourRows(const QImage &image);
    static QByteArray indexedRows(const QImage &indexed, int bitCount);
    static QByteArray maskRows(const QImage &image);
    static int stride(int width, int bitCount);

    QList<Entry> m_entries;
};
