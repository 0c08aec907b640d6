// The map's change dialog on its own: captions from the language file,
// the font and colours it is given, the numeric field set up from the
// inputs, the first mode, Enter from anywhere, and Esc keeping the
// results.
#include "pages/CDlgModGridVal.h"

#include "TempDir.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlRdb.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"

#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <fstream>
#include <functional>

using namespace vexar;

namespace {

// A language file as the program reads it: UTF-16 with its byte-order
// mark, one "id TAB text" line per text.
void WriteLangFile(const std::string& path, const std::u16string& text)
{
    std::ofstream out(path, std::ios::binary);
    const char mark[] = {'\xFF', '\xFE'};
    out.write(mark, 2);
    for (const char16_t c : text) {
        const char bytes[] = {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        out.write(bytes, 2);
    }
}

class ChangeDialog : public ::testing::Test {
protected:
    ChangeDialog()
    {
        WriteLangFile(home.file("English.lng"), u"3028\tChange of the selected cells\r\n3020\tOK\r\n3021\tCancel\r\n"
                                                u"3107\tMode\r\n3108\tAbsolute\r\n3109\tLinear\r\n3110\tPercent\r\n");
        dialog.m_strLangFile = home.file("English.lng");
        dialog.m_font = QFont(QStringLiteral("DejaVu Sans"), 11);
        dialog.m_captionColour = 0x0000A0;
        dialog.m_valueColour = 0x008000;
        dialog.m_dIncrement = 0.5;
        dialog.m_bDescriptive = true;
        dialog.m_strFormat = u".#";
        dialog.m_dInitialValue = 12.5;
        dialog.m_nInitialMode = CDlgModGridVal::kPercent;
    }
    // Shows the dialog, runs `drive` while it shows, and returns how it
    // ended.
    int Run(std::function<void()> drive)
    {
        QTimer::singleShot(0, &dialog, [this, drive] {
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            drive();
        });
        return dialog.DoModal();
    }

    vexar::testing::TempDir home;
    CDlgModGridVal dialog;
};

// Texts by id; the group and the modes in the caption colour and the
// font; the field with the increment, the descriptive flag, the mask, the
// value and the value colour; the initial mode's button alone on.
TEST_F(ChangeDialog, ItShowsItsInputs)
{
    const int result = Run([&] {
        EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Change of the selected cells"));
        EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("OK"));
        EXPECT_EQ(dialog.CancelButton().text(), QStringLiteral("Cancel"));
        EXPECT_EQ(dialog.ModeGroup().GetWindowText(), u"Mode");
        EXPECT_EQ(dialog.ModeButton(CDlgModGridVal::kAbsolute).text(), QStringLiteral("Absolute"));
        EXPECT_EQ(dialog.ModeButton(CDlgModGridVal::kLinear).text(), QStringLiteral("Linear"));
        EXPECT_EQ(dialog.ModeButton(CDlgModGridVal::kPercent).text(), QStringLiteral("Percent"));
        EXPECT_EQ(dialog.ModeGroup().m_textColour, 0x0000A0u);
        EXPECT_EQ(dialog.ModeGroup().m_font, dialog.m_font);
        for (std::int32_t mode : {CDlgModGridVal::kAbsolute, CDlgModGridVal::kLinear, CDlgModGridVal::kPercent}) {
            EXPECT_EQ(dialog.ModeButton(mode).m_textColour, 0x0000A0u);
            EXPECT_EQ(dialog.ModeButton(mode).font(), dialog.m_font);
            EXPECT_EQ(dialog.ModeButton(mode).isChecked(), mode == CDlgModGridVal::kPercent);
        }
        EXPECT_EQ(dialog.OkButton().font(), dialog.m_font);
        const CCWNumEdit& field = dialog.ValueField();
        EXPECT_EQ(field.GetIncrement(), 0.5);
        EXPECT_TRUE(field.GetDiscrete());
        EXPECT_EQ(field.GetFormat(), u".#");
        EXPECT_EQ(field.GetValue(), 12.5);
        EXPECT_EQ(field.GetText(), u"12.5");
        EXPECT_EQ(field.GetValueColor(), 0x008000u);
        EXPECT_TRUE(field.hasFocus());
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    EXPECT_EQ(result, ui::IDCANCEL);
}

// Enter on a mode button ends with OK at once, with the value the field
// last reported; Esc after changes leaves the results as they were; a
// first mode outside the three switches none on.
TEST_F(ChangeDialog, EnterEndsWithOkAndEscKeepsTheResults)
{
    EXPECT_EQ(Run([&] {
                  QTest::keyClick(&dialog.ValueField(), Qt::Key_Up);  // one increment up
                  CCtrlRdb& linear = dialog.ModeButton(CDlgModGridVal::kLinear);
                  linear.setFocus();
                  QTest::mouseClick(&linear, Qt::LeftButton, Qt::NoModifier, QPoint(8, linear.height() / 2));
                  QTest::keyClick(&dialog.ModeButton(CDlgModGridVal::kLinear), Qt::Key_Return);
              }),
              ui::IDOK);
    EXPECT_EQ(dialog.m_dValue, 13.0);
    EXPECT_EQ(dialog.m_nMode, CDlgModGridVal::kLinear);

    dialog.m_nInitialMode = 5;
    EXPECT_EQ(Run([&] {
                  for (std::int32_t mode : {CDlgModGridVal::kAbsolute, CDlgModGridVal::kLinear, CDlgModGridVal::kPercent})
                      EXPECT_FALSE(dialog.ModeButton(mode).isChecked());
                  QTest::keyClick(&dialog.ValueField(), Qt::Key_A, Qt::ControlModifier);
                  QTest::keyClicks(&dialog.ValueField(), QStringLiteral("40"));
                  QTest::keyClick(&dialog, Qt::Key_A, Qt::AltModifier);
                  EXPECT_TRUE(dialog.ModeButton(CDlgModGridVal::kAbsolute).isChecked());
                  QTest::keyClick(&dialog.ValueField(), Qt::Key_Escape);  // drops the typed text
                  QTest::keyClick(&dialog, Qt::Key_Escape);
              }),
              ui::IDCANCEL);
    EXPECT_EQ(dialog.m_dValue, 13.0);
    EXPECT_EQ(dialog.m_nMode, CDlgModGridVal::kLinear);
}

}  // namespace
