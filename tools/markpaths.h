#pragma once

#include <QPainterPath>

// The white marks drawn on buttons and discs, as filled outlines on a 48-unit square
// centred at (24, 24). They fit inside a circle of radius 16.
class MarkPaths
{
public:
    static QPainterPath play();
    static QPainterPath pause();
    static QPainterPath stop();
    static QPainterPath fastForward();
    static QPainterPath rewind();
    static QPainterPath next();
    static QPainterPath previous();
    static QPainterPath first();
    static QPainterPath last();
    static QPainterPath plus();
    static QPainterPath minus();
    static QPainterPath cross();
    static QPainterPath check();
    static QPainterPath info();
    static QPainterPath question();
    static QPainterPath percent();
    static QPainterPath refresh();
    static QPainterPath reload();
    static QPainterPath scaled(const QPainterPath &mark, qreal factor, const QPointF &centre);

private:
    static QPainterPath triangle(qreal left, qreal right, qreal halfHeight);
    static QPainterPath mirrored(const QPainterPath &path);
    static QPainterPath stroked(const QPainterPath &line, qreal width);
    static QPainterPath arcArrow(qreal startAngle, qreal sweep, qreal radius);
};
