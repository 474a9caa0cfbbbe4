#include "icodirectory.h"

#include <QDir>
#include <QFile>
#include <QIcon>
#include <QImageReader>
#include <QPixmap>
#include <QResource>
#include <QtTest>

#include <algorithm>
#include <set>

namespace {

const QStringList smallNames {
    "Accept.ico",
    "Add.ico",
    "Add_fav.ico",
    "Add_user.ico",
    "Alert.ico",
    "Billboard.ico",
    "Cancel.ico",
    "Chat.ico",
    "Close.ico",
    "Communicate.ico",
    "Copy.ico",
    "Cut.ico",
    "Delete.ico",
    "Delete_user.ico",
    "Edit.ico",
    "Faq.ico",
    "Fav.ico",
    "File.ico",
    "File_add.ico",
    "File_delete.ico",
    "File_edit.ico",
    "File_info.ico",
    "Flag.ico",
    "Folder.ico",
    "Folder_add.ico",
    "Folder_alert.ico",
    "Folder_delete.ico",
    "Folder_fav.ico",
    "Folder_info.ico",
    "Home.ico",
    "Info.ico",
    "Key.ico",
    "Lock.ico",
    "Login_in.ico",
    "Login_out.ico",
    "Paperclip.ico",
    "Paste.ico",
    "Percent.ico",
    "Dozud.ico",
    "Prohibit.ico",
    "Refresh.ico",
    "Remove_fav.ico",
    "Ruler.ico",
    "Save.ico",
    "Search.ico",
    "Shoppingbag.ico",
    "Shoppingcart.ico",
    "Star_empty.ico",
    "Star_full.ico",
    "Star_half_full.ico",
    "Telephone.ico",
    "Tools.ico",
    "Unlock.ico",
    "User.ico",
    "Users.ico",
    "Wheel.ico",
    "Wheels.ico",
    "Wrench.ico",
    "Zoom_in.ico",
    "Zoom_out.ico",
};

const QStringList buttonNames {
    "Button Add.ico",
    "Button Cancel.ico",
    "Button Close.ico",
    "Button Delete.ico",
    "Button Fast Forward.ico",
    "Button First.ico",
    "Button Help.ico",
    "Button Info.ico",
    "Button Last.ico",
    "Button Next.ico",
    "Button Pause.ico",
    "Button Play.ico",
    "Button Previous.ico",
    "Button Refresh.ico",
    "Button Reload.ico",
    "Button Rewind.ico",
    "Button Stop.ico",
};

struct Image
{
    int size;
    int bitCount;
    bool png;
    bool operator<(const Image &other) const
    {
        return std::tie(bitCount, size, png) < std::tie(other.bitCount, other.size, other.png);
    }
    bool operator==(const Image &other) const
    {
        return size == other.size && bitCount == other.bitCount && png == other.png;
    }
};

QList<Image> expectedImages(bool button)
{
    if (!button)
        return { { 48, 32, false }, { 32, 32, false }, { 24, 32, false }, { 16, 32, false } };
    QList<Image> images;
    for (const int bitCount : { 4, 8, 32 }) {
        images.append({ 256, bitCount, true });
        for (const int size : { 48, 32, 24, 16 })
            images.append({ size, bitCount, false });
    }
    for (const int size : { 128, 96, 80, 72, 64 })
        images.append({ size, 32, false });
    return images;
}

// Colour rows and mask rows are each padded to 32-bit words; 4- and 8-bit images carry a
// full colour table.
qint64 dibBytes(int size, int bitCount)
{
    const auto stride = [](int bits) { return qint64(bits + 31) / 32 * 4; };
    const qint64 table = bitCount <= 8 ? 4 << bitCount : 0;
    return 40 + table + stride(size * bitCount) * size + stride(size) * size;
}

QByteArray readResource(const QString &name)
{
    QFile file(QStringLiteral(":/ico/") + name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void addIconRows()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("button");
    for (const QString &name : smallNames)
        QTest::newRow(qPrintable(name)) << name << false;
    for (const QString &name : buttonNames)
        QTest::newRow(qPrintable(name)) << name << true;
}

} // namespace

class TestIcons : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase() { Q_INIT_RESOURCE(icons); }
    void collectionHoldsExactlyTheSet();
    void directoryDescribesEveryImage_data() { addIconRows(); }
    void directoryDescribesEveryImage();
    void compressedWithZlibWhenThatSavesSeventyPercent_data() { addIconRows(); }
    void compressedWithZlibWhenThatSavesSeventyPercent();
    void imagesDecodeAtTheirSizes_data() { addIconRows(); }
    void imagesDecodeAtTheirSizes();
    void onScreenIconsShowTheirOwn32PixelImage_data();
    void onScreenIconsShowTheirOwn32PixelImage();
    void pathsOutsideTheSetGiveAnEmptyIcon_data();
    void pathsOutsideTheSetGiveAnEmptyIcon();
};

