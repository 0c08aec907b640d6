// The table runtime's members over windows: free labels by profile, and a
// label fitted to its text.
#include "pages/CUtilityPages.h"

#include "config/ControlCodes.h"

#include <QFontMetrics>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

namespace {

TEST(PageLabels, ShownByProfileAndAccess)
{
    QWidget page;
    CCtrlStatic publicLabel(&page), privateLabel(&page), remoteLabel(&page);
    const LABEL_TABLE labels = {{OPR_PBL, &publicLabel}, {OPR_PRV, &privateLabel}, {OPR_REM, &remoteLabel},
                                {OPR_PBL, nullptr}};
    struct Case {
        std::int32_t profile;
        bool publicShown, privateShown;
    };
    const Case cases[] = {{0, true, false}, {1, true, true}, {2, true, true}, {3, false, false},
                          {4, false, false}, {5, false, false}};
    for (const Case& c : cases) {
        CUtility::ShowWindowsByMode(c.profile, labels);
        EXPECT_EQ(!publicLabel.isHidden(), c.publicShown) << c.profile;
        EXPECT_EQ(!privateLabel.isHidden(), c.privateShown) << c.profile;
        EXPECT_EQ(!remoteLabel.isHidden(), c.privateShown) << c.profile;
    }
}

TEST(PageLabels, AFittedLabelTakesItsTextsSizeWhereItWasSmaller)
{
    QWidget page;
    page.move(100, 50);
    page.resize(400, 200);
    page.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&page));
    CCtrlStatic label(&page);
    label.setGeometry(20, 30, 10, 4);
    const std::u16string text = u"Engine speed (rpm)";
    const QPoint parentOnScreen = page.mapToGlobal(QPoint(0, 0));
    CUtility::FitWindowToText(label, parentOnScreen.x(), parentOnScreen.y(), text);
    const QFontMetrics metrics(label.font());
    EXPECT_EQ(label.geometry(), QRect(20, 30, metrics.horizontalAdvance("Engine speed (rpm)") + 5, metrics.height()));
    EXPECT_EQ(label.text(), QString("Engine speed (rpm)"));
    // A label already larger than its text keeps its size.
    label.setGeometry(20, 30, 500, 60);
    CUtility::FitWindowToText(label, parentOnScreen.x(), parentOnScreen.y(), u"x");
    EXPECT_EQ(label.geometry(), QRect(20, 30, 500, 60));
}

}  // namespace
