#include "markpaths.h"

#include <QPainterPathStroker>
#include <QTransform>
#include <QtMath>

QPainterPath MarkPaths::play()
{
    return triangle(17, 35, 11);
}

QPainterPath MarkPaths::pause()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(14.5, 13, 7, 22), 1.5, 1.5);
    path.addRoundedRect(QRectF(26.5, 13, 7, 22), 1.5, 1.5);
    return path;
}

QPainterPath MarkPaths::stop()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(14, 14, 20, 20), 2.5, 2.5);
    return path;
}

QPainterPath MarkPaths::fastForward()
{
    return triangle(10, 24, 10).united(triangle(24, 38, 10));
}

QPainterPath MarkPaths::rewind()
{
    return mirrored(fastForward());
}

QPainterPath MarkPaths::next()
{
    QPainterPath path = triangle(14, 29, 10.5);
    path.addRect(QRectF(29, 13.5, 5, 21));
    return path;
}

QPainterPath MarkPaths::previous()
{
    return mirrored(next());
}

QPainterPath MarkPaths::first()
{
    return mirrored(last());
}

QPainterPath MarkPaths::last()
{
    QPainterPath path = triangle(9, 21, 9.5).united(triangle(21, 33, 9.5));
    path.addRect(QRectF(33, 14.5, 4.5, 19));
    return path;
}

QPainterPath MarkPaths::plus()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(11, 20.5, 26, 7), 1.5, 1.5);
    return path.united(QTransform().translate(24, 24).rotate(90).translate(-24, -24).map(path));
}

QPainterPath MarkPaths::minus()
{
    QPainterPath path;
    path.addRoundedRect(QRectF(11, 20.5, 26, 7), 1.5, 1.5);
    return path;
}

QPainterPath MarkPaths::cross()
{
    return QTransform().translate(24, 24).rotate(45).translate(-24, -24).map(plus());
}

QPainterPath MarkPaths::check()
{
    QPainterPath line(QPointF(13, 24.5));
    line.lineTo(21, 32.5);
    line.lineTo(35.5, 16);
    return stroked(line, 6);
}

QPainterPath MarkPaths::info()
{
    QPainterPath path;
    path.addEllipse(QPointF(24, 13.5), 3.8, 3.8);
    path.addRoundedRect(QRectF(20.5, 20, 7, 17), 1.5, 1.5);
    return path;
}

// A hook over a short stem, and the dot below it.
QPainterPath MarkPaths::question()
{
    QPainterPath line;
    line.arcMoveTo(QRectF(16.5, 9, 15, 15), 170);
    line.arcTo(QRectF(16.5, 9, 15, 15), 170, -230);
    line.lineTo(24, 25);
    line.lineTo(24, 29);
    QPainterPath path = stroked(line, 5.5);
    path.addEllipse(QPointF(24, 35.5), 3.4, 3.4);
    return path;
}

QPainterPath MarkPaths::percent()
{
    QPainterPath rings;
    rings.addEllipse(QPointF(17, 17), 4.2, 4.2);
    rings.addEllipse(QPointF(31, 31), 4.2, 4.2);
    QPainterPath slash(QPointF(32, 13));
    slash.lineTo(16, 35);
    return stroked(rings, 3.2).united(stroked(slash, 3.5));
}

QPainterPath MarkPaths::refresh()
{
    return arcArrow(60, 280, 11);
}

QPainterPath MarkPaths::reload()
{
    return arcArrow(20, 150, 11).united(arcArrow(200, 150, 11));
}

QPainterPath MarkPaths::scaled(const QPainterPath &mark, qreal factor, const QPointF &centre)
{
    return QTransform()
        .translate(centre.x(), centre.y())
        .scale(factor, factor)
        .translate(-24, -24)
        .map(mark);
}

// An isosceles triangle pointing right, its base at x = left, centred on y = 24.
QPainterPath MarkPaths::triangle(qreal left, qreal right, qreal halfHeight)
{
    QPainterPath path(QPointF(left, 24 - halfHeight));
    path.lineTo(right, 24);
    path.lineTo(left, 24 + halfHeight);
    path.closeSubpath();
    return path;
}

QPainterPath MarkPaths::mirrored(const QPainterPath &path)
{
    return QTransform(-1, 0, 0, 1, 48, 0).map(path);
}

QPainterPath MarkPaths::stroked(const QPainterPath &line, qreal width)
{
    QPainterPathStroker stroker;
    stroker.setWidth(width);
    stroker.setCapStyle(Qt::RoundCap);
    stroker.setJoinStyle(Qt::RoundJoin);
    return stroker.createStroke(line).simplified();
}

// An arc around the centre, counter-clockwise for a positive sweep, with a head at its end.
QPainterPath MarkPaths::arcArrow(qreal startAngle, qreal sweep, qreal radius)
{
    const QRectF circle(24 - radius, 24 - radius, 2 * radius, 2 * radius);
    QPainterPath arc;
    arc.arcMoveTo(circle, startAngle);
    arc.arcTo(circle, startAngle, sweep);
    QPainterPathStroker stroker;
    stroker.setWidth(5);
    stroker.setCapStyle(Qt::FlatCap);
    QPainterPath path = stroker.createStroke(arc);

    const qreal end = qDegreesToRadians(startAngle + sweep);
    const QPointF tip(24 + radius * qCos(end), 24 - radius * qSin(end));
    const qreal sign = sweep > 0 ? 1 : -1;
    const QPointF along(-qSin(end) * sign, -qCos(end) * sign);
    const QPointF across(qCos(end), -qSin(end));
    QPainterPath head(tip + across * 6.5);
    head.lineTo(tip + along * 7);
    head.lineTo(tip - across * 6.5);
    head.closeSubpath();
    return path.united(head).simplified();
}
