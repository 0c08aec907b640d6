#pragma once

// What a graph shows: its plot area in client pixels with the axes'
// current ranges, the map between values and pixels over it, and the texts
// of the cursor labels and of the mouse readout (C locale, whatever the
// user's). A range or an area without width maps nothing.

#include "pages/core/GraphTraces.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>

struct GraphView {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    double xMinimum = 0.0;
    double xMaximum = 1.0;
    double yMinimum = 0.0;
    double yMaximum = 1.0;

    // The pixel of a value: whole numbers (nearest, halves away from zero),
    // kept as doubles since a point far out of view lies beyond any int.
    struct Pixel {
        double x = 0.0;
        double y = 0.0;
    };
    std::optional<Pixel> PointToPixel(double x, double y) const;
    // The value at {dx, dy} pixels from the area's top-left corner.
    std::optional<REC_PUNTO> PixelToPoint(int dx, int dy) const;
    // Inside the plot area, borders included.
    bool Contains(double px, double py) const;

private:
    bool Maps() const;
};

// The cursor labels: one per trace of the first ten, the label of a
// trace's point at exactly `x` whose pixel lies in the plot area (of
// several such points the last), with its top-left corner on that pixel.
inline constexpr std::size_t kCursorLabels = 10;

struct GraphLabel {
    std::u16string text;
    int x = 0;
    int y = 0;
};

std::array<std::optional<GraphLabel>, kCursorLabels> PlaceCursorLabels(const GraphTraces& traces,
                                                                      const GraphView& view, double x);

// "[x;y(x)]" with three decimals.
std::u16string CursorLabelText(const REC_PUNTO& point);
// A readout value with three decimals.
std::u16string ReadoutText(double value);
