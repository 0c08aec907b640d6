#include "pages/widgets/CWPaint.h"

#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>

namespace {

QColor Mix(const QColor& a, const QColor& b, double t)
{
    return QColor::fromRgbF(static_cast<float>(a.redF() * (1 - t) + b.redF() * t),
                            static_cast<float>(a.greenF() * (1 - t) + b.greenF() * t),
                            static_cast<float>(a.blueF() * (1 - t) + b.blueF() * t), a.alphaF());
}

bool Overlap(const QRectF& a, const QRectF& b, double gap) { return a.adjusted(-gap, -gap, gap, gap).intersects(b); }

bool StepFits(const std::vector<QRectF>& boxes, std::size_t step, bool closed, double gap)
{
    std::size_t last = 0;
    for (std::size_t i = step; i < boxes.size(); i += step) {
        if (Overlap(boxes[last], boxes[i], gap))
            return false;
        last = i;
    }
    return !closed || last == 0 || !Overlap(boxes[last], boxes[0], gap);
}

}  // namespace

namespace CWPaint {

void Begin(QPainter& painter)
{
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
}

QColor Shown(const QWidget& widget, QColor colour)
{
    if (widget.isEnabled())
        return colour;
    const QColor grey = QColor::fromHsvF(0, 0, static_cast<float>(colour.valueF()));
    return Mix(Mix(colour, grey, 0.6), widget.palette().color(QPalette::Window), 0.45);
}

QColor Shown(const QWidget& widget, vexar::ui::COLORREF colour) { return Shown(widget, vexar::ui::ToQColor(colour)); }

QRectF DrawPanel(QPainter& painter, const QWidget& widget, const QRectF& rect)
{
    const QColor face = widget.palette().color(QPalette::Window);
    const QRectF frame = rect.adjusted(0.5, 0.5, -0.5, -0.5);
    QLinearGradient shade(frame.topLeft(), frame.bottomLeft());
    shade.setColorAt(0, Shown(widget, face.lighter(108)));
    shade.setColorAt(1, Shown(widget, face.darker(103)));
    painter.setBrush(shade);
    painter.setPen(QPen(Shown(widget, face.darker(145)), 1));
    painter.drawRoundedRect(frame, 4, 4);
    painter.setPen(QPen(Shown(widget, face.lighter(125)), 1));
    painter.setBrush(Qt::NoBrush);
    painter.drawRoundedRect(frame.adjusted(1, 1, -1, -1), 3, 3);
    return rect.adjusted(3, 3, -3, -3);
}

void DrawWell(QPainter& painter, const QWidget& widget, const QRectF& rect, const QColor& fill, qreal radius)
{
    const QColor face = widget.palette().color(QPalette::Window);
    painter.setPen(Qt::NoPen);
    painter.setBrush(Shown(widget, fill));
    painter.drawRoundedRect(rect, radius, radius);
    // Shadow along the upper edge, light along the lower one: a groove.
    QLinearGradient depth(rect.topLeft(), rect.bottomLeft());
    depth.setColorAt(0, QColor(0, 0, 0, 60));
    depth.setColorAt(std::min(1.0, 4.0 / std::max(1.0, rect.height())), QColor(0, 0, 0, 0));
    depth.setColorAt(1, QColor(0, 0, 0, 0));
    painter.setBrush(depth);
    painter.drawRoundedRect(rect, radius, radius);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Shown(widget, face.darker(170)), 1));
    painter.drawRoundedRect(rect.adjusted(0.5, 0.5, -0.5, -0.5), radius, radius);
}

void DrawFocus(QPainter& painter, const QWidget& widget, const QRectF& rect, bool round)
{
    QPen pen(widget.palette().color(QPalette::Highlight), 1, Qt::DashLine);
    painter.setPen(pen);
    painter.setBrush(Qt::NoBrush);
    if (round)
        painter.drawEllipse(rect);
    else
        painter.drawRoundedRect(rect, 2, 2);
}

int LabelStep(const std::vector<QRectF>& boxes, bool closed, const QFontMetricsF& fm, int anchor)
{
    const double gap = std::max(3.0, fm.horizontalAdvance(QLatin1Char(' ')));
    if (boxes.size() < 2)
        return boxes.empty() ? 0 : 1;
    const std::size_t divisions = boxes.size() - 1;
    const auto writes = [&](std::size_t step) { return anchor < 0 || static_cast<std::size_t>(anchor) % step == 0; };
    for (const bool withAnchor : {true, false}) {
        for (std::size_t step = 1; step <= divisions; ++step) {
            if (divisions % step == 0 && (!withAnchor || writes(step)) && StepFits(boxes, step, closed, gap))
                return static_cast<int>(step);
        }
    }
    for (std::size_t step = 2; step < divisions; ++step) {
        if (StepFits(boxes, step, closed, gap))
            return static_cast<int>(step);
    }
    return 0;
}

int MinorMarks(double spacing) { return spacing >= 25.0 ? 4 : (spacing >= 10.0 ? 1 : 0); }

double WidestText(const QFontMetricsF& fm, const std::vector<QString>& texts)
{
    double widest = 0.0;
    for (const QString& text : texts)
        widest = std::max(widest, fm.horizontalAdvance(text));
    return widest;
}

}  // namespace CWPaint
