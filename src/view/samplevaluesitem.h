#pragma once

#include <QFont>
#include <QGraphicsItem>
#include <QStaticText>

#include <optional>
#include <vector>

class VideoDocument;

// The values of the frame on show, written over the picture, each centred in the pixels
// of its sample (samplevalues.h), in black or white as reads better over them. Text is
// drawn at the screen's own resolution, not scaled with the picture.
class SampleValuesItem : public QGraphicsItem
{
public:
    explicit SampleValuesItem(const VideoDocument &document);

    QRectF boundingRect() const override;
    void paint(QPainter *painter, const QStyleOptionGraphicsItem *option,
        QWidget *widget = nullptr) override;

    // The largest font in which `lines` lines of `digits` digits fit a cell of `width` x
    // `height` screen pixels, a pixel clear of each edge; nothing when none is legible.
    static std::optional<QFont> fontFor(int width, int height, int lines, int digits);

private:
    // The text of `value`, laid out once for `font`: a screenful of cells is redrawn at
    // every frame while the video plays.
    const QStaticText &textOf(std::uint16_t value, const QFont &font);

    const VideoDocument &document_;
    // The frame's pixels, which the item covers; kept, as the scene may ask for them while
    // the window and its document are taken down.
    QRectF frame_;
    std::vector<QStaticText> texts_;
    QFont textsFont_;
};
