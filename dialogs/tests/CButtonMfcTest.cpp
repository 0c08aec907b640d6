// The owner-drawn button on its grab(): face and text in its own colours,
// the raised and the sunken edge, the text moved by the press, the focus
// rectangle, and the checkerboard with embossed grey text of a disabled
// button.
#include "platform/ui/CButtonMfc.h"

#include "DialogTestSupport.h"
#include "platform/ui/OwnerDraw.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QTest>
#include <QVBoxLayout>

using namespace vexar;
using dialogtest::BoxOf;
using dialogtest::CountColour;
using dialogtest::Shot;

namespace {

constexpr ui::COLORREF kRed = ui::RGB(255, 0, 0);
constexpr ui::COLORREF kBlue = ui::RGB(0, 0, 255);

QRgb Rgb(ui::COLORREF colour) { return ui::ToQColor(colour).rgb(); }
QRgb System(const QWidget& widget, ui::SysColour colour) { return ui::SystemColour(colour, widget.palette()).rgb(); }

// A red button with blue text in a window of its own.
class ButtonTest : public ::testing::Test {
protected:
    ButtonTest() : button(new CButtonMfc(QStringLiteral("Connetti"), &window))
    {
        QFont font(QStringLiteral("DejaVu Sans"));
        font.setPixelSize(14);
        font.setStyleStrategy(QFont::NoAntialias);  // text pixels in exactly their colours
        button->setFont(font);
        button->m_faceColour = kRed;
        button->m_textColour = kBlue;
        auto* layout = new QVBoxLayout(&window);
        layout->addWidget(button);
        button->setFixedSize(120, 40);
        window.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    QWidget window;
    CButtonMfc* button;
};

TEST_F(ButtonTest, StartsWithTheSystemFaceAndBlackText)
{
    CButtonMfc plain;
    EXPECT_EQ(ui::ToQColor(plain.m_faceColour).rgb(), System(plain, ui::SysColour::ButtonFace));
    EXPECT_EQ(plain.m_textColour, ui::RGB(0, 0, 0));
}

TEST_F(ButtonTest, AnEnabledButtonShowsItsFaceItsTextAndARaisedEdge)
{
    const QImage image = Shot(*button);
    EXPECT_EQ(image.pixel(0, 0), System(*button, ui::SysColour::Light));
    EXPECT_EQ(image.pixel(1, 1), System(*button, ui::SysColour::ButtonHighlight));
    EXPECT_EQ(image.pixel(119, 39), System(*button, ui::SysColour::DarkShadow));
    EXPECT_EQ(image.pixel(118, 38), System(*button, ui::SysColour::ButtonShadow));
    EXPECT_EQ(image.pixel(5, 5), Rgb(kRed));
    const QRect text = BoxOf(image, Rgb(kBlue));
    ASSERT_FALSE(text.isEmpty()) << "the text in its colour";
    EXPECT_LE(std::abs(text.center().x() - 60), 2) << "centred";
    EXPECT_LE(std::abs(text.center().y() - 20), 3);
    EXPECT_EQ(CountColour(image, image.rect(), System(*button, ui::SysColour::GrayText)), 0);
}

TEST_F(ButtonTest, APressSinksTheEdgeAndMovesTheTextOnePixel)
{
    const QRect up = BoxOf(Shot(*button), Rgb(kBlue));
    button->setDown(true);
    const QImage image = Shot(*button);
    EXPECT_EQ(image.pixel(0, 0), System(*button, ui::SysColour::ButtonShadow));
    EXPECT_EQ(image.pixel(1, 1), System(*button, ui::SysColour::DarkShadow));
    EXPECT_EQ(image.pixel(119, 39), System(*button, ui::SysColour::ButtonHighlight));
    EXPECT_EQ(BoxOf(image, Rgb(kBlue)), up.translated(1, 1));
}

TEST_F(ButtonTest, TheFocusedButtonShowsADottedRectangleThreePixelsIn)
{
    const QRgb inverted = qRgb(0, 255, 255);  // red under the inverting dots
    button->clearFocus();
    EXPECT_EQ(CountColour(Shot(*button), QRect(3, 3, 114, 1), inverted), 0);
    window.activateWindow();
    button->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return button->hasFocus(); }, 2000));
    const QImage image = Shot(*button);
    EXPECT_EQ(image.pixel(3, 3), inverted);
    EXPECT_EQ(image.pixel(4, 3), Rgb(kRed));
    EXPECT_EQ(image.pixel(5, 3), inverted);
    EXPECT_EQ(image.pixel(3, 5), inverted);
    EXPECT_GT(CountColour(image, QRect(3, 36, 114, 1), inverted), 50) << "the bottom line too";
}

TEST_F(ButtonTest, ADisabledButtonShowsACheckerboardAndEmbossedGreyText)
{
    button->setEnabled(false);
    const QImage image = Shot(*button);
    const QRgb face = System(*button, ui::SysColour::ButtonFace);
    ASSERT_NE(face, Rgb(kRed));
    // Along the top of the face, above the text: every pixel whose
    // coordinates sum to an even number is the system face.
    for (int y = 2; y < 8; ++y) {
        for (int x = 2; x < 118; ++x)
            ASSERT_EQ(image.pixel(x, y), (x + y) % 2 == 0 ? face : Rgb(kRed)) << x << "," << y;
    }
    EXPECT_EQ(CountColour(image, image.rect(), Rgb(kBlue)), 0) << "not in the text colour";
    // The text once in grey and once, one pixel right and down, in the lit
    // colour; inside the edge only the text has either colour.
    const QImage face2 = image.copy(2, 2, 116, 36);
    const QRect grey = BoxOf(face2, System(*button, ui::SysColour::GrayText));
    const QRect lit = BoxOf(face2, System(*button, ui::SysColour::ButtonHighlight));
    ASSERT_FALSE(grey.isEmpty());
    ASSERT_FALSE(lit.isEmpty());
    EXPECT_LE(std::abs(grey.center().x() + 2 - 60), 2) << "centred";
    EXPECT_EQ(lit.right(), grey.right() + 1);
    EXPECT_EQ(lit.bottom(), grey.bottom() + 1);
    EXPECT_GE(lit.left(), grey.left() + 1);
}

}  // namespace
