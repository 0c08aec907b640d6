#pragma once

// The map between a chart's values and its pixels. The plot area is
// {left, top, width, height}: the X minimum lies on the column `left` and
// the X maximum on `left + width`, the Y maximum on the row `top` and the Y
// minimum on `top + height`, borders included, so that an owner that turns
// values into pixels with the same rule lands on what is drawn.

#include <QPointF>
#include <QRect>

struct CWGraphMapping {
    QRect area;
    double xMinimum = 0.0;
    double xMaximum = 1.0;
    double yMinimum = 0.0;
    double yMaximum = 1.0;

    double ToPixelX(double x) const
    {
        return area.left() + (x - xMinimum) * area.width() / (xMaximum - xMinimum);
    }
    double ToPixelY(double y) const
    {
        return area.top() + area.height() - (y - yMinimum) * area.height() / (yMaximum - yMinimum);
    }
    QPointF ToPixel(double x, double y) const { return {ToPixelX(x), ToPixelY(y)}; }
    double ToValueX(double px) const
    {
        return xMinimum + (xMaximum - xMinimum) / area.width() * (px - area.left());
    }
    double ToValueY(double py) const
    {
        return yMaximum - (yMaximum - yMinimum) / area.height() * (py - area.top());
    }
    // Inside the plot area, borders included.
    bool Contains(QPoint p) const
    {
        return p.x() >= area.left() && p.x() <= area.left() + area.width() && p.y() >= area.top() &&
               p.y() <= area.top() + area.height();
    }
};
