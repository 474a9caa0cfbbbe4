#include "icodirectory.h"
#include "iconcomparison.h"
#include "iconpalette.h"
#include "icowriter.h"
#include "tempdir.h"

#include <QBuffer>
#include <QDir>
#include <QImageReader>
#include <QImageWriter>
#include <QMap>
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

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

QByteArray committedFile(const QString &name)
{
    return readFile(QStringLiteral(ZENTAVO_SOURCE_DIR "/") + name);
}

// Where a committed icon is redrawn with a change, to see whether the comparison notices.
enum class Change {
    None,
    TiesRoundedTheOtherWay,
    MostPixelsAllowedOneLevelOff,
    OnePixelMoreThanAllowed,
    AlphaAndGreenAtMostLevelsOff,
    OnePixelOneLevelTooFar,
    EveryOpaquePixelOneLevelRedder,
    ShapeMovedOnePixelRight,
    RedFortyLevelsStronger,
    PalettePixelOnAnotherEntry,
    MaskInverted,
    SmallestImageMissing,
    TwoImagesSwapped,
    PaletteImageOnePixelSmaller,
    FourBitImageAtEightBits,
    PngEntryAsBitmap,
};

struct Layout
{
    int size;
    int bitCount;
    bool png;
};

// What icogen would draw again: the images an icon lists, and the 32-bit drawing of each size
// that its palette images are quantised from, as the committed file stores them.
struct Redrawing
{
    QList<Layout> layout;
    QMap<int, QImage> drawings;
};

Redrawing redrawingOf(const QString &name, const QByteArray &file)
{
    Redrawing redrawing;
    if (name.endsWith(QLatin1String(".png"))) {
        const QImage image = QImage::fromData(file, "png").convertToFormat(QImage::Format_ARGB32);
        redrawing.layout.append({ image.width(), 32, true });
        redrawing.drawings.insert(image.width(), image);
        return redrawing;
    }
    const IcoDirectory directory(file);
    for (const IcoDirectory::Entry &entry : directory.entries()) {
        redrawing.layout.append({ entry.width, entry.bitCount, directory.isPng(entry) });
        if (entry.bitCount == 32)
            redrawing.drawings.insert(entry.width, directory.image(entry));
    }
    return redrawing;
}

QByteArray write(const QString &name, const Redrawing &redrawing)
{
    if (name.endsWith(QLatin1String(".png"))) {
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        QImageWriter(&buffer, "png").write(redrawing.drawings.first());
        return png;
    }
    IcoWriter writer;
    for (const Layout &image : redrawing.layout) {
        const QImage drawing = redrawing.drawings.value(image.size);
        if (image.png)
            writer.addPng(drawing, image.bitCount);
        else
            writer.addBitmap(drawing, image.bitCount);
    }
    return writer.data();
}

// Opaque pixels from the middle row down, where every icon is drawn solid: there a
// level stored is a level shown.
QList<QPoint> opaquePixels(const QImage &image, int count)
{
    QList<QPoint> points;
    for (int y = image.height() / 2; y < image.height() && points.size() < count; ++y)
        for (int x = 0; x < image.width() && points.size() < count; ++x)
            if (qAlpha(image.pixel(x, y)) == 255)
                points.append(QPoint(x, y));
    return points;
}

int nudged(int channel, int levels)
{
    return channel + levels <= 255 ? channel + levels : channel - levels;
}

void nudgeRed(QImage &image, const QPoint &at, int levels)
{
    const QRgb pixel = image.pixel(at);
    image.setPixel(
        at, qRgba(nudged(qRed(pixel), levels), qGreen(pixel), qBlue(pixel), qAlpha(pixel)));
}

// A channel of exact value k + 1/2 once unpremultiplied, which another processor's
// reciprocal may round to the other neighbour; premultiplying either gives back the drawing.
int otherTieRounding(int stored, int premultiplied, int alpha)
{
    const int twice = 2 * 255 * premultiplied;
    if (twice % alpha != 0 || (twice / alpha) % 2 == 0)
        return stored;
    const int down = twice / alpha / 2;
    return stored == down ? down + 1 : down;
}

void roundTiesTheOtherWay(QImage &image)
{
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb stored = image.pixel(x, y);
            const int alpha = qAlpha(stored);
            if (alpha == 0 || alpha == 255)
                continue;
            const QRgb drawn = qPremultiply(stored);
            image.setPixel(x, y,
                qRgba(otherTieRounding(qRed(stored), qRed(drawn), alpha),
                    otherTieRounding(qGreen(stored), qGreen(drawn), alpha),
                    otherTieRounding(qBlue(stored), qBlue(drawn), alpha), alpha));
        }
    }
}