void TestIcons::collectionHoldsExactlyTheSet()
{
    QStringList expected = smallNames + buttonNames;
    expected.sort();
    QStringList present = QDir(QStringLiteral(":/ico")).entryList(QDir::Files, QDir::Name);
    present.sort();
    QCOMPARE(present, expected);
}

void TestIcons::directoryDescribesEveryImage()
{
    QFETCH(QString, name);
    QFETCH(bool, button);
    const QByteArray file = readResource(name);
    if (!button)
        QCOMPARE(file.size(), 17542);
    const IcoDirectory directory(file);
    QVERIFY(directory.isValid());

    QList<Image> found;
    qint64 end = 6 + 16 * qint64(directory.entries().size());
    for (const IcoDirectory::Entry &entry : directory.entries()) {
        QCOMPARE(entry.offset, end); // entries follow each other without gaps
        end += entry.bytes;
        QCOMPARE(entry.width, entry.height);
        QCOMPARE(entry.planes, 1);
        QCOMPARE(entry.colourCount, entry.bitCount == 4 ? 16 : 0);
        const QByteArray payload = directory.payload(entry);
        const bool png = directory.isPng(entry);
        if (png) {
            // IHDR: width at 16, bit depth at 24, colour type (3 palette, 6 RGBA) at 25.
            QCOMPARE(qFromBigEndian<quint32>(payload.constData() + 16), quint32(entry.width));
            QCOMPARE(int(payload[24]), entry.bitCount == 32 ? 8 : entry.bitCount);
            QCOMPARE(int(payload[25]), entry.bitCount == 32 ? 6 : 3);
        } else {
            QCOMPARE(entry.bytes, dibBytes(entry.width, entry.bitCount));
            QCOMPARE(IcoDirectory::u32(payload, 0), 40);
            QCOMPARE(IcoDirectory::u32(payload, 4), entry.width);
            QCOMPARE(IcoDirectory::u32(payload, 8), 2 * entry.height);
            QCOMPARE(IcoDirectory::u16(payload, 14), entry.bitCount);
        }
        found.append({ entry.width, entry.bitCount, png });
    }
    QCOMPARE(end, file.size());

    QList<Image> expected = expectedImages(button);
    std::sort(found.begin(), found.end());
    std::sort(expected.begin(), expected.end());
    QVERIFY(found == expected);
}

// zlib, not zstd, so that any Qt build reads the icons; an entry is kept compressed only
// when that saves at least 70 % of its bytes, in whole percent.
void TestIcons::compressedWithZlibWhenThatSavesSeventyPercent()
{
    QFETCH(QString, name);
    const QResource resource(QStringLiteral(":/ico/") + name);
    QVERIFY(resource.isValid());
    QFile file(QStringLiteral(ZENTAVO_ICON_DIR "/") + name);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    const int saved = int(100.0 * double(bytes.size() - qCompress(bytes).size()) / bytes.size());
    QCOMPARE(resource.compressionAlgorithm(),
        saved >= 70 ? QResource::ZlibCompression : QResource::NoCompression);
    QCOMPARE(resource.uncompressedData(), bytes);
}

