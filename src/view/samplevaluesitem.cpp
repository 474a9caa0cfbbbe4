#include "samplevaluesitem.h"

#include "samplevalues.h"
#include "videodocument.h"

#include <QFontMetrics>
#include <QPainter>
#include <QStyleOptionGraphicsItem>

#include <algorithm>
#include <cmath>

namespace {

// Digits less than 6 pixels high no longer read as digits (4095 in 4 pixels reads as a
// blot); at 16 a cell holds them at ease.
constexpr int shortestDigits = 6;
constexpr int smallestFontPixels = 5;
constexpr int largestFontPixels = 16;
// Clear pixels between the text and the cell's edges, and between lines.
constexpr int cellMargin = 1;
constexpr int lineGap = 1;

// The ink of a line of digits: how far it rises above the baseline, and how high it is.
QRect digitInk(const QFontMetrics &metrics)
{
    return metrics.tightBoundingRect(QStringLiteral("0123456789"));
}

int decimalDigits(unsigned value)
{
    int digits = 1;
    while (value >= 10) {
        value /= 10;
        ++digits;
    }
    return digits;
}

} // namespace

SampleValuesItem::SampleValuesItem(const VideoDocument &document)
    : document_(document)
    , frame_(0, 0, document.format().width(), document.format().height())
{
    setFlag(ItemUsesExtendedStyleOption);
    // Above the picture, which the scene holds at 0.
    setZValue(1);
}

QRectF SampleValuesItem::boundingRect() const
{
    return frame_;
}

std::optional<QFont> SampleValuesItem::fontFor(int width, int height, int lines, int digits)
{
    const QString widest(digits, QLatin1Char('0'));
    for (int pixels = largestFontPixels; pixels >= smallestFontPixels; --pixels) {
        // The condensed face often fits a size larger; the plain one reads better at equal size.
        for (const int stretch : { int(QFont::Unstretched), int(QFont::Condensed) }) {
            QFont font;
            font.setPixelSize(pixels);
            font.setStretch(stretch);
            // Crisp pixels of one colour: grey edges would blur digits this small.
            font.setStyleStrategy(QFont::NoAntialias);
            const QFontMetrics metrics(font);
            const int digitHeight = digitInk(metrics).height();
            if (digitHeight < shortestDigits)
                continue;
            // Digits share one advance, so zeros are as wide as any value of as many digits.
            const int needWidth = metrics.horizontalAdvance(widest) + 2 * cellMargin;
            const int needHeight = lines * digitHeight + (lines - 1) * lineGap + 2 * cellMargin;
            if (needWidth <= width && needHeight <= height)
                return font;
        }
    }
    return std::nullopt;
}

const QStaticText &SampleValuesItem::textOf(std::uint16_t value, const QFont &font)
{
    if (font != textsFont_) {
        texts_.clear();
        textsFont_ = font;
    }
    if (texts_.size() <= value)
        texts_.resize(std::size_t(value) + 1);
    QStaticText &text = texts_[value];
    if (text.text().isEmpty()) {
        text.setText(QString::number(value));
        text.setTextFormat(Qt::PlainText);
        text.prepare(QTransform(), font);
    }
    return text;
}

void SampleValuesItem::paint(
    QPainter *painter, const QStyleOptionGraphicsItem *option, QWidget * /*widget*/)
{
    const FrameFormat &format = document_.format();
    const int view = document_.view();
    const int allLines = valueLines(format, view);
    if (allLines == 0 || !document_.pictureDrawn())
        return;
    const QTransform toScreen = painter->worldTransform();
    // Only the pixels on the device: however large the frame, the work is bounded by the
    // screen.
    QRectF area = option->exposedRect.intersected(boundingRect())
                      .intersected(toScreen.inverted().mapRect(
                          QRectF(0, 0, painter->device()->width(), painter->device()->height())));
    if (painter->hasClipping())
        area = area.intersected(painter->clipBoundingRect());
    const int left = int(std::floor(area.left()));
    const int top = int(std::floor(area.top()));
    const int right = std::min(int(std::ceil(area.right())), format.width());
    const int bottom = std::min(int(std::ceil(area.bottom())), format.height());
    const int digits = decimalDigits(widestValue(format, view));
    const QImage &picture = document_.picture();

    painter->save();
    painter->setWorldTransform(QTransform());
    std::optional<QFont> font;
    QRect ink;
    int ascent = 0;
    QSize fontCell;
    int lines = allLines;
    std::optional<bool> darkPen;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            const ValueCell cell = document_.valueCellAt({ x, y });
            // A cell of several pixels is written once, from its first pixel on show.
            if ((cell.x != x && x != left) || (cell.y != y && y != top))
                continue;
            const QRect box
                = toScreen.mapRect(QRectF(cell.x, cell.y, cell.width, cell.height)).toAlignedRect();
            if (box.size() != fontCell) {
                fontCell = box.size();
                // The colour view's Y, U and V need three lines; where they do not fit, its Y
                // alone is written.
                lines = allLines;
                font = fontFor(box.width(), box.height(), lines, digits);
                if (!font && lines > 1) {
                    lines = 1;
                    font = fontFor(box.width(), box.height(), lines, digits);
                }
                if (font) {
                    painter->setFont(*font);
                    const QFontMetrics metrics(*font);
                    ink = digitInk(metrics);
                    ascent = metrics.ascent();
                }
            }
            if (!font)
                continue;
            const bool dark = darkTextOver(picture.pixel(cell.x, cell.y));
            if (darkPen != dark) {
                painter->setPen(dark ? Qt::black : Qt::white);
                darkPen = dark;
            }
            const int textHeight = lines * ink.height() + (lines - 1) * lineGap;
            int lineTop = box.top() + (box.height() - textHeight) / 2;
            for (int line = 0; line < lines; ++line) {
                const QStaticText &text = textOf(cell.values[std::size_t(line)], *font);
                // Centred by its advance, which holds the digits' ink; placed by the top of
                // its line, the ink's top being the ascent less the ink's rise.
                painter->drawStaticText(box.left() + (box.width() - int(text.size().width())) / 2,
                    lineTop - ink.top() - ascent, text);
                lineTop += ink.height() + lineGap;
            }
        }
    }
    painter->restore();
}
