#include "tools/common/CVersionInfo.h"
#include "tools/common/ui/CLoaderAboutDlg.h"
#include "tools/common/ui/CRs232ConfigDlg.h"
#include "tools/common/ui/ToolDisplay.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace vexar::tools;

namespace {

// Confirmed untouched, the serial settings are port 1 and the first baud,
// or 19200 for the tools that ask so; the current settings play no part.
TEST(CRs232ConfigDlgTest, OpensOnTheFirstPortAndConfirmsIt)
{
    for (const bool higher : {false, true}) {
        CRs232ConfigDlg dlg(nullptr, higher);
        EXPECT_EQ(dlg.PortList()->count(), 256);
        EXPECT_EQ(dlg.PortList()->itemText(255), QStringLiteral("COM256"));
        EXPECT_EQ(dlg.BaudList()->count(), 2);
        QTimer::singleShot(0, &dlg, [&] { dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); });
        ASSERT_EQ(dlg.exec(), QDialog::Accepted);
        EXPECT_EQ(dlg.m_nPort, 1);
        EXPECT_EQ(dlg.m_nBaud, higher ? 19200 : 9600);
    }
    CRs232ConfigDlg dlg(nullptr, false);
    dlg.PortList()->setCurrentIndex(6);
    dlg.BaudList()->setCurrentIndex(1);
    QTimer::singleShot(0, &dlg, [&] { dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Ok)->click(); });
    ASSERT_EQ(dlg.exec(), QDialog::Accepted);
    EXPECT_EQ(dlg.m_nPort, 7);
    EXPECT_EQ(dlg.m_nBaud, 19200);
    dlg.m_nPort = 99;
    QTimer::singleShot(0, &dlg, [&] { dlg.findChild<QDialogButtonBox*>()->button(QDialogButtonBox::Cancel)->click(); });
    EXPECT_EQ(dlg.exec(), QDialog::Rejected);
    EXPECT_EQ(dlg.m_nPort, 99) << "Cancel changes nothing";
}

TEST(CLoaderAboutDlgTest, BrandVersionAndComment)
{
    CLoaderAboutDlg second(nullptr, 1, "st7flash");
    EXPECT_EQ(second.CompanyText(), QStringLiteral("Morvel s.r.l."));
    EXPECT_EQ(second.CommentText(), QStringLiteral("KD01 ECU flash programmer"));
    EXPECT_EQ(second.VersionText(), QStringLiteral("Version %1").arg(QString::fromStdString(CVersionInfo::VersionCode())));
    EXPECT_FALSE(second.CopyrightText().isEmpty());
    for (const int logo : {0, 2, -1}) {
        CLoaderAboutDlg main(nullptr, logo, "/opt/vexar/prgbay/kd02flash");
        EXPECT_EQ(main.CompanyText(), QStringLiteral("Morvel Tasca S.p.A.")) << logo;
        EXPECT_EQ(main.CommentText(), QStringLiteral("KD02 ECU flash programmer"));
    }
    EXPECT_EQ(CVersionInfo("x").TranslationKey().size(), 8u);
}

TEST(ToolDisplayTest, NumbersInAnyLocale)
{
    EXPECT_EQ(HexWord(0x18000), QStringLiteral("0x18000"));
    EXPECT_EQ(HexWord(0x12), QStringLiteral("0x0012"));
    EXPECT_EQ(SpacePercent(2100, 0x38000), QStringLiteral("  0.9 %"));
    EXPECT_EQ(SpacePercent(0x38000, 0x38000), QStringLiteral("100.0 %"));
    EXPECT_EQ(DownloadProgress(512, 1024, 0x8200), QStringLiteral("50 % (0x8200)"));
    EXPECT_EQ(DownloadProgress(0, 0, 0x18000), QStringLiteral("100 % (0x18000)")) << "a one-byte image";
}

}  // namespace