int entryOf(const Redrawing &redrawing, int size, int bitCount)
{
    for (int i = 0; i < redrawing.layout.size(); ++i)
        if (redrawing.layout[i].size == size && redrawing.layout[i].bitCount == bitCount)
            return i;
    return -1;
}

// Changes the stored bytes of a written icon where no drawing could: one palette index,
// or a whole AND mask.
QByteArray changeBitmapBytes(const QByteArray &ico, int index, Change change)
{
    const IcoDirectory directory(ico);
    const IcoDirectory::Entry entry = directory.entries()[index];
    QByteArray changed = ico;
    char *dib = changed.data() + entry.offset;
    const int colourRow = (entry.width * entry.bitCount + 31) / 32 * 4;
    const qint64 pixelsAt = 40 + (entry.bitCount <= 8 ? 4 << entry.bitCount : 0);
    if (change == Change::PalettePixelOnAnotherEntry) {
        const QPoint at = opaquePixels(directory.image(entry), 1).value(0);
        char &index8 = dib[pixelsAt + qint64(entry.height - 1 - at.y()) * colourRow + at.x()];
        index8 = char(uchar(index8) == 255 ? 254 : uchar(index8) + 1);
    } else {
        const int maskRow = (entry.width + 31) / 32 * 4;
        const qint64 maskAt = pixelsAt + qint64(colourRow) * entry.height;
        for (qint64 i = 0; i < qint64(maskRow) * entry.height; ++i)
            dib[maskAt + i] = char(~dib[maskAt + i]);
    }
    return changed;
}

