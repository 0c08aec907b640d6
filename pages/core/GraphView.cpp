#include "pages/core/GraphView.h"

#include "common/CUtilityToolbox.h"
#include "common/Text.h"

#include <cmath>

bool GraphView::Maps() const
{
    const double xSpan = xMaximum - xMinimum;
    const double ySpan = yMaximum - yMinimum;
    return width > 0 && height > 0 && std::isfinite(xSpan) && std::isfinite(ySpan) && xSpan != 0.0 &&
           ySpan != 0.0;
}

std::optional<GraphView::Pixel> GraphView::PointToPixel(double x, double y) const
{
    if (!Maps())
        return std::nullopt;
    const double dx = CUtility::RoundDecimals(width / (xMaximum - xMinimum) * (x - xMinimum), 0);
    const double dy = CUtility::RoundDecimals(height / (yMaximum - yMinimum) * (y - yMinimum), 0);
    return Pixel{left + dx, top + height - dy};
}

std::optional<REC_PUNTO> GraphView::PixelToPoint(int dx, int dy) const
{
    if (!Maps())
        return std::nullopt;
    return REC_PUNTO{xMinimum + (xMaximum - xMinimum) / width * dx, yMaximum - (yMaximum - yMinimum) / height * dy};
}

bool GraphView::Contains(double px, double py) const
{
    return px >= left && px <= static_cast<double>(left) + width && py >= top &&
           py <= static_cast<double>(top) + height;
}

std::array<std::optional<GraphLabel>, kCursorLabels> PlaceCursorLabels(const GraphTraces& traces,
                                                                      const GraphView& view, double x)
{
    std::array<std::optional<GraphLabel>, kCursorLabels> labels;
    const auto& all = traces.Traces();
    for (std::size_t i = 0; i < all.size() && i < kCursorLabels; ++i) {
        for (const REC_PUNTO& p : all[i].points) {
            if (p.x != x)
                continue;
            const auto pixel = view.PointToPixel(p.x, p.y);
            if (pixel && view.Contains(pixel->x, pixel->y))
                labels[i] = GraphLabel{CursorLabelText(p), static_cast<int>(pixel->x), static_cast<int>(pixel->y)};
        }
    }
    return labels;
}

std::u16string CursorLabelText(const REC_PUNTO& point)
{
    return vexar::Format(u"[%.03lf;%.03lf(%.03lf)]", point.x, point.y, point.x);
}

std::u16string ReadoutText(double value) { return vexar::Format(u"%.3lf", value); }
