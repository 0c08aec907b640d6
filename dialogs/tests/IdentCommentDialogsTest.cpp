// The identification dialog and the two comment dialogs: captions by id;
// the identification's fields by the link state, in the opener's font and
// colour; a comment typed over several lines that neither Enter nor Esc
// ends, handed back whole after OK; comments shown read-only.
#include "dialogs/CDlgIdentCentr.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CDlgViewComm.h"

#include "DialogTestSupport.h"
#include "link/CVEXARLink.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/CCtrlStatic.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextLayout>
#include <QWheelEvent>

#include <cstdlib>

using namespace vexar;
using dialogtest::CountColour;
using dialogtest::ProgramHome;
using dialogtest::Shot;

namespace {

const dialogtest::Texts kTexts = {
    {3240, u"Identità"},      {3241, u"Firmware ECU"},   {3242, u"Calibrazione"}, {3243, u"Collegamento"},
    {3244, u"Versione:"},     {3245, u"Nome:"},          {3246, u"Stato:"},       {3247, u"Sconosciuto"},
    {3248, u"Scollegata"},    {3249, u"Collegata"},      {3020, u"Fatto"},        {3021, u"Lascia"},
    {3079, u"Nuovo commento"}, {3115, u"Commenti del file"},
};

constexpr ui::COLORREF kText = ui::RGB(200, 0, 0);

QFont TestFont() { return QFont(QStringLiteral("DejaVu Sans"), 12, QFont::Bold); }

QPlainTextEdit& Editor(CCtrlEdit& field)
{
    auto* editor = field.findChild<QPlainTextEdit*>();
    EXPECT_NE(editor, nullptr);
    return *editor;
}

class IdentificationDialog : public ::testing::Test {
protected:
    void Open(bool linked, const std::u16string& ident = u"VXG4_R01170", const std::u16string& calib = u"CITY 1.4")
    {
        app.m_bLinked = linked ? 1 : 0;
        dialog.m_strLangFile = home.LangFile();
        dialog.m_font = TestFont();
        dialog.m_crText = kText;
        dialog.m_strEcuIdent = ident;
        dialog.m_strCalibName = calib;
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    ProgramHome home{kTexts};
    link::CVEXARLink app;
    CDlgIdentCentr dialog{app};
};

}  // namespace

TEST_F(IdentificationDialog, TheFieldsFollowTheLinkState)
{
    const struct {
        bool linked;
        QString firmware;
        QString config;
        QString link;
    } cases[] = {
        {true, "VXG4_R01170", "CITY 1.4", "Collegata"},
        {false, "Sconosciuto", "Sconosciuto", "Scollegata"},
    };
    for (const auto& c : cases) {
        Open(c.linked);
        EXPECT_EQ(dialog.FirmwareField().text(), c.firmware) << c.linked;
        EXPECT_EQ(dialog.ConfigField().text(), c.config) << c.linked;
        EXPECT_EQ(dialog.LinkField().text(), c.link) << c.linked;
        dialog.hide();
    }
}

TEST_F(IdentificationDialog, CaptionsFontAndColourComeFromTheOpener)
{
    Open(true);
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Identità"));
    const std::u16string boxes[] = {u"Firmware ECU", u"Calibrazione", u"Collegamento"};
    const QString labels[] = {"Versione:", "Nome:", "Stato:"};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(dialog.Box(i).GetWindowText(), boxes[i]);
        EXPECT_EQ(dialog.Label(i).text(), labels[i]);
        EXPECT_EQ(dialog.Box(i).m_font, TestFont());
        EXPECT_EQ(dialog.Box(i).m_textColour, kText);
        EXPECT_EQ(dialog.Label(i).font(), TestFont());
        EXPECT_EQ(dialog.Label(i).m_textColour, kText);
    }
    EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("Fatto"));
    EXPECT_EQ(dialog.OkButton().font(), TestFont());
    EXPECT_EQ(dialog.OkButton().m_textColour, kText);
    for (CCtrlEditInfo* field : {&dialog.FirmwareField(), &dialog.ConfigField(), &dialog.LinkField()}) {
        EXPECT_TRUE(field->isReadOnly());
        EXPECT_EQ(field->alignment() & Qt::AlignHCenter, Qt::AlignHCenter);
        EXPECT_EQ(field->font(), TestFont());
        // The text is drawn in the opener's colour, and it fits.
        EXPECT_GT(CountColour(Shot(*field), field->rect(), QColor(200, 0, 0).rgb()), 20);
        EXPECT_GE(field->width(), field->fontMetrics().horizontalAdvance(field->text()));
    }
    // The captions of the rows line up.
    EXPECT_EQ(dialog.Label(0).mapTo(&dialog, QPoint(0, 0)).x(), dialog.Label(2).mapTo(&dialog, QPoint(0, 0)).x());
    EXPECT_EQ(dialog.FirmwareField().mapTo(&dialog, QPoint(0, 0)).x(),
              dialog.LinkField().mapTo(&dialog, QPoint(0, 0)).x());
}

