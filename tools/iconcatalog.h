#pragma once

#include <QList>
#include <QString>

#include <functional>

class GlyphPainter;

// Every icon of the set: its file name, whether it is a large button icon, and how to draw it.
struct IconSpec
{
    QString fileName;
    bool button;
    std::function<void(GlyphPainter &)> draw;
};

class IconCatalog
{
public:
    static QList<IconSpec> all();

private:
    static QList<IconSpec> smallIcons();
    static QList<IconSpec> buttonIcons();
};
