#pragma once

#include "iconcatalog.h"

#include <QImage>

// Renders one icon of the catalogue at a given pixel size, on a transparent background.
class IconArtist
{
public:
    static QImage render(const IconSpec &spec, int size);
};
