#pragma once

#include <QColor>
#include <QPainterPath>

class QPainter;

// Draws the icons' pictures on a painter scaled so that the icon is a 48-unit square.
// The small icons share one flat style: a shape filled with a soft vertical gradient and
// outlined in a darker tone of its colour. The buttons are glossy discs with a white mark.
class GlyphPainter
{
public:
    using Glyph = void (GlyphPainter::*)();

    explicit GlyphPainter(QPainter &painter);

    void button(const QPainterPath &mark, const QColor &tint);
    void badge(Glyph glyph);

    void accept();
    void add();
    void remove();
    void cancel();
    void info();
    void percent();
    void alert();
    void prohibit();
    void close();
    void planes();
    void billboard();
    void chat();
    void communicate();
    void faq();
    void document();
    void copy();
    void paste();
    void cut();
    void edit();
    void paperclip();
    void heart();
    void flag();
    void folder();
    void home();
    void key();
    void lock();
    void unlock();
    void logIn();
    void logOut();
    void refresh();
    void ruler();
    void save();
    void search();
    void zoomIn();
    void zoomOut();
    void bag();
    void cart();
    void starEmpty();
    void starFull();
    void starHalf();
    void telephone();
    void tools();
    void wrench();
    void trash();
    void user();
    void users();
    void wheel();
    void wheels();

private:
    void fill(const QPainterPath &path, const QColor &colour);
    void stroke(const QPainterPath &path, const QColor &colour, qreal width);
    void whiteMark(const QPainterPath &mark);
    void disc(const QColor &colour, const QPainterPath &mark);
    void documentIn(const QRectF &box);
    void person(const QPointF &offset, qreal scale, const QColor &shirt);
    void shackle(bool open);
    void lens();
    void doorArrow(bool leaving);
    void screwdriver();
    static QPainterPath bubble(const QRectF &box, const QPointF &tail);
    static QPainterPath star();
    static QPainterPath wrenchShape();
    static QPainterPath gear(const QPointF &centre, qreal radius, int teeth);

    QPainter &m_painter;
};
