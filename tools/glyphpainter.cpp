#include "glyphpainter.h"

#include "markpaths.h"

#include <QLinearGradient>
#include <QPainter>
#include <QRadialGradient>
#include <QtMath>

namespace {

const QColor green(0x2e, 0x9d, 0x4c);
const QColor red(0xd9, 0x30, 0x25);
const QColor blue(0x1a, 0x73, 0xe8);
const QColor sky(0x4a, 0x90, 0xd9);
const QColor orange(0xef, 0x8a, 0x2c);
const QColor gold(0xf5, 0xb8, 0x2e);
const QColor paper(0xfa, 0xfa, 0xfa);
const QColor steel(0x8a, 0x96, 0xa3);
const QColor slate(0x5f, 0x6b, 0x7a);
const QColor ink(0x3a, 0x3a, 0x3a);
const QColor skin(0xf2, 0xc4, 0x9b);

// Every small-icon shape is outlined with this width, in 48ths of the icon.
const qreal outlineWidth = 1.6;

QPainterPath polygon(std::initializer_list<QPointF> points)
{
    QPainterPath path;
    path.addPolygon(QPolygonF(QList<QPointF>(points)));
    path.closeSubpath();
    return path;
}

QPainterPath rounded(const QRectF &rect, qreal radius)
{
    QPainterPath path;
    path.addRoundedRect(rect, radius, radius);
    return path;
}

QPainterPath ellipse(const QPointF &centre, qreal radius)
{
    QPainterPath path;
    path.addEllipse(centre, radius, radius);
    return path;
}

} // namespace

GlyphPainter::GlyphPainter(QPainter &painter)
    : m_painter(painter)
{
    m_painter.setRenderHint(QPainter::Antialiasing);
}

void GlyphPainter::button(const QPainterPath &mark, const QColor &tint)
{
    QRadialGradient body(QPointF(20, 15), 34);
    body.setColorAt(0, tint.lighter(135));
    body.setColorAt(1, tint.darker(135));
    m_painter.setPen(QPen(tint.darker(190), 1.2));
    m_painter.setBrush(body);
    m_painter.drawEllipse(QPointF(24, 24), 22, 22);

    QLinearGradient gloss(0, 3, 0, 22);
    gloss.setColorAt(0, QColor(255, 255, 255, 170));
    gloss.setColorAt(1, QColor(255, 255, 255, 0));
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(gloss);
    m_painter.drawEllipse(QRectF(9, 3.5, 30, 19));
    whiteMark(mark);
}

// A smaller picture in the lower right corner, set off from the one below by a white halo.
void GlyphPainter::badge(Glyph glyph)
{
    m_painter.save();
    m_painter.setPen(Qt::NoPen);
    m_painter.setBrush(QColor(255, 255, 255, 230));
    m_painter.drawEllipse(QPointF(35, 35), 13, 13);
    m_painter.translate(23, 23);
    m_painter.scale(0.5, 0.5);
    (this->*glyph)();
    m_painter.restore();
}

void GlyphPainter::accept()
{
    disc(green, MarkPaths::check());
}

void GlyphPainter::add()
{
    disc(green, MarkPaths::plus());
}

void GlyphPainter::remove()
{
    disc(red, MarkPaths::minus());
}

void GlyphPainter::cancel()
{
    disc(red, MarkPaths::cross());
}

void GlyphPainter::info()
{
    disc(blue, MarkPaths::info());
}

void GlyphPainter::percent()
{
    disc(orange, MarkPaths::percent());
}

