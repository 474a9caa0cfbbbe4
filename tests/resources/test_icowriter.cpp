#include "icodirectory.h"
#include "iconpalette.h"
#include "icowriter.h"

#include <QBuffer>
#include <QImageReader>
#include <QtTest>

namespace {

// A few colours that both palettes hold exactly, so they survive quantising unchanged.
const QRgb paletteRed = qRgb(255, 0, 0);
const QRgb paletteWhite = qRgb(255, 255, 255);
const QRgb paletteBlue = qRgb(0, 0, 255);

QImage sample(int width, int height)
{
    QImage image(width, height, QImage::Format_ARGB32);
    const QRgb colours[] = { paletteRed, paletteWhite, paletteBlue };
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, colours[(x + 2 * y) % 3]);
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    return image;
}

QImage readBack(const QByteArray &ico, int index = 0)
{
    QBuffer buffer;
    buffer.setData(ico);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "ico");
    reader.jumpToImage(index);
    return reader.read().convertToFormat(QImage::Format_ARGB32);
}

} // namespace

class TestIcoWriter : public QObject
{
    Q_OBJECT

private slots:
    void bitmapSizeFollowsDepthAndPadding_data();
    void bitmapSizeFollowsDepthAndPadding();
    void fourTrueColourImagesMakeTheSmallIconSize();
    void directoryListsImagesInOrderWith256AsZero();
    void maskRowsAreBottomUpWithLeftPixelInTopBit();
    void bitmapsDecodeToTheDrawnPixels_data();
    void bitmapsDecodeToTheDrawnPixels();
    void pngEntriesKeepTheirDepth_data();
    void pngEntriesKeepTheirDepth();
    void palettesStartWithBlackAndRepeatNoColour_data();
    void palettesStartWithBlackAndRepeatNoColour();
    void quantiseKeepsIndexZeroForTransparency();
};

void TestIcoWriter::bitmapSizeFollowsDepthAndPadding_data()
{
    QTest::addColumn<int>("size");
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("bytes");
    QTest::newRow("32-bit 48 px") << 48 << 32 << 40 + 48 * 48 * 4 + 8 * 48;
    QTest::newRow("32-bit 16 px, mask row padded from 2 to 4 bytes") << 16 << 32 << 1128;
    QTest::newRow("32-bit 80 px, mask row padded from 10 to 12 bytes") << 80 << 32 << 26600;
    QTest::newRow("32-bit 72 px, mask row padded from 9 to 12 bytes") << 72 << 32 << 21640;
    QTest::newRow("8-bit 24 px after a 1024-byte table") << 24 << 8 << 40 + 1024 + 576 + 96;
    QTest::newRow("4-bit 16 px after a 64-byte table") << 16 << 4 << 40 + 64 + 128 + 64;
    QTest::newRow("4-bit 5 px, colour row padded from 3 to 4 bytes") << 5 << 4 << 40 + 64 + 20 + 20;
    QTest::newRow("8-bit 1 px, both rows padded to 4 bytes") << 1 << 8 << 40 + 1024 + 4 + 4;
}

void TestIcoWriter::bitmapSizeFollowsDepthAndPadding()
{
    QFETCH(int, size);
    QFETCH(int, bitCount);
    QFETCH(int, bytes);
    IcoWriter writer;
    writer.addBitmap(sample(size, size), bitCount);
    const QByteArray ico = writer.data();
    QCOMPARE(ico.size(), 6 + 16 + bytes);
    const IcoDirectory directory(ico);
    QVERIFY(directory.isValid());
    QCOMPARE(directory.entries().size(), 1);
    QCOMPARE(directory.entries()[0].bytes, bytes);
    const QByteArray dib = directory.payload(directory.entries()[0]);
    QCOMPARE(IcoDirectory::u32(dib, 20), bytes - 40 - (bitCount <= 8 ? 4 << bitCount : 0));
}

