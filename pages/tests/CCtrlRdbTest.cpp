// The coloured radio button: the button face and black at first; colours
// its owner sets after making it show at the next painting.
#include "pages/CCtrlRdb.h"

#include "DisplayTestSupport.h"
#include "platform/ui/OwnerDraw.h"

#include <gtest/gtest.h>

using namespace displaytest;
using vexar::ui::RGB;

TEST(RadioButton, PaintsInItsOwnColours)
{
    RecordingParent dialog(300, 100);
    auto* mode = new CCtrlRdb(&dialog);
    mode->setText("Percentuale");
    mode->setGeometry(10, 10, 200, 24);
    dialog.ShowAndWait();

    const QColor face = vexar::ui::SystemColour(vexar::ui::SysColour::ButtonFace, mode->palette());
    QImage shot = Shot(*mode);
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 2, 1), face));
    EXPECT_GT(CountNear(shot, shot.rect(), Qt::black, 40), 10);

    mode->m_textColour = RGB(200, 0, 0);
    mode->m_bkColour = RGB(230, 240, 255);
    shot = Shot(*mode);
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 2, 1), RGB(230, 240, 255)));
    EXPECT_TRUE(Near(shot.pixelColor(shot.width() - 2, shot.height() - 2), RGB(230, 240, 255)));
    EXPECT_GT(CountNear(shot, shot.rect(), QColor(200, 0, 0), 40), 10);

    mode->setEnabled(false);
    EXPECT_EQ(CountNear(Shot(*mode), mode->rect(), QColor(200, 0, 0), 40), 0) << "greyed while disabled";
}
