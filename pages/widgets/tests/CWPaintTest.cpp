#include "pages/widgets/CWPaint.h"

#include <QFont>

#include <gtest/gtest.h>

#include <vector>

namespace {

// Eleven labels 20 pixels wide in a row, `spacing` apart.
std::vector<QRectF> Row(double spacing)
{
    std::vector<QRectF> boxes;
    for (int i = 0; i <= 10; ++i)
        boxes.emplace_back(i * spacing, 0, 20, 10);
    return boxes;
}

}  // namespace

TEST(CWPaint, LabelsAreThinnedUntilNoneTouchesAnother)
{
    const QFontMetricsF fm{QFont()};
    struct Case {
        const char* name;
        std::vector<QRectF> boxes;
        bool closed;
        int anchor;
        int step;
    };
    std::vector<QRectF> ring = Row(40);
    ring.back().moveLeft(10);  // the last comes round onto the first
    const Case cases[] = {
        {"room for all", Row(40), false, -1, 1},
        {"every other one", Row(22), false, -1, 2},
        {"zero in the middle keeps its label", Row(22), false, 5, 5},
        {"a dial's ends meet: the last is dropped with a step that skips it", ring, true, -1, 3},
        {"not even the ends apart", Row(1), false, -1, 0},
        {"one label", std::vector<QRectF>{QRectF(0, 0, 5, 5)}, false, -1, 1},
        {"none", {}, false, -1, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(CWPaint::LabelStep(c.boxes, c.closed, fm, c.anchor), c.step) << c.name;
}