void GlyphPainter::alert()
{
    QPainterPath triangle = polygon({ { 24, 4 }, { 45, 42 }, { 3, 42 } });
    m_painter.save();
    m_painter.setPen(QPen(QColor(0xb8, 0x86, 0x0b), 3, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    m_painter.setBrush(QColor(0xfb, 0xc8, 0x2d));
    m_painter.drawPath(triangle);
    m_painter.restore();
    QPainterPath mark = rounded(QRectF(21.3, 15, 5.4, 16), 2.7);
    mark.addEllipse(QPointF(24, 36), 3, 3);
    m_painter.fillPath(mark, ink);
}

void GlyphPainter::prohibit()
{
    QPainterPath ring = ellipse(QPointF(24, 24), 21).subtracted(ellipse(QPointF(24, 24), 14.5));
    QPainterPath bar = rounded(QRectF(4, 20.75, 40, 6.5), 0);
    bar = QTransform().translate(24, 24).rotate(45).translate(-24, -24).map(bar);
    bar = bar.intersected(ellipse(QPointF(24, 24), 17));
    fill(ring.united(bar), red);
}

// The program's own icon: the Y, U and V planes of a frame stacked like sheets.
void GlyphPainter::planes()
{
    fill(rounded(QRectF(18, 3, 27, 27), 3), QColor(0xe0, 0x4a, 0x5f));
    fill(rounded(QRectF(11, 10, 27, 27), 3), QColor(0x2f, 0x7f, 0xdf));

    const QRectF front(4, 17, 27, 27);
    QLinearGradient luma(front.topLeft(), front.bottomRight());
    luma.setColorAt(0, QColor(0xf4, 0xf4, 0xf4));
    luma.setColorAt(1, QColor(0x70, 0x70, 0x70));
    const QPainterPath sheet = rounded(front, 3);
    m_painter.fillPath(sheet, luma);
    m_painter.save();
    m_painter.setClipPath(sheet);
    m_painter.fillPath(polygon({ { 4, 44 }, { 4, 37 }, { 13, 28 }, { 19, 34 }, { 23, 31 },
                           { 31, 38 }, { 31, 44 } }),
        QColor(0x38, 0x38, 0x38));
    m_painter.fillPath(ellipse(QPointF(24.5, 24), 3), Qt::white);
    m_painter.restore();
    stroke(sheet, QColor(0x26, 0x26, 0x26), outlineWidth);
}

// A framed picture of hills under the sun, standing on two legs.
void GlyphPainter::billboard()
{
    QPainterPath legs(QPointF(14, 32));
    legs.lineTo(11, 46);
    legs.moveTo(34, 32);
    legs.lineTo(37, 46);
    stroke(legs, QColor(0x5d, 0x40, 0x37), 4);
    fill(rounded(QRectF(2.5, 4, 43, 30), 3), QColor(0x8d, 0x5a, 0x3b));

    const QRectF picture(7, 8.5, 34, 21);
    m_painter.fillRect(picture, QColor(0x8f, 0xd0, 0xf7));
    m_painter.save();
    m_painter.setClipRect(picture);
    m_painter.fillPath(ellipse(QPointF(33, 14.5), 3.8), QColor(0xff, 0xc1, 0x07));
    QPainterPath hills(QPointF(7, 30));
    hills.lineTo(7, 24);
    hills.quadTo(15, 15, 24, 23);
    hills.quadTo(32, 18, 41, 22);
    hills.lineTo(41, 30);
    hills.closeSubpath();
    m_painter.fillPath(hills, QColor(0x3f, 0xa3, 0x46));
    m_painter.restore();
}

void GlyphPainter::close()
{
    fill(rounded(QRectF(4, 4, 40, 40), 9), QColor(0xe0, 0x40, 0x3a));
    whiteMark(MarkPaths::scaled(MarkPaths::cross(), 1.1, QPointF(24, 24)));
}

void GlyphPainter::chat()
{
    fill(bubble(QRectF(3, 5, 42, 30), QPointF(10, 44)), sky);
    QPainterPath dots = ellipse(QPointF(14.5, 20), 3);
    dots.addEllipse(QPointF(24, 20), 3, 3);
    dots.addEllipse(QPointF(33.5, 20), 3, 3);
    m_painter.fillPath(dots, Qt::white);
}

void GlyphPainter::communicate()
{
    fill(bubble(QRectF(17, 3, 28, 21), QPointF(40, 31)), QColor(0x5c, 0xb8, 0x5c));
    fill(bubble(QRectF(3, 16, 31, 22), QPointF(8, 45)), sky);
    QPainterPath dots = ellipse(QPointF(11.5, 27), 2.4);
    dots.addEllipse(QPointF(18.5, 27), 2.4, 2.4);
    dots.addEllipse(QPointF(25.5, 27), 2.4, 2.4);
    m_painter.fillPath(dots, Qt::white);
}

void GlyphPainter::faq()
{
    fill(bubble(QRectF(3, 3, 42, 33), QPointF(10, 45)), sky);
    whiteMark(MarkPaths::scaled(MarkPaths::question(), 0.8, QPointF(24, 19.5)));
}

void GlyphPainter::document()
{
    documentIn(QRectF(8, 2, 32, 44));
}

void GlyphPainter::copy()
{
    documentIn(QRectF(3, 2, 26, 34));
    documentIn(QRectF(17, 12, 26, 34));
}

void GlyphPainter::paste()
{
    fill(rounded(QRectF(6, 6, 36, 40), 4), QColor(0xb0, 0x7a, 0x48));
    fill(rounded(QRectF(11, 12, 26, 30), 1), paper);
    QPainterPath lines;
    for (qreal y = 20; y < 38; y += 5) {
        lines.moveTo(15, y);
        lines.lineTo(y < 34 ? 33 : 26, y);
    }
    stroke(lines, QColor(0xb0, 0xb0, 0xb0), 2);
    fill(rounded(QRectF(16, 2, 16, 8), 2), QColor(0xb8, 0xc0, 0xc8));
}

void GlyphPainter::cut()
{
    QPainterPath blades(QPointF(18, 29));
    blades.lineTo(34, 4);
    blades.moveTo(30, 29);
    blades.lineTo(14, 4);
    stroke(blades, QColor(0x7a, 0x86, 0x92), 5);
    stroke(blades, QColor(0xcf, 0xd8, 0xdc), 2.2);
    QPainterPath rings = ellipse(QPointF(14, 37), 6.5);
    rings.addEllipse(QPointF(34, 37), 6.5, 6.5);
    stroke(rings, QColor(0xd3, 0x2f, 0x2f), 4.5);
    m_painter.fillPath(ellipse(QPointF(24, 19.5), 2), ink);
}

// A pencil lying from the lower left to the upper right.
void GlyphPainter::edit()
{
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(-45);
    fill(rounded(QRectF(-23, -5.5, 7, 11), 2), QColor(0xf0, 0x8f, 0xb0));
    QPainterPath body;
    body.addRect(QRectF(-17, -5.5, 27, 11));
    fill(body, QColor(0xf4, 0xb4, 0x00));
    fill(polygon({ { 10, -5.5 }, { 22, 0 }, { 10, 5.5 } }), QColor(0xf3, 0xd6, 0xa4));
    m_painter.fillPath(polygon({ { 17.5, -2 }, { 22, 0 }, { 17.5, 2 } }), ink);
    m_painter.restore();
}

void GlyphPainter::paperclip()
{
    QPainterPath clip(QPointF(28, 16));
    clip.lineTo(28, 33);
    clip.arcTo(QRectF(20, 29, 8, 8), 0, -180);
    clip.lineTo(20, 11);
    clip.arcTo(QRectF(20, 5, 12, 12), 180, -180);
    clip.lineTo(32, 35);
    clip.arcTo(QRectF(16, 27, 16, 16), 0, -180);
    clip.lineTo(16, 13);
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(40);
    m_painter.scale(0.95, 0.95);
    m_painter.translate(-24, -24);
    stroke(clip, QColor(0x60, 0x6b, 0x78), 4.5);
    stroke(clip, QColor(0xc5, 0xcd, 0xd5), 2);
    m_painter.restore();
}

void GlyphPainter::heart()
{
    QPainterPath path(QPointF(24, 13));
    path.cubicTo(20, 3, 3, 4, 4, 18);
    path.cubicTo(5, 29, 17, 35, 24, 44);
    path.cubicTo(31, 35, 43, 29, 44, 18);
    path.cubicTo(45, 4, 28, 3, 24, 13);
    fill(path, QColor(0xe5, 0x39, 0x35));
}

void GlyphPainter::flag()
{
    QPainterPath pole(QPointF(10, 6));
    pole.lineTo(10, 45);
    stroke(pole, QColor(0x5f, 0x5f, 0x5f), 3.5);
    QPainterPath cloth(QPointF(12, 7));
    cloth.cubicTo(21, 2, 30, 12, 42, 7);
    cloth.lineTo(42, 28);
    cloth.cubicTo(30, 33, 21, 23, 12, 28);
    cloth.closeSubpath();
    fill(cloth, QColor(0xe5, 0x39, 0x35));
    m_painter.fillPath(ellipse(QPointF(10, 5), 2.8), QColor(0xf5, 0xb8, 0x2e));
}

void GlyphPainter::folder()
{
    fill(polygon({ { 3, 8 }, { 17, 8 }, { 21, 12 }, { 45, 12 }, { 45, 42 }, { 3, 42 } }),
        QColor(0xd9, 0x9a, 0x22));
    fill(rounded(QRectF(7, 15, 34, 12), 0), paper);
    fill(polygon({ { 3, 19 }, { 45, 19 }, { 45, 42 }, { 3, 42 } }), QColor(0xf6, 0xc3, 0x43));
}

void GlyphPainter::home()
{
    fill(rounded(QRectF(32, 6, 6, 12), 0), QColor(0xa0, 0x52, 0x2d));
    fill(rounded(QRectF(9, 21, 30, 23), 0), QColor(0xf1, 0xdf, 0xc0));
    fill(rounded(QRectF(20, 30, 8, 14), 0), QColor(0x8d, 0x5a, 0x3b));
    fill(polygon({ { 24, 3 }, { 46, 22 }, { 41, 27 }, { 24, 12 }, { 7, 27 }, { 2, 22 } }),
        QColor(0xd8, 0x4a, 0x38));
}

void GlyphPainter::key()
{
    QPainterPath bit;
    bit.addRect(QRectF(22, 20.5, 23, 7));
    bit.addRect(QRectF(35, 26, 4, 7));
    bit.addRect(QRectF(41, 26, 4, 9));
    const QPainterPath shape
        = ellipse(QPointF(14, 24), 10.5).united(bit).subtracted(ellipse(QPointF(11.5, 24), 3.8));
    fill(shape, QColor(0xe8, 0xb9, 0x23));
}

void GlyphPainter::lock()
{
    shackle(false);
}

void GlyphPainter::unlock()
{
    shackle(true);
}

void GlyphPainter::logIn()
{
    doorArrow(false);
}

void GlyphPainter::logOut()
{
    doorArrow(true);
}

void GlyphPainter::refresh()
{
    fill(MarkPaths::scaled(MarkPaths::refresh(), 1.55, QPointF(24, 24)), green);
}

void GlyphPainter::ruler()
{
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(-45);
    fill(rounded(QRectF(-23, -8, 46, 16), 1.5), QColor(0xf5, 0xc5, 0x42));
    QPainterPath ticks;
    for (int i = 0; i < 10; ++i) {
        const qreal x = -18 + 4 * i;
        ticks.moveTo(x, -8);
        ticks.lineTo(x, i % 2 ? -4.5 : -1.5);
    }
    stroke(ticks, QColor(0x6b, 0x5a, 0x1e), 1.4);
    m_painter.restore();
}

void GlyphPainter::save()
{
    fill(polygon({ { 4, 4 }, { 38, 4 }, { 44, 10 }, { 44, 44 }, { 4, 44 } }),
        QColor(0x2f, 0x5f, 0xa7));
    fill(rounded(QRectF(13, 4, 20, 13), 0), QColor(0xcf, 0xd6, 0xdd));
    m_painter.fillRect(QRectF(26, 6.5, 4.5, 8), QColor(0x2f, 0x5f, 0xa7));
    fill(rounded(QRectF(9, 24, 30, 20), 1), paper);
    QPainterPath lines;
    lines.moveTo(13, 31);
    lines.lineTo(35, 31);
    lines.moveTo(13, 37);
    lines.lineTo(35, 37);
    stroke(lines, QColor(0xb0, 0xb0, 0xb0), 2);
}

void GlyphPainter::search()
{
    lens();
}

void GlyphPainter::zoomIn()
{
    lens();
    m_painter.fillPath(MarkPaths::scaled(MarkPaths::plus(), 0.55, QPointF(20, 20)), blue);
}

void GlyphPainter::zoomOut()
{
    lens();
    m_painter.fillPath(MarkPaths::scaled(MarkPaths::minus(), 0.55, QPointF(20, 20)), blue);
}

void GlyphPainter::bag()
{
    QPainterPath handle(QPointF(17, 21));
    handle.lineTo(17, 14);
    handle.arcTo(QRectF(17, 6, 14, 16), 180, -180);
    handle.lineTo(31, 21);
    fill(polygon({ { 8, 17 }, { 40, 17 }, { 43, 45 }, { 5, 45 } }), orange);
    stroke(handle, QColor(0x8a, 0x4b, 0x12), 3.2);
}

void GlyphPainter::cart()
{
    fill(polygon({ { 11, 11 }, { 45, 11 }, { 41, 29 }, { 15, 29 } }), sky);
    QPainterPath frame(QPointF(2, 6));
    frame.lineTo(8, 6);
    frame.lineTo(15, 34);
    frame.lineTo(40, 34);
    stroke(frame, slate, 3.2);
    QPainterPath wheels = ellipse(QPointF(18, 41), 4);
    wheels.addEllipse(QPointF(36, 41), 4, 4);
    m_painter.fillPath(wheels, slate);
}

void GlyphPainter::starEmpty()
{
    fill(star(), QColor(0xff, 0xf6, 0xd8));
}

void GlyphPainter::starFull()
{
    fill(star(), gold);
}

void GlyphPainter::starHalf()
{
    fill(star(), QColor(0xff, 0xf6, 0xd8));
    m_painter.save();
    m_painter.setClipRect(QRectF(0, 0, 24, 48));
    fill(star(), gold);
    m_painter.restore();
    stroke(star(), gold.darker(165), outlineWidth);
}

void GlyphPainter::telephone()
{
    fill(polygon({ { 13, 21 }, { 35, 21 }, { 43, 45 }, { 5, 45 } }), QColor(0xe5, 0x39, 0x35));
    fill(rounded(QRectF(11, 14, 6, 8), 1), QColor(0xb7, 0x1c, 0x1c));
    fill(rounded(QRectF(31, 14, 6, 8), 1), QColor(0xb7, 0x1c, 0x1c));
    fill(rounded(QRectF(3, 6, 42, 11), 5.5), QColor(0xb7, 0x1c, 0x1c));
    fill(ellipse(QPointF(24, 33), 7.5), paper);
    m_painter.fillPath(ellipse(QPointF(24, 33), 2.5), QColor(0x90, 0x90, 0x90));
}

void GlyphPainter::tools()
{
    screwdriver();
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(-45);
    fill(wrenchShape(), steel);
    m_painter.restore();
}

void GlyphPainter::wrench()
{
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(-45);
    m_painter.scale(1.1, 1.1);
    fill(wrenchShape(), steel);
    m_painter.restore();
}

void GlyphPainter::trash()
{
    fill(polygon({ { 10, 14 }, { 38, 14 }, { 35, 45 }, { 13, 45 } }), QColor(0x90, 0xa4, 0xae));
    QPainterPath ribs;
    for (qreal x = 18; x <= 30; x += 6) {
        ribs.moveTo(x, 19);
        ribs.lineTo(x, 40);
    }
    stroke(ribs, QColor(0x60, 0x7d, 0x8b), 2.2);
    stroke(rounded(QRectF(19, 3.5, 10, 6), 2), QColor(0x60, 0x7d, 0x8b), 2.2);
    fill(rounded(QRectF(6, 8, 36, 6), 2), QColor(0x78, 0x90, 0x9c));
}

void GlyphPainter::user()
{
    person(QPointF(0, 0), 1, QColor(0x3f, 0x7f, 0xcf));
}

void GlyphPainter::users()
{
    person(QPointF(10, -2), 0.8, QColor(0x5c, 0xb8, 0x5c));
    person(QPointF(-5, 3), 0.92, QColor(0x3f, 0x7f, 0xcf));
}

void GlyphPainter::wheel()
{
    fill(gear(QPointF(24, 24), 20, 9), QColor(0x78, 0x90, 0x9c));
}

void GlyphPainter::wheels()
{
    fill(gear(QPointF(33, 14), 12, 7), QColor(0xb0, 0xbe, 0xc5));
    fill(gear(QPointF(18, 30), 16, 9), QColor(0x78, 0x90, 0x9c));
}

void GlyphPainter::fill(const QPainterPath &path, const QColor &colour)
{
    const QRectF bounds = path.boundingRect();
    QLinearGradient shade(0, bounds.top(), 0, bounds.bottom());
    shade.setColorAt(0, colour.lighter(115));
    shade.setColorAt(1, colour.darker(108));
    m_painter.save();
    m_painter.setPen(
        QPen(colour.darker(165), outlineWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    m_painter.setBrush(shade);
    m_painter.drawPath(path);
    m_painter.restore();
}

void GlyphPainter::stroke(const QPainterPath &path, const QColor &colour, qreal width)
{
    m_painter.save();
    m_painter.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    m_painter.setBrush(Qt::NoBrush);
    m_painter.drawPath(path);
    m_painter.restore();
}

// White, with a faint shadow to the lower right so it stands off light backgrounds too.
void GlyphPainter::whiteMark(const QPainterPath &mark)
{
    m_painter.fillPath(mark.translated(0.8, 0.9), QColor(0, 0, 0, 70));
    m_painter.fillPath(mark, Qt::white);
}

void GlyphPainter::disc(const QColor &colour, const QPainterPath &mark)
{
    fill(ellipse(QPointF(24, 24), 21), colour);
    whiteMark(mark);
}

void GlyphPainter::documentIn(const QRectF &box)
{
    const qreal corner = box.width() * 0.32;
    fill(polygon({ box.topLeft(), { box.right() - corner, box.top() },
             { box.right(), box.top() + corner }, box.bottomRight(), box.bottomLeft() }),
        paper);
    fill(polygon({ { box.right() - corner, box.top() },
             { box.right() - corner, box.top() + corner }, { box.right(), box.top() + corner } }),
        QColor(0xd8, 0xd8, 0xd8));
    QPainterPath lines;
    const qreal margin = box.width() * 0.18;
    for (qreal y = box.top() + corner + 5; y < box.bottom() - 5; y += 5.5) {
        lines.moveTo(box.left() + margin, y);
        lines.lineTo(box.right() - margin, y);
    }
    stroke(lines, QColor(0xb4, 0xb4, 0xb4), 2);
}

// A head over the top half of a disc for the shoulders, scaled about the icon's bottom centre.
void GlyphPainter::person(const QPointF &offset, qreal scale, const QColor &shirt)
{
    m_painter.save();
    m_painter.translate(24 + offset.x(), 46 + offset.y());
    m_painter.scale(scale, scale);
    m_painter.translate(-24, -46);
    QPainterPath body(QPointF(6, 45));
    body.arcTo(QRectF(6, 27, 36, 36), 180, -180);
    body.closeSubpath();
    fill(body, shirt);
    fill(ellipse(QPointF(24, 15), 10), skin);
    m_painter.restore();
}

void GlyphPainter::shackle(bool open)
{
    QPainterPath bow;
    if (open) {
        bow.moveTo(33, 23);
        bow.lineTo(33, 12);
        bow.arcTo(QRectF(15, 3, 18, 18), 0, 180);
        bow.lineTo(15, 15);
    } else {
        bow.moveTo(15, 23);
        bow.lineTo(15, 16);
        bow.arcTo(QRectF(15, 7, 18, 18), 180, -180);
        bow.lineTo(33, 23);
    }
    stroke(bow, QColor(0x6f, 0x7a, 0x86), 6);
    stroke(bow, QColor(0xb8, 0xc2, 0xcc), 2.6);
    fill(rounded(QRectF(8, 21, 32, 24), 4), QColor(0xf0, 0xb4, 0x29));
    const QPainterPath hole
        = ellipse(QPointF(24, 30), 3.4)
              .united(polygon({ { 22.4, 31 }, { 25.6, 31 }, { 26.6, 39 }, { 21.4, 39 } }));
    m_painter.fillPath(hole, QColor(0x5d, 0x40, 0x37));
}

void GlyphPainter::lens()
{
    QPainterPath handle(QPointF(31, 31));
    handle.lineTo(42, 42);
    stroke(handle, QColor(0x4a, 0x4a, 0x4a), 7.5);
    const QPainterPath glass = ellipse(QPointF(20, 20), 14);
    m_painter.fillPath(glass, QColor(0xd6, 0xec, 0xfc));
    stroke(glass, slate, 4.5);
}

// A door frame open to one side, with an arrow passing through it.
void GlyphPainter::doorArrow(bool leaving)
{
    QPainterPath frame(QPointF(27, 5));
    frame.lineTo(43, 5);
    frame.lineTo(43, 43);
    frame.lineTo(27, 43);
    const QPainterPath arrow = rounded(QRectF(3, 20.5, 22, 7), 1)
                                   .united(polygon({ { 21, 11 }, { 35, 24 }, { 21, 37 } }));
    const QTransform mirror(-1, 0, 0, 1, 48, 0);
    stroke(leaving ? mirror.map(frame) : frame, slate, 4.5);
    fill(arrow, leaving ? QColor(0xe8, 0x71, 0x0a) : green);
}

void GlyphPainter::screwdriver()
{
    m_painter.save();
    m_painter.translate(24, 24);
    m_painter.rotate(45);
    fill(rounded(QRectF(-6, -2, 24, 4), 0.5), QColor(0xb0, 0xbe, 0xc5));
    fill(rounded(QRectF(-22, -5.5, 17, 11), 4), QColor(0xe5, 0x39, 0x35));
    m_painter.restore();
}

QPainterPath GlyphPainter::bubble(const QRectF &box, const QPointF &tail)
{
    const qreal base = tail.x() < box.center().x() ? box.left() + 8 : box.right() - 8;
    const qreal side = tail.x() < box.center().x() ? 10 : -10;
    return rounded(box, 9).united(
        polygon({ { base, box.bottom() - 3 }, tail, { base + side, box.bottom() - 3 } }));
}

QPainterPath GlyphPainter::star()
{
    QPolygonF points;
    for (int i = 0; i < 10; ++i) {
        const qreal radius = i % 2 ? 9 : 22;
        const qreal angle = qDegreesToRadians(-90 + 36 * i);
        points << QPointF(24 + radius * qCos(angle), 26 + radius * qSin(angle));
    }
    QPainterPath path;
    path.addPolygon(points);
    path.closeSubpath();
    return path;
}

// Lying along the x axis about the origin, the open jaw at the right end.
QPainterPath GlyphPainter::wrenchShape()
{
    QPainterPath jaw;
    jaw.addRect(QRectF(13, -3.5, 12, 7));
    return rounded(QRectF(-20, -4, 30, 8), 4).united(ellipse(QPointF(13, 0), 9)).subtracted(jaw);
}

QPainterPath GlyphPainter::gear(const QPointF &centre, qreal radius, int teeth)
{
    QPainterPath shape = ellipse(centre, radius * 0.78);
    const qreal toothWidth = 2 * M_PI * radius * 0.78 / teeth * 0.5;
    for (int i = 0; i < teeth; ++i) {
        QPainterPath tooth;
        tooth.addRect(QRectF(-toothWidth / 2, -radius, toothWidth, radius * 0.4));
        shape = shape.united(
            QTransform().translate(centre.x(), centre.y()).rotate(360.0 * i / teeth).map(tooth));
    }
    return shape.subtracted(ellipse(centre, radius * 0.32));
}
