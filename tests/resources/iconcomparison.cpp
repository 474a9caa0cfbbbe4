#include "iconcomparison.h"

#include "icodirectory.h"

#include <QBitArray>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QImage>

#include <algorithm>
#include <cstdlib>
#include <optional>

namespace {

// An image as stored, and for a bitmap its AND mask.
struct Picture
{
    QImage pixels;
    QBitArray mask;
};

QString describe(const IcoDirectory &directory, int index)
{
    const IcoDirectory::Entry &entry = directory.entries()[index];
    return QStringLiteral("image %1 (%2x%3, %4-bit %5)")
        .arg(index)
        .arg(entry.width)
        .arg(entry.height)
        .arg(entry.bitCount)
        .arg(directory.isPng(entry) ? QStringLiteral("PNG") : QStringLiteral("bitmap"));
}

QString pixelsDiffer(int count)
{
    return count == 1 ? QStringLiteral("1 pixel differs")
                      : QStringLiteral("%1 pixels differ").arg(count);
}

QString levels(int count)
{
    return count == 1 ? QStringLiteral("1 level") : QStringLiteral("%1 levels").arg(count);
}

bool maskDiffers(const Picture &a, const Picture &b, int at)
{
    return !a.mask.isEmpty() && a.mask.testBit(at) != b.mask.testBit(at);
}

int premultipliedLevels(QRgb a, QRgb b)
{
    const QRgb pa = qPremultiply(a);
    const QRgb pb = qPremultiply(b);
    return std::max({ std::abs(qAlpha(pa) - qAlpha(pb)), std::abs(qRed(pa) - qRed(pb)),
        std::abs(qGreen(pa) - qGreen(pb)), std::abs(qBlue(pa) - qBlue(pb)) });
}

// Both pictures have the same size and the same kind of mask.
QString shownDifference(const Picture &generated, const Picture &committed)
{
    const int width = committed.pixels.width();
    int pixels = 0;
    int most = 0;
    for (int y = 0; y < committed.pixels.height(); ++y) {
        const auto *g = reinterpret_cast<const QRgb *>(generated.pixels.constScanLine(y));
        const auto *c = reinterpret_cast<const QRgb *>(committed.pixels.constScanLine(y));
        for (int x = 0; x < width; ++x) {
            const int level = premultipliedLevels(g[x], c[x]);
            if (level > 0 || maskDiffers(generated, committed, y * width + x)) {
                ++pixels;
                most = std::max(most, level);
            }
        }
    }
    if (pixels <= IconComparison::maxPixels && most <= IconComparison::maxLevels)
        return QString();
    return QStringLiteral("%1, by up to %2 (at most %3 may, by %4)")
        .arg(pixelsDiffer(pixels), levels(most), QString::number(IconComparison::maxPixels),
            levels(IconComparison::maxLevels));
}

// Where the stored bytes differ at all, seen or not.
QBitArray storedDifferences(const Picture &generated, const Picture &committed)
{
    const int width = committed.pixels.width();
    QBitArray changed(width * committed.pixels.height());
    for (int y = 0; y < committed.pixels.height(); ++y) {
        const auto *g = reinterpret_cast<const QRgb *>(generated.pixels.constScanLine(y));
        const auto *c = reinterpret_cast<const QRgb *>(committed.pixels.constScanLine(y));
        for (int x = 0; x < width; ++x)
            changed.setBit(
                y * width + x, g[x] != c[x] || maskDiffers(generated, committed, y * width + x));
    }
    return changed;
}

// A 4- or 8-bit image is its own size's 32-bit drawing put through a fixed palette, one
// pixel at a time. Rounding a tie the other way moves such a pixel to a neighbouring entry,
// 51 levels away in the 256-colour table and 80 in the 16-colour one, and did so on 185
// pixels of one 256-px image: no tolerance on levels or counts fits. Instead a palette pixel
// may differ only where the 32-bit image of its size differs at all; that image is held to
// the tolerance, and a changed shape, colour or palette shows in pixels it keeps.
QString paletteDifference(
    const Picture &generated, const Picture &committed, const QBitArray &mayDiffer)
{
    const QBitArray changed = storedDifferences(generated, committed);
    int outside = 0;
    for (qsizetype i = 0; i < changed.size(); ++i)
        outside += changed.testBit(i) && !mayDiffer.testBit(i);
    if (!outside)
        return QString();
    return pixelsDiffer(outside) + QStringLiteral(" where the 32-bit image of that size does not");
}

QString directoryDifference(const IcoDirectory &generated, const IcoDirectory &committed)
{
    const QList<IcoDirectory::Entry> &g = generated.entries();
    const QList<IcoDirectory::Entry> &c = committed.entries();
    if (g.size() != c.size())
        return QStringLiteral("the directories differ: %1 images generated, %2 committed")
            .arg(g.size())
            .arg(c.size());
    for (int i = 0; i < c.size(); ++i) {
        const bool same = g[i].width == c[i].width && g[i].height == c[i].height
            && g[i].colourCount == c[i].colourCount && g[i].planes == c[i].planes
            && g[i].bitCount == c[i].bitCount && generated.isPng(g[i]) == committed.isPng(c[i]);
        if (!same)
            return QStringLiteral("the directories differ: %1 generated, %2 committed")
                .arg(describe(generated, i), describe(committed, i));
    }
    return QString();
}

std::optional<Picture> read(const IcoDirectory &directory, int index)
{
    const IcoDirectory::Entry &entry = directory.entries()[index];
    Picture picture { directory.image(entry), directory.mask(entry) };
    if (picture.pixels.size() != QSize(entry.width, entry.height)
        || (!directory.isPng(entry) && picture.mask.isEmpty()))
        return std::nullopt;
    return picture;
}

QString iconDifference(const QByteArray &generatedFile, const QByteArray &committedFile)
{
    const IcoDirectory generated(generatedFile);
    const IcoDirectory committed(committedFile);
    if (!generated.isValid() || !committed.isValid())
        return QStringLiteral("not an icon file");
    const QString directory = directoryDifference(generated, committed);
    if (!directory.isEmpty())
        return directory;

    const QList<IcoDirectory::Entry> &entries = committed.entries();
    QList<Picture> generatedPictures;
    QList<Picture> committedPictures;
    for (int i = 0; i < entries.size(); ++i) {
        const std::optional<Picture> g = read(generated, i);
        const std::optional<Picture> c = read(committed, i);
        if (!g || !c)
            return describe(committed, i) + QStringLiteral(" cannot be read");
        generatedPictures.append(*g);
        committedPictures.append(*c);
    }
    for (int i = 0; i < entries.size(); ++i) {
        QString why;
        if (entries[i].bitCount == 32) {
            why = shownDifference(generatedPictures[i], committedPictures[i]);
        } else {
            const auto trueColour = std::find_if(
                entries.begin(), entries.end(), [&](const IcoDirectory::Entry &entry) {
                    return entry.bitCount == 32 && entry.width == entries[i].width;
                });
            const qsizetype at = trueColour - entries.begin();
            const QBitArray mayDiffer = trueColour == entries.end()
                ? QBitArray(entries[i].width * entries[i].height)
                : storedDifferences(generatedPictures[at], committedPictures[at]);
            why = paletteDifference(generatedPictures[i], committedPictures[i], mayDiffer);
        }
        if (!why.isEmpty())
            return describe(committed, i) + QStringLiteral(": ") + why;
    }
    return QString();
}

QString pngDifference(const QByteArray &generatedFile, const QByteArray &committedFile)
{
    // A PNG has no AND mask.
    const Picture generated {
        QImage::fromData(generatedFile, "png").convertToFormat(QImage::Format_ARGB32), QBitArray()
    };
    const Picture committed {
        QImage::fromData(committedFile, "png").convertToFormat(QImage::Format_ARGB32), QBitArray()
    };
    if (generated.pixels.isNull() || committed.pixels.isNull())
        return QStringLiteral("not a PNG picture");
    if (generated.pixels.size() != committed.pixels.size())
        return QStringLiteral("the sizes differ");
    return shownDifference(generated, committed);
}

QStringList relativeFiles(const QString &root)
{
    QStringList names;
    // Absolute, as a path relative to the working directory is not made relative to root.
    const QDir base(QDir(root).absolutePath());
    QDirIterator it(base.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext())
        names.append(base.relativeFilePath(it.next()));
    names.sort();
    return names;
}

QByteArray contents(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

} // namespace

QStringList IconComparison::trees(const QString &generated, const QString &committed)
{
    const QStringList made = relativeFiles(generated);
    const QStringList kept = relativeFiles(committed);
    QStringList problems;
    // Two empty or misspelt folders would otherwise agree.
    if (kept.isEmpty())
        problems.append(QStringLiteral("no committed files"));
    for (const QString &name : made)
        if (!kept.contains(name))
            problems.append(name + QStringLiteral(": only generated"));
    for (const QString &name : kept)
        if (!made.contains(name))
            problems.append(name + QStringLiteral(": only committed"));
    for (const QString &name : made) {
        if (!kept.contains(name))
            continue;
        const QString why = files(name, contents(generated + QLatin1Char('/') + name),
            contents(committed + QLatin1Char('/') + name));
        if (!why.isEmpty())
            problems.append(name + QStringLiteral(": ") + why);
    }
    return problems;
}

QString IconComparison::files(
    const QString &name, const QByteArray &generated, const QByteArray &committed)
{
    if (name.endsWith(QLatin1String(".ico")))
        return iconDifference(generated, committed);
    if (name.endsWith(QLatin1String(".png")))
        return pngDifference(generated, committed);
    return generated == committed ? QString() : QStringLiteral("the bytes differ");
}