void TestIcoWriter::fourTrueColourImagesMakeTheSmallIconSize()
{
    IcoWriter writer;
    for (const int size : { 48, 32, 24, 16 })
        writer.addBitmap(sample(size, size), 32);
    QCOMPARE(writer.imageCount(), 4);
    QCOMPARE(writer.data().size(), 17542);
}

void TestIcoWriter::directoryListsImagesInOrderWith256AsZero()
{
    IcoWriter writer;
    writer.addBitmap(sample(48, 48), 32);
    writer.addPng(sample(256, 256), 8);
    writer.addBitmap(sample(16, 16), 4);
    const QByteArray ico = writer.data();
    QCOMPARE(ico.left(6), QByteArray("\0\0\1\0\3\0", 6));
    QCOMPARE(ico[6 + 16], '\0'); // width byte of the 256-pixel entry
    QCOMPARE(ico[6 + 16 + 1], '\0');

    const IcoDirectory directory(ico);
    QVERIFY(directory.isValid());
    const QList<IcoDirectory::Entry> entries = directory.entries();
    QCOMPARE(entries.size(), 3);
    QCOMPARE(entries[0].width, 48);
    QCOMPARE(entries[1].width, 256);
    QCOMPARE(entries[2].width, 16);
    QCOMPARE(entries[0].bitCount, 32);
    QCOMPARE(entries[1].bitCount, 8);
    QCOMPARE(entries[2].bitCount, 4);
    QCOMPARE(entries[0].colourCount, 0);
    QCOMPARE(entries[2].colourCount, 16);
    QCOMPARE(entries[0].offset, 6 + 3 * 16);
    QCOMPARE(entries[1].offset, entries[0].offset + entries[0].bytes);
    QCOMPARE(entries[2].offset, entries[1].offset + entries[1].bytes);
    QCOMPARE(entries[2].offset + entries[2].bytes, ico.size());
}

// A 9 x 2 image with only its top-left pixel transparent: the mask's first stored row is
// the bottom one (all clear), the second starts with bit 0x80 set; 9 pixels need 2 bytes,
// padded to 4.
void TestIcoWriter::maskRowsAreBottomUpWithLeftPixelInTopBit()
{
    QImage image(9, 2, QImage::Format_ARGB32);
    image.fill(qRgb(10, 20, 30));
    image.setPixel(0, 0, qRgba(0, 0, 0, 0));
    image.setPixel(0, 1, qRgba(40, 50, 60, 255));
    IcoWriter writer;
    writer.addBitmap(image, 32);
    const IcoDirectory directory(writer.data());
    const QByteArray dib = directory.payload(directory.entries()[0]);
    QCOMPARE(IcoDirectory::u32(dib, 8), 4); // twice the height: colour rows and mask rows

    const QByteArray firstPixel = dib.mid(40, 4);
    QCOMPARE(firstPixel, QByteArray("\x3c\x32\x28\xff", 4)); // B, G, R, A of (0, 1)
    const QByteArray mask = dib.mid(40 + 9 * 2 * 4);
    QCOMPARE(mask, QByteArray("\0\0\0\0\x80\0\0\0", 8));
}

void TestIcoWriter::bitmapsDecodeToTheDrawnPixels_data()
{
    QTest::addColumn<int>("bitCount");
    QTest::newRow("4-bit") << 4;
    QTest::newRow("8-bit") << 8;
    QTest::newRow("32-bit") << 32;
}

