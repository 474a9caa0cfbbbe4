#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

// Whether icon files drawn again show what the committed ones show. Antialiased drawing and
// its conversion out of premultiplied alpha round differently from one processor to another,
// so pictures (.ico, .png) are compared as they show, within the tolerance below; any other
// file must keep its bytes.
class IconComparison
{
public:
    // Pixels are compared premultiplied, as they look over any background. Unpremultiplying
    // divides through the processor's approximate reciprocal, so a stored channel whose exact
    // value ends in .5 may round either way, one level apart, on up to 420 pixels of a 256-px
    // image; premultiplied again, every pixel of the set gives back the drawing exactly,
    // whichever way its ties went. What is left is margin for the drawing itself rounding
    // apart: at most maxPixels pixels of an image may differ, each channel, alpha included,
    // by at most maxLevels. A shape moved or a colour changed touches far more.
    static constexpr int maxLevels = 2;
    static constexpr int maxPixels = 4;

    // One line for each file that differs or is missing on one side; empty when the trees
    // under the two folders agree.
    static QStringList trees(const QString &generated, const QString &committed);
    // Why the generated file differs from the committed one of that name, or an empty string.
    static QString files(
        const QString &name, const QByteArray &generated, const QByteArray &committed);
};