void TestIcons::imagesDecodeAtTheirSizes()
{
    QFETCH(QString, name);
    QFETCH(bool, button);
    const QString path = QStringLiteral(":/ico/") + name;
    QImageReader reader(path);
    QCOMPARE(reader.format(), QByteArray("ico"));
    const QList<Image> expected = expectedImages(button);
    QCOMPARE(reader.imageCount(), expected.size());

    std::set<int> sizes;
    for (int i = 0; i < reader.imageCount(); ++i) {
        QVERIFY(reader.jumpToImage(i));
        const QImage image = reader.read();
        QVERIFY2(!image.isNull(), qPrintable(reader.errorString()));
        QCOMPARE(image.width(), image.height());
        sizes.insert(image.width());
    }
    std::set<int> expectedSizes;
    for (const Image &image : expected)
        expectedSizes.insert(image.size);
    QVERIFY(sizes == expectedSizes);

    const QIcon icon(path);
    std::set<int> iconSizes;
    for (const QSize &size : icon.availableSizes())
        iconSizes.insert(size.width());
    QVERIFY(iconSizes == expectedSizes);
}

void TestIcons::onScreenIconsShowTheirOwn32PixelImage_data()
{
    QTest::addColumn<QString>("name");
    QTest::newRow("program icon") << QStringLiteral("Dozud.ico");
    QTest::newRow("Open button") << QStringLiteral("File_add.ico");
    QTest::newRow("Snapshot button") << QStringLiteral("Billboard.ico");
    QTest::newRow("Close button") << QStringLiteral("Close.ico");
}

// The button shows the icon at 32 x 32: that must be the drawn 32-pixel image, not a
// rescaled one, and it must be a picture rather than an empty or flat square.
void TestIcons::onScreenIconsShowTheirOwn32PixelImage()
{
    QFETCH(QString, name);
    const QString path = QStringLiteral(":/ico/") + name;
    const QImage shown
        = QIcon(path).pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    QCOMPARE(shown.size(), QSize(32, 32));

    QImageReader reader(path);
    QImage drawn;
    for (int i = 0; i < reader.imageCount() && drawn.isNull(); ++i) {
        reader.jumpToImage(i);
        const QImage image = reader.read();
        if (image.width() == 32)
            drawn = image.convertToFormat(QImage::Format_ARGB32);
    }
    QCOMPARE(shown, drawn);

    int covered = 0;
    QSet<QRgb> colours;
    for (int y = 0; y < 32; ++y) {
        for (int x = 0; x < 32; ++x) {
            const QRgb pixel = shown.pixel(x, y);
            covered += qAlpha(pixel) == 255;
            colours.insert(pixel);
        }
    }
    QVERIFY2(covered >= 32 * 32 / 3, qPrintable(QString::number(covered)));
    QVERIFY2(colours.size() >= 16, qPrintable(QString::number(colours.size())));
}

void TestIcons::pathsOutsideTheSetGiveAnEmptyIcon_data()
{
    QTest::addColumn<QString>("path");
    QTest::newRow("name in lower case") << QStringLiteral(":/ico/dozud.ico");
    QTest::newRow("suffix in upper case") << QStringLiteral(":/ico/Dozud.ICO");
    QTest::newRow("prefix in upper case") << QStringLiteral(":/ICO/Dozud.ico");
    QTest::newRow("space left out") << QStringLiteral(":/ico/ButtonPlay.ico");
    QTest::newRow("name outside the set") << QStringLiteral(":/ico/Play.ico");
    QTest::newRow("without the prefix") << QStringLiteral(":/Dozud.ico");
    QTest::newRow("the source folder's path") << QStringLiteral(":/ico/ico/Dozud.ico");
}

void TestIcons::pathsOutsideTheSetGiveAnEmptyIcon()
{
    QFETCH(QString, path);
    QVERIFY(!QFile::exists(path));
    const QIcon icon(path);
    QVERIFY(icon.availableSizes().isEmpty());
    QVERIFY(icon.pixmap(QSize(32, 32)).isNull());
}

QTEST_MAIN(TestIcons)
#include "test_icons.moc"
