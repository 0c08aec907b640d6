// Owner-draw helpers on a painted widget, checked on its grab(): edges,
// the checkerboard of a disabled face, the focus rectangle, centred and
// embossed text.
#include "platform/ui/OwnerDraw.h"

#include <gtest/gtest.h>

#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <QWidget>

#include <functional>

namespace vexar::uitest {
namespace {

using ui::SysColour;

// A widget painted white and then by the test's drawing.
class Canvas : public QWidget {
public:
    explicit Canvas(std::function<void(QPainter&, const QPalette&)> draw, QSize size = {60, 40})
        : m_draw(std::move(draw))
    {
        resize(size);
    }

    QImage Image() { return grab().toImage().convertToFormat(QImage::Format_RGB32); }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), Qt::white);
        m_draw(painter, palette());
    }

private:
    std::function<void(QPainter&, const QPalette&)> m_draw;
};

// Colours as the 8-bit image holds them.
QRgb Colour(const QPalette& palette, SysColour colour) { return ui::SystemColour(colour, palette).rgb(); }

TEST(OwnerDraw, RaisedAndSunkenEdgesLightTopLeftOrBottomRight)
{
    QRect inside;
    Canvas raised([&](QPainter& p, const QPalette& palette) {
        inside = ui::DrawEdge(p, QRect(0, 0, 20, 20), ui::Edge::Raised, palette);
    });
    const QImage image = raised.Image();
    const QPalette& palette = raised.palette();
    EXPECT_EQ(inside, QRect(2, 2, 16, 16));
    EXPECT_EQ(image.pixel(0, 0), Colour(palette, SysColour::Light));
    EXPECT_EQ(image.pixel(1, 1), Colour(palette, SysColour::ButtonHighlight));
    EXPECT_EQ(image.pixel(19, 19), Colour(palette, SysColour::DarkShadow));
    EXPECT_EQ(image.pixel(18, 18), Colour(palette, SysColour::ButtonShadow));
    EXPECT_EQ(image.pixel(0, 19), Colour(palette, SysColour::DarkShadow)) << "the corners go to the shade";
    EXPECT_EQ(image.pixel(19, 0), Colour(palette, SysColour::DarkShadow));
    EXPECT_EQ(image.pixel(2, 2), qRgb(255, 255, 255));

    Canvas sunken([](QPainter& p, const QPalette& palette) {
        ui::DrawEdge(p, QRect(0, 0, 20, 20), ui::Edge::Sunken, palette);
    });
    const QImage pressed = sunken.Image();
    EXPECT_EQ(pressed.pixel(0, 0), Colour(palette, SysColour::ButtonShadow));
    EXPECT_EQ(pressed.pixel(1, 1), Colour(palette, SysColour::DarkShadow));
    EXPECT_EQ(pressed.pixel(19, 19), Colour(palette, SysColour::ButtonHighlight));
    EXPECT_EQ(pressed.pixel(18, 18), Colour(palette, SysColour::Light));
}

TEST(OwnerDraw, ADisabledFaceSetsThePixelsWhoseCoordinatesSumEven)
{
    // Drawn through a painter moved by one pixel: the pattern stays on the
    // widget's own grid.
    Canvas canvas([](QPainter& p, const QPalette&) {
        p.fillRect(QRect(0, 0, 60, 40), Qt::blue);
        p.translate(1, 0);
        ui::DitherRect(p, QRect(2, 3, 10, 10), Qt::red);
    });
    const QImage image = canvas.Image();
    for (int y = 3; y < 13; ++y) {
        for (int x = 3; x < 13; ++x)
            ASSERT_EQ(image.pixelColor(x, y), (x + y) % 2 == 0 ? QColor(Qt::red) : QColor(Qt::blue)) << x << "," << y;
    }
    EXPECT_EQ(image.pixelColor(14, 14), QColor(Qt::blue)) << "nothing outside";
    EXPECT_EQ(image.pixelColor(2, 4), QColor(Qt::blue));
}

TEST(OwnerDraw, AFocusRectangleInvertsEveryOtherPixelOfItsOutlineAndASecondTakesItAway)
{
    Canvas once([](QPainter& p, const QPalette&) { ui::DrawFocusRect(p, QRect(3, 3, 20, 10)); });
    const QImage image = once.Image();
    EXPECT_EQ(image.pixelColor(3, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(4, 3), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(5, 3), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(3, 5), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(3, 4), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(10, 7), QColor(Qt::white)) << "the inside is left";

    Canvas twice([](QPainter& p, const QPalette&) {
        ui::DrawFocusRect(p, QRect(3, 3, 20, 10));
        ui::DrawFocusRect(p, QRect(3, 3, 20, 10));
    });
    const QImage cleared = twice.Image();
    for (int x = 0; x < 30; ++x)
        ASSERT_EQ(cleared.pixelColor(x, 3), QColor(Qt::white)) << x;
}

// The box around the pixels that are not white.
QRect Ink(const QImage& image)
{
    QRect ink;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != QColor(Qt::white))
                ink |= QRect(x, y, 1, 1);
        }
    }
    return ink;
}

TEST(OwnerDraw, TextIsCentredOnOneLineAsTheFontMetricsPlaceIt)
{
    const QRect box(0, 0, 160, 40);
    QFont font("DejaVu Sans");
    font.setPixelSize(16);
    Canvas canvas(
        [&](QPainter& p, const QPalette&) {
            p.setFont(font);
            ui::DrawCentredText(p, box, QStringLiteral("&Connetti\nora"), Qt::black);
        },
        box.size());
    const QRect ink = Ink(canvas.Image());
    const QFontMetrics metrics(font);
    const QRect expected = metrics.boundingRect(box, Qt::AlignCenter | Qt::TextSingleLine | Qt::TextShowMnemonic,
                                                QStringLiteral("&Connetti\nora"));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_LE(std::abs(ink.center().x() - box.center().x()), 2);
    EXPECT_TRUE(expected.adjusted(-1, -1, 1, 1).contains(ink)) << "one line, where the metrics put it";
    EXPECT_LT(ink.height(), metrics.height() + 1);
    EXPECT_LT(ink.width(), metrics.horizontalAdvance(QStringLiteral("&Connetti ora"))) << "the '&' is not drawn";
}

TEST(OwnerDraw, DisabledTextIsEmbossed)
{
    const QRect box(0, 0, 80, 30);
    QFont font("DejaVu Sans");
    font.setPixelSize(16);
    QPalette palette;
    palette.setColor(QPalette::Active, QPalette::Light, Qt::red);
    palette.setColor(QPalette::Disabled, QPalette::WindowText, Qt::blue);
    Canvas canvas(
        [&](QPainter& p, const QPalette&) {
            p.setFont(font);
            p.setRenderHint(QPainter::TextAntialiasing, false);
            ui::DrawEmbossedText(p, box, QStringLiteral("I"), palette);
        },
        box.size());
    const QImage image = canvas.Image();
    QRect red;
    QRect blue;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor pixel = image.pixelColor(x, y);
            if (pixel.red() > 200 && pixel.green() < 60 && pixel.blue() < 60)
                red |= QRect(x, y, 1, 1);
            if (pixel.blue() > 200 && pixel.green() < 60 && pixel.red() < 60)
                blue |= QRect(x, y, 1, 1);
        }
    }
    ASSERT_FALSE(blue.isEmpty());
    ASSERT_FALSE(red.isEmpty());
    EXPECT_EQ(red.bottomRight(), blue.bottomRight() + QPoint(1, 1)) << "the highlight lies one pixel right and down";
}

}  // namespace
}  // namespace vexar::uitest