QByteArray redrawnWith(const QString &name, Change change, int size)
{
    Redrawing redrawing = redrawingOf(name, committedFile(name));
    QImage &drawing = redrawing.drawings[size];
    switch (change) {
    case Change::None:
    case Change::PalettePixelOnAnotherEntry:
    case Change::MaskInverted:
        break;
    case Change::TiesRoundedTheOtherWay:
        for (QImage &image : redrawing.drawings)
            roundTiesTheOtherWay(image);
        break;
    case Change::MostPixelsAllowedOneLevelOff:
    case Change::OnePixelMoreThanAllowed: {
        const int count = IconComparison::maxPixels + (change == Change::OnePixelMoreThanAllowed);
        for (const QPoint &at : opaquePixels(drawing, count))
            nudgeRed(drawing, at, 1);
        break;
    }
    case Change::AlphaAndGreenAtMostLevelsOff: {
        const QList<QPoint> at = opaquePixels(drawing, 2);
        const QRgb first = drawing.pixel(at[0]);
        drawing.setPixel(at[0],
            qRgba(qRed(first), qGreen(first), qBlue(first), 255 - IconComparison::maxLevels));
        const QRgb second = drawing.pixel(at[1]);
        drawing.setPixel(at[1],
            qRgb(qRed(second), nudged(qGreen(second), IconComparison::maxLevels), qBlue(second)));
        break;
    }
    case Change::OnePixelOneLevelTooFar:
        nudgeRed(drawing, opaquePixels(drawing, 1)[0], IconComparison::maxLevels + 1);
        break;
    case Change::EveryOpaquePixelOneLevelRedder:
        for (const QPoint &at : opaquePixels(drawing, size * size))
            nudgeRed(drawing, at, 1);
        break;
    case Change::ShapeMovedOnePixelRight: {
        QImage moved(drawing.size(), QImage::Format_ARGB32);
        moved.fill(Qt::transparent);
        for (int y = 0; y < size; ++y)
            for (int x = 1; x < size; ++x)
                moved.setPixel(x, y, drawing.pixel(x - 1, y));
        drawing = moved;
        break;
    }
    case Change::RedFortyLevelsStronger:
        for (int y = 0; y < size; ++y)
            for (int x = 0; x < size; ++x)
                if (qAlpha(drawing.pixel(x, y)))
                    nudgeRed(drawing, QPoint(x, y), 40);
        break;
    case Change::SmallestImageMissing:
        redrawing.layout.removeLast();
        break;
    case Change::TwoImagesSwapped: {
        const int at = entryOf(redrawing, size, 32);
        redrawing.layout.swapItemsAt(at, at + 1);
        break;
    }
    case Change::PaletteImageOnePixelSmaller:
        redrawing.layout[entryOf(redrawing, size, 4)].size = size - 1;
        redrawing.drawings.insert(size - 1, drawing.copy(0, 0, size - 1, size - 1));
        break;
    case Change::FourBitImageAtEightBits:
        redrawing.layout[entryOf(redrawing, size, 4)].bitCount = 8;
        break;
    case Change::PngEntryAsBitmap:
        redrawing.layout[entryOf(redrawing, size, 8)].png = false;
        break;
    }
    const QByteArray file = write(name, redrawing);
    if (change == Change::PalettePixelOnAnotherEntry)
        return changeBitmapBytes(file, entryOf(redrawing, size, 8), change);
    if (change == Change::MaskInverted)
        return changeBitmapBytes(file, entryOf(redrawing, size, 32), change);
    return file;
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
    void redrawnIconsPassOnlyWithinTheTolerance_data();
    void redrawnIconsPassOnlyWithinTheTolerance();
    void treesAgreeOnTheirFilesAndTheBytesOfOthers_data();
    void treesAgreeOnTheirFilesAndTheBytesOfOthers();
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

// The committed icons redrawn with a change, as icogen would write them: what another
// processor's rounding does passes, drift fails and names the image that shows it.
void TestIcoWriter::redrawnIconsPassOnlyWithinTheTolerance_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("change");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("problem");
    const QString button = QStringLiteral("resources/ico/Button Play.ico");
    const QString small = QStringLiteral("resources/ico/Accept.ico");
    const QString app = QStringLiteral("packaging/icons/hicolor/48x48/apps/zentavo.png");
    const auto row = [&](const char *title, const QString &name, Change change, int size,
                         const char *problem) {
        QTest::newRow(title) << name << int(change) << size << QString::fromLatin1(problem);
    };

    row("button redrawn unchanged", button, Change::None, 48, "");
    row("button with every tie rounded the other way, palettes following", button,
        Change::TiesRoundedTheOtherWay, 48, "");
    row("small icon with every tie rounded the other way", small, Change::TiesRoundedTheOtherWay,
        48, "");
    row("app icon with every tie rounded the other way", app, Change::TiesRoundedTheOtherWay, 48,
        "");
    row("the most pixels allowed one level off", button, Change::MostPixelsAllowedOneLevelOff, 48,
        "");
    row("alpha of one pixel and green of another the most levels allowed off", small,
        Change::AlphaAndGreenAtMostLevelsOff, 32, "");
    row("one pixel more than allowed", button, Change::OnePixelMoreThanAllowed, 48,
        "image 16 (48x48, 32-bit bitmap): 5 pixels differ, by up to 1 level");
    row("one pixel a level further than allowed", small, Change::OnePixelOneLevelTooFar, 24,
        "image 2 (24x24, 32-bit bitmap): 1 pixel differs, by up to 3 levels");
    row("app icon one pixel a level further than allowed", app, Change::OnePixelOneLevelTooFar, 48,
        "1 pixel differs, by up to 3 levels");
    row("every opaque pixel one level redder", button, Change::EveryOpaquePixelOneLevelRedder, 24,
        "image 18 (24x24, 32-bit bitmap):");
    row("shape moved one pixel right", button, Change::ShapeMovedOnePixelRight, 16,
        "image 19 (16x16, 32-bit bitmap):");
    row("app icon moved one pixel right", app, Change::ShapeMovedOnePixelRight, 48,
        "pixels differ");
    row("red forty levels stronger", small, Change::RedFortyLevelsStronger, 16,
        "image 3 (16x16, 32-bit bitmap):");
    row("palette pixel on another entry, drawing unchanged", button,
        Change::PalettePixelOnAnotherEntry, 48,
        "image 6 (48x48, 8-bit bitmap): 1 pixel differs where the 32-bit image");
    row("AND mask inverted", button, Change::MaskInverted, 48,
        "image 16 (48x48, 32-bit bitmap): 2304 pixels differ, by up to 0 levels");
    row("smallest image missing", button, Change::SmallestImageMissing, 16,
        "the directories differ: 19 images generated, 20 committed");
    row("two images swapped", small, Change::TwoImagesSwapped, 32,
        "the directories differ: image 1 (24x24, 32-bit bitmap) generated, "
        "image 1 (32x32, 32-bit bitmap) committed");
    row("palette image one pixel smaller", button, Change::PaletteImageOnePixelSmaller, 48,
        "image 1 (47x47, 4-bit bitmap) generated, image 1 (48x48, 4-bit bitmap) committed");
    row("4-bit image at 8 bits", button, Change::FourBitImageAtEightBits, 32,
        "image 2 (32x32, 8-bit bitmap) generated, image 2 (32x32, 4-bit bitmap) committed");
    row("PNG entry as a bitmap", button, Change::PngEntryAsBitmap, 256,
        "image 5 (256x256, 8-bit bitmap) generated, image 5 (256x256, 8-bit PNG) committed");
}