void TestIcoWriter::bitmapsDecodeToTheDrawnPixels()
{
    QFETCH(int, bitCount);
    const QImage image = sample(13, 7);
    IcoWriter writer;
    writer.addBitmap(image, bitCount);
    const QImage decoded = readBack(writer.data());
    QCOMPARE(decoded.size(), image.size());
    QCOMPARE(qAlpha(decoded.pixel(0, 0)), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (x || y)
                QCOMPARE(decoded.pixel(x, y), image.pixel(x, y));

    // The tests' own reader gives the stored pixels too, and the mask apart.
    const IcoDirectory directory(writer.data());
    const QImage stored = directory.image(directory.entries()[0]);
    const QBitArray mask = directory.mask(directory.entries()[0]);
    QCOMPARE(stored.size(), image.size());
    QCOMPARE(mask.size(), image.width() * image.height());
    QCOMPARE(mask.count(true), 1);
    QVERIFY(mask.testBit(0));
    QCOMPARE(qAlpha(stored.pixel(0, 0)), 0);
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (x || y)
                QCOMPARE(stored.pixel(x, y), image.pixel(x, y));
}

void TestIcoWriter::pngEntriesKeepTheirDepth_data()
{
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("pngDepth");
    QTest::addColumn<int>("colourType");
    QTest::newRow("4-bit palette") << 4 << 4 << 3;
    QTest::newRow("8-bit palette") << 8 << 8 << 3;
    QTest::newRow("32-bit RGBA") << 32 << 8 << 6;
}

void TestIcoWriter::pngEntriesKeepTheirDepth()
{
    QFETCH(int, bitCount);
    QFETCH(int, pngDepth);
    QFETCH(int, colourType);
    const QImage image = sample(256, 256);
    IcoWriter writer;
    writer.addPng(image, bitCount);
    const QByteArray ico = writer.data();
    const IcoDirectory directory(ico);
    QCOMPARE(directory.entries()[0].bitCount, bitCount);
    const QByteArray png = directory.payload(directory.entries()[0]);
    QVERIFY(png.startsWith("\x89PNG\r\n\x1a\n"));
    QCOMPARE(png.mid(12, 4), QByteArray("IHDR"));
    QCOMPARE(int(png[24]), pngDepth);
    QCOMPARE(int(png[25]), colourType);

    // Qt's PNG reader checks every chunk's CRC, so a clean decode also vouches for them.
    const QImage decoded = QImage::fromData(png, "png").convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(decoded.size(), image.size());
    QCOMPARE(qAlpha(decoded.pixel(0, 0)), 0);
    QCOMPARE(decoded.pixel(1, 0), image.pixel(1, 0));
    QCOMPARE(decoded.pixel(255, 255), image.pixel(255, 255));
    QCOMPARE(readBack(ico), decoded);
}

void TestIcoWriter::palettesStartWithBlackAndRepeatNoColour_data()
{
    QTest::addColumn<int>("bitCount");
    QTest::addColumn<int>("entries");
    QTest::newRow("4-bit") << 4 << 16;
    QTest::newRow("8-bit") << 8 << 256;
}

void TestIcoWriter::palettesStartWithBlackAndRepeatNoColour()
{
    QFETCH(int, bitCount);
    QFETCH(int, entries);
    const QList<QRgb> colours = IconPalette::colours(bitCount);
    QCOMPARE(colours.size(), entries);
    QCOMPARE(colours[0], qRgb(0, 0, 0));
    const QSet<QRgb> distinct(colours.begin() + 1, colours.end());
    QCOMPARE(distinct.size(), entries - 1);
}

// Index 0 means "cut out": an opaque pixel, even a black one, must never land there.
void TestIcoWriter::quantiseKeepsIndexZeroForTransparency()
{
    QImage image(4, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgba(255, 0, 0, 127));
    image.setPixel(1, 0, qRgba(255, 0, 0, 128));
    image.setPixel(2, 0, qRgb(0, 0, 0));
    image.setPixel(3, 0, paletteBlue);
    for (const int bitCount : { 4, 8 }) {
        const QImage indexed = IconPalette::quantise(image, bitCount);
        QCOMPARE(indexed.format(), QImage::Format_Indexed8);
        QCOMPARE(indexed.pixelIndex(0, 0), 0);
        QCOMPARE(indexed.color(0), qRgba(0, 0, 0, 0));
        QCOMPARE(indexed.pixel(1, 0), paletteRed);
        QVERIFY(indexed.pixelIndex(2, 0) != 0);
        QCOMPARE(indexed.pixel(3, 0), paletteBlue);
    }
}

QTEST_APPLESS_MAIN(TestIcoWriter)
#include "test_icowriter.moc"
