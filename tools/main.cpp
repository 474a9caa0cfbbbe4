#include "iconartist.h"
#include "iconcatalog.h"
#include "icowriter.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTextStream>

#include <algorithm>
#include <cstdio>

namespace {

QByteArray smallIcon(const IconSpec &spec)
{
    IcoWriter writer;
    for (const int size : { 48, 32, 24, 16 })
        writer.addBitmap(IconArtist::render(spec, size), 32);
    return writer.data();
}

// Each colour depth in turn, the 256-pixel image first and stored as PNG.
QByteArray buttonIcon(const IconSpec &spec)
{
    IcoWriter writer;
    for (const int bitCount : { 4, 8, 32 }) {
        writer.addPng(IconArtist::render(spec, 256), bitCount);
        const QList<int> sizes = bitCount == 32 ? QList<int> { 128, 96, 80, 72, 64, 48, 32, 24, 16 }
                                                : QList<int> { 48, 32, 24, 16 };
        for (const int size : sizes)
            writer.addBitmap(IconArtist::render(spec, size), bitCount);
    }
    return writer.data();
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "icogen: cannot write %s\n", qPrintable(path));
        return false;
    }
    return true;
}

QByteArray collection(const QList<IconSpec> &icons)
{
    QByteArray text;
    QTextStream out(&text);
    out << "<!DOCTYPE RCC>\n<RCC version=\"1.0\">\n<qresource prefix=\"/ico\">\n";
    for (const IconSpec &spec : icons)
        out << "    <file alias=\"" << spec.fileName << "\">ico/" << spec.fileName << "</file>\n";
    out << "</qresource>\n</RCC>\n";
    out.flush();
    return text;
}

// The program's own icon, Dozud.ico's artwork, as <dir>/<N>x<N>/apps/zentavo.png in the
// sizes of the freedesktop hicolor theme that desktops look up.
int writeAppIcons(const QDir &theme)
{
    const QList<IconSpec> icons = IconCatalog::all();
    const auto dozud = std::find_if(icons.begin(), icons.end(),
        [](const IconSpec &spec) { return spec.fileName == QLatin1String("Dozud.ico"); });
    if (dozud == icons.end())
        return 1;
    for (const int size : { 16, 22, 24, 32, 48, 64, 128, 256 }) {
        const QString folder = QStringLiteral("%1x%1/apps").arg(size);
        const QString path = theme.filePath(folder + QStringLiteral("/zentavo.png"));
        if (!theme.mkpath(folder) || !IconArtist::render(*dozud, size).save(path, "PNG")) {
            std::fprintf(stderr, "icogen: cannot write %s\n", qPrintable(path));
            return 1;
        }
    }
    return 0;
}

} // namespace

// Writes <dir>/ico/*.ico and the resource collection <dir>/icons.qrc that lists them;
// with --app-icons, the program's icon into a hicolor theme folder instead.
int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    if (argc == 3 && QLatin1String(argv[1]) == QLatin1String("--app-icons"))
        return writeAppIcons(QDir(QString::fromLocal8Bit(argv[2])));
    if (argc != 2) {
        std::fprintf(
            stderr, "usage: icogen <resources-directory> | --app-icons <hicolor-directory>\n");
        return 2;
    }
    const QDir resources(QString::fromLocal8Bit(argv[1]));
    if (!resources.mkpath(QStringLiteral("ico"))) {
        std::fprintf(stderr, "icogen: cannot create %s/ico\n", argv[1]);
        return 1;
    }
    const QList<IconSpec> icons = IconCatalog::all();
    for (const IconSpec &spec : icons) {
        const QByteArray bytes = spec.button ? buttonIcon(spec) : smallIcon(spec);
        if (!writeFile(resources.filePath(QStringLiteral("ico/") + spec.fileName), bytes))
            return 1;
    }
    return writeFile(resources.filePath(QStringLiteral("icons.qrc")), collection(icons)) ? 0 : 1;
}