void TestIcoWriter::redrawnIconsPassOnlyWithinTheTolerance()
{
    QFETCH(QString, name);
    QFETCH(int, change);
    QFETCH(int, size);
    QFETCH(QString, problem);
    const QByteArray committed = committedFile(name);
    QVERIFY(!committed.isEmpty());
    const QByteArray redrawn = redrawnWith(name, Change(change), size);
    QVERIFY(!redrawn.isEmpty());
    // Every change leaves a trace in the bytes, so a row that passes tolerates a real one.
    if (Change(change) != Change::None)
        QVERIFY(redrawn != committed);

    const QString why = IconComparison::files(name, redrawn, committed);
    if (problem.isEmpty())
        QVERIFY2(why.isEmpty(), qPrintable(why));
    else
        QVERIFY2(why.contains(problem), qPrintable(why));
}

void TestIcoWriter::treesAgreeOnTheirFilesAndTheBytesOfOthers_data()
{
    QTest::addColumn<QString>("generatedCollection");
    QTest::addColumn<QString>("generatedIcon");
    QTest::addColumn<QString>("committedIcon");
    QTest::addColumn<QString>("committedFolder");
    QTest::addColumn<QStringList>("problems");
    const QString collection = QStringLiteral("<RCC><file>ico/Accept.ico</file></RCC>\n");
    const QString accept = QStringLiteral("ico/Accept.ico");
    const QString folder = QStringLiteral("committed");
    QTest::newRow("same files") << collection << accept << accept << folder << QStringList();
    QTest::newRow("collection one byte longer")
        << collection + QLatin1Char(' ') << accept << accept << folder
        << QStringList { QStringLiteral("icons.qrc: the bytes differ") };
    QTest::newRow("icon under another name")
        << collection << QStringLiteral("ico/accept.ico") << accept << folder
        << QStringList { QStringLiteral("ico/accept.ico: only generated"),
               QStringLiteral("ico/Accept.ico: only committed") };
    QTest::newRow("icon missing from the committed tree")
        << collection << accept << QString() << folder
        << QStringList { QStringLiteral("ico/Accept.ico: only generated") };
    // Two empty or misspelt folders must not agree.
    QTest::newRow("committed folder misspelt")
        << collection << accept << accept << QStringLiteral("comitted")
        << QStringList { QStringLiteral("no committed files"),
               QStringLiteral("ico/Accept.ico: only generated"),
               QStringLiteral("icons.qrc: only generated") };
}

void TestIcoWriter::treesAgreeOnTheirFilesAndTheBytesOfOthers()
{
    QFETCH(QString, generatedCollection);
    QFETCH(QString, generatedIcon);
    QFETCH(QString, committedIcon);
    QFETCH(QString, committedFolder);
    QFETCH(QStringList, problems);
    const TempDir temp;
    QVERIFY(temp.isValid());
    const QString generated = QString::fromStdString(temp.filePath("generated"));
    const QString committed = QString::fromStdString(temp.filePath("committed"));
    QVERIFY(QDir().mkpath(generated + QStringLiteral("/ico")));
    QVERIFY(QDir().mkpath(committed + QStringLiteral("/ico")));
    const QByteArray icon = committedFile(QStringLiteral("resources/ico/Accept.ico"));
    const QByteArray collection("<RCC><file>ico/Accept.ico</file></RCC>\n");
    QVERIFY(writeFile(generated + QStringLiteral("/icons.qrc"), generatedCollection.toUtf8()));
    QVERIFY(writeFile(committed + QStringLiteral("/icons.qrc"), collection));
    QVERIFY(writeFile(generated + QLatin1Char('/') + generatedIcon, icon));
    if (!committedIcon.isEmpty())
        QVERIFY(writeFile(committed + QLatin1Char('/') + committedIcon, icon));

    // One folder named from the working directory, the other in full.
    QCOMPARE(IconComparison::trees(QDir::current().relativeFilePath(generated),
                 QString::fromStdString(temp.filePath(committedFolder.toStdString()))),
        problems);
}

QTEST_APPLESS_MAIN(TestIcoWriter)
#include "test_icowriter.moc"