// The firmware and configuration fields hold several lines: a text longer
// than the field wraps at its width and scrolls up and down inside it, the
// dialog keeping its size; they are read-only and show no caret, and a
// short text stands in the middle. The connection field is one line.
TEST_F(IdentificationDialog, FirmwareAndConfigurationFieldsWrapAndScroll)
{
    Open(true);
    const QSize size = dialog.size();
    for (CCtrlEditInfo* field : {&dialog.FirmwareField(), &dialog.ConfigField()}) {
        const QRect ink = dialogtest::BoxOf(Shot(*field), QColor(200, 0, 0).rgb());
        EXPECT_LE(std::abs(ink.center().x() - field->rect().center().x()), 3) << field->text().toStdString();
    }
    dialog.hide();

    Open(true, u"VXG4_R01170 boot 2.03 hardware 7 serie 0123456789 prodotto il 03/11/2008 collaudo 17",
         u"CALIBRAZIONE_CITTADINA_1400_GPL_INIETTORI_MAGGIORATI_RIDUTTORE_TARATO");
    EXPECT_EQ(dialog.size(), size);
    for (CCtrlEditInfo* field : {&dialog.FirmwareField(), &dialog.ConfigField()}) {
        auto* lines = field->findChild<QPlainTextEdit*>();
        ASSERT_NE(lines, nullptr) << field->text().toStdString();
        EXPECT_TRUE(lines->isVisible());
        EXPECT_EQ(lines->geometry(), field->rect());
        EXPECT_EQ(lines->toPlainText(), field->text());
        EXPECT_TRUE(lines->isReadOnly());
        EXPECT_FALSE(lines->textInteractionFlags() & (Qt::TextEditable | Qt::TextSelectableByKeyboard));
        EXPECT_EQ(lines->focusPolicy(), Qt::NoFocus);
        EXPECT_GT(lines->document()->firstBlock().layout()->lineCount(), 3) << field->text().toStdString();
        EXPECT_EQ(lines->horizontalScrollBar()->maximum(), 0);
        EXPECT_TRUE(QTest::qWaitFor([&] { return lines->verticalScrollBar()->isVisible(); }, 1000));
        EXPECT_GT(lines->verticalScrollBar()->maximum(), 0);
        // The wheel brings the last lines into view.
        const int before = lines->verticalScrollBar()->value();
        QWheelEvent wheel(QPointF(10, 10), lines->viewport()->mapToGlobal(QPointF(10, 10)), QPoint(), QPoint(0, -360),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(lines->viewport(), &wheel);
        EXPECT_GT(lines->verticalScrollBar()->value(), before);
        EXPECT_GT(CountColour(Shot(*field), field->rect(), QColor(200, 0, 0).rgb()), 20);
    }
    EXPECT_EQ(dialog.LinkField().findChild<QPlainTextEdit*>(), nullptr);
}

TEST_F(IdentificationDialog, OkAndEscEndIt)
{
    Open(false);
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_FALSE(dialog.isVisible());
    Open(false);
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
    EXPECT_FALSE(dialog.isVisible());
}

namespace {

class CommentEntry : public ::testing::Test {
protected:
    void Open()
    {
        dialog.m_strLangFile = home.LangFile();
        dialog.m_font = TestFont();
        dialog.m_crEditText = kText;
        dialog.m_crButtonText = ui::RGB(0, 0, 160);
        dialog.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    }

    ProgramHome home{kTexts};
    CVEXARPages app;
    CDlgInsComm dialog{app};
};

}  // namespace

// Enter starts a new line wherever the focus is; neither Enter nor Esc
// ends the dialog; OK hands back the whole text as typed.
TEST_F(CommentEntry, EnterStartsALineAndOnlyTheButtonsEndIt)
{
    Open();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Nuovo commento"));
    EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("Fatto"));
    EXPECT_EQ(dialog.CancelButton().text(), QStringLiteral("Lascia"));
    QPlainTextEdit& editor = Editor(dialog.CommentField());
    EXPECT_TRUE(editor.hasFocus());
    QTest::keyClicks(&editor, "Iniettori nuovi");
    QTest::keyClick(&editor, Qt::Key_Return);
    QTest::keyClicks(&editor, "riduttore");
    QTest::keyClick(&editor, Qt::Key_Enter, Qt::KeypadModifier);
    QTest::keyClick(&editor, Qt::Key_Escape);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("Iniettori nuovi\nriduttore\n"));

    // Enter and Esc on a button or on the dialog end nothing either.
    for (QWidget* target : {static_cast<QWidget*>(&dialog.OkButton()), static_cast<QWidget*>(&dialog.CancelButton()),
                            static_cast<QWidget*>(&dialog)}) {
        target->setFocus();
        for (Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(target, key);
        EXPECT_TRUE(dialog.isVisible());
    }
    EXPECT_TRUE(dialog.m_strComment.empty());

    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_EQ(dialog.m_strComment, u"Iniettori nuovi\nriduttore\n");
}

