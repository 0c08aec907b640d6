// The coloured static text: its colours at first and as set, the repaint
// of a new background before SetBkColor returns, showing and hiding, and
// greyed text while disabled.
#include "pages/CCtrlStatic.h"

#include "DisplayTestSupport.h"
#include "platform/ui/OwnerDraw.h"

#include <gtest/gtest.h>

using namespace displaytest;
using vexar::ui::RGB;

namespace {

class StaticLabel : public ::testing::Test {
protected:
    StaticLabel()
    {
        label = new CCtrlStatic(&parent);
        label->setGeometry(20, 20, 160, 30);
        label->setText("Injection time");
        parent.ShowAndWait();
    }

    RecordingParent parent;
    CCtrlStatic* label = nullptr;
};

TEST_F(StaticLabel, StartsBlackOnTheButtonFace)
{
    const QImage shot = Shot(*label);
    const QColor face = vexar::ui::SystemColour(vexar::ui::SysColour::ButtonFace, label->palette());
    EXPECT_TRUE(Near(shot.pixelColor(1, 1), face));
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 2, shot.height() - 2), face));
    EXPECT_GT(CountNear(shot, shot.rect(), Qt::black, 40), 10) << "the text in black";
}

// The new background is on the screen the moment SetBkColor returns, with
// no event processed in between; a plain update() would leave the old one.
TEST_F(StaticLabel, SetBkColorRepaintsBeforeItReturns)
{
    QCoreApplication::processEvents();
    ASSERT_FALSE(Near(OnScreen(*label).pixelColor(2, 2), RGB(200, 30, 40)));

    label->SetBkColor(RGB(200, 30, 40));

    EXPECT_TRUE(Near(OnScreen(*label).pixelColor(2, 2), RGB(200, 30, 40)));
    const QImage shot = Shot(*label);
    EXPECT_TRUE(Near(shot.pixelColor(2, 2), RGB(200, 30, 40)));
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 3, shot.height() - 3), RGB(200, 30, 40)));
}

// The creator's text colour shows while the label is enabled; disabled,
// the text is greyed as any disabled static text.
TEST_F(StaticLabel, TextColourWhileEnabledGreyWhileDisabled)
{
    label->m_textColour = RGB(0, 0, 230);
    label->SetBkColor(RGB(255, 255, 255));
    EXPECT_GT(CountNear(Shot(*label), label->rect(), QColor(0, 0, 230), 40), 10);

    label->setEnabled(false);
    EXPECT_EQ(CountNear(Shot(*label), label->rect(), QColor(0, 0, 230), 40), 0);
    EXPECT_GT(CountNear(Shot(*label), label->rect(), Qt::white, 0), 0);
}

// The text is shown as it is, never read as markup: as markup "<i></i>"
// would show nothing.
TEST_F(StaticLabel, ShowsMarkupAsPlainText)
{
    label->setText("<i></i>");
    EXPECT_GT(CountNear(Shot(*label), label->rect(), Qt::black, 40), 10);
}

TEST_F(StaticLabel, ShowCtrlShowsAndHides)
{
    label->ShowCtrl(false);
    EXPECT_TRUE(label->isHidden());
    label->ShowCtrl(true);
    EXPECT_TRUE(label->isVisible());
}

}  // namespace