// Cancel hands back nothing; a second showing starts empty.
TEST_F(CommentEntry, CancelKeepsNothingAndTheNextShowingStartsEmpty)
{
    Open();
    QTest::keyClicks(&Editor(dialog.CommentField()), "prova");
    QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDCANCEL);
    EXPECT_TRUE(dialog.m_strComment.empty());
    Open();
    EXPECT_TRUE(Editor(dialog.CommentField()).toPlainText().isEmpty());
}

TEST_F(CommentEntry, TheFieldAndTheButtonsTakeTheOpenersFontAndColours)
{
    Open();
    QPlainTextEdit& editor = Editor(dialog.CommentField());
    EXPECT_EQ(editor.font(), TestFont());
    EXPECT_EQ(editor.horizontalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    EXPECT_EQ(editor.verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    QTest::keyClicks(&editor, "MMMMMMMM");
    EXPECT_GT(CountColour(Shot(dialog.CommentField()), dialog.CommentField().rect(), QColor(200, 0, 0).rgb()), 20);
    for (CButtonMfc* button : {&dialog.OkButton(), &dialog.CancelButton()}) {
        EXPECT_EQ(button->font(), TestFont());
        EXPECT_EQ(button->m_textColour, ui::RGB(0, 0, 160));
    }
}

TEST(CommentView, ShowsTheCommentsReadOnly)
{
    ProgramHome home(kTexts);
    CVEXARPages app;
    CDlgViewComm dialog(app);
    dialog.m_strLangFile = home.LangFile();
    dialog.m_font = TestFont();
    dialog.m_strComment = u"Lunedì: iniettori nuovi\nMartedì: riduttore";
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Commenti del file"));
    EXPECT_EQ(dialog.OkButton().text(), QStringLiteral("Fatto"));
    QPlainTextEdit& editor = Editor(dialog.CommentField());
    EXPECT_EQ(editor.toPlainText(), QStringLiteral("Lunedì: iniettori nuovi\nMartedì: riduttore"));
    EXPECT_EQ(editor.font(), TestFont());
    EXPECT_TRUE(editor.isReadOnly());
    QTest::keyClicks(&editor, "xyz");
    QTest::keyClick(&editor, Qt::Key_Delete);
    EXPECT_EQ(dialog.CommentField().GetWindowText(), dialog.m_strComment);
    QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.result(), ui::IDOK);
    EXPECT_FALSE(dialog.isVisible());
}
