// The text field on a shown page, driven by QTest: what typing writes and
// when, the characters a byte holds, the calibration name's notice to the
// view, the read-only live field, calibration and export lines, and the
// plain field of the dialogs.
#include "pages/CCtrlEdit.h"

#include "ListsFixture.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/CCtrlStatic.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QPlainTextEdit>

using namespace vexar::pagestest;
using namespace vexar::link;

namespace {

class EditPage : public ListsPage {
protected:
    // A field at row `row`, and a second focusable field after it, so that
    // Enter has somewhere to move the focus.
    CCtrlEdit* Field(const REC_CONTROLLO& definition, const Place& place = {})
    {
        CCtrlEdit* field = Make(&CUtility::CreateCtrlEdit, definition, &par, place);
        if (field)
            field->resize(200, field->height());
        return field;
    }
    void Type(CCtrlEdit& field, const QString& text)
    {
        field.setFocus();
        field.selectAll();
        QTest::keyClicks(&field, text);
    }
    // Enter, and the commit it posts delivered.
    void Enter(CCtrlEdit& field)
    {
        QTest::keyClick(&field, Qt::Key_Return);
        Deliver();
    }
    std::vector<std::uint8_t> Bytes(int address, int count) const
    {
        return {app.m_pParMaster.get() + address, app.m_pParMaster.get() + address + count};
    }
};

// Eight bytes and "ABC": 41 42 43 and five zeros in one request of the
// whole field; Enter writes at once and moves the focus on; the posted
// commit and the focus loss that follow write nothing more.
TEST_F(EditPage, EnterWritesTheZeroPaddedTextOnceAndMovesTheFocus)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8));
    CCtrlEdit* next = Field(EditDef(2, u"OTHER", 20, 4), {1});
    app.m_bLinked = 1;
    Type(*field, "ABC");
    QTest::keyClick(field, Qt::Key_Return);
    EXPECT_EQ(app.requests, (std::vector<RecordingPages::Request>{{WM_LINK_WRITE_RANGE, 4, 8}}));
    EXPECT_EQ(Bytes(4, 8), (std::vector<std::uint8_t>{0x41, 0x42, 0x43, 0, 0, 0, 0, 0}));
    EXPECT_TRUE(next->hasFocus());
    Deliver();
    field->setFocus();
    next->setFocus();
    Deliver();
    EXPECT_EQ(Writes(), 1u);
    app.m_bLinked = 0;
}

// Twelve characters keep their first eight; leaving the field with the
// mouse writes them; leaving it unchanged, or typing the same text again,
// writes nothing.
TEST_F(EditPage, FocusLossWritesAChangedTextOnly)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8));
    CCtrlEdit* next = Field(EditDef(2, u"OTHER", 20, 4), {1});
    app.m_bLinked = 1;
    Type(*field, "ABCDEFGHIJKL");
    EXPECT_EQ(field->text(), QString("ABCDEFGH"));
    QTest::mouseClick(next, Qt::LeftButton);
    EXPECT_EQ(Bytes(4, 8), (std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 'E', 'F', 'G', 'H'}));
    EXPECT_EQ(Writes(), 1u);
    field->setFocus();
    QTest::mouseClick(next, Qt::LeftButton);
    Type(*field, "ABCDEFGH");
    QTest::mouseClick(next, Qt::LeftButton);
    Deliver();
    EXPECT_EQ(Writes(), 1u) << "an unchanged text is no change";
    app.m_bLinked = 0;
}

// Only characters a byte holds are taken: typed ones beyond 255 are
// dropped, so the ECU stores the text shown.
TEST_F(EditPage, CharactersBeyondAByteAreRefused)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8));
    field->setFocus();
    for (const QChar c : QString::fromUtf16(u"A\u03A9\u00C9\u20ACB"))
        QTest::sendKeyEvent(QTest::Click, field, Qt::Key_unknown, QString(c), Qt::NoModifier);
    EXPECT_EQ(field->text(), QString::fromUtf16(u"A\u00C9B"));
    Enter(*field);
    EXPECT_EQ(Bytes(4, 4), (std::vector<std::uint8_t>{'A', 0xC9, 'B', 0}));
    // Read back, each byte is one character.
    Par(4) = 0xE8;
    Send(*field, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(field->text(), QString::fromUtf16(u"\u00E8\u00C9B"));
}

// Pasted text keeps only characters a user may type: no control
// characters (below 0x20, 0x7F) and nothing beyond a byte. A text the ECU
// holds with a TAB is shown and kept as it is, also when the user edits
// another part of it.
TEST_F(EditPage, PasteRefusesControlCharactersAndEditsKeepTheEcusOwn)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 16));
    field->setFocus();
    QGuiApplication::clipboard()->setText(QString::fromUtf16(u"A\tB\nC\rD\u0001E\u007FF\u20ACG"));
    QTest::keyClick(field, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QString("ABCDEFG"));
    Enter(*field);
    EXPECT_EQ(Bytes(4, 8), (std::vector<std::uint8_t>{'A', 'B', 'C', 'D', 'E', 'F', 'G', 0}));

    const std::uint8_t held[] = {'A', '\t', 'B', 0, 0, 0, 0, 0};
    std::copy(std::begin(held), std::end(held), app.m_pParMaster.get() + 4);
    Send(*field, WM_CTRL_REFRESH, 1);
    EXPECT_EQ(field->text(), QString("A\tB"));
    field->setFocus();
    field->end(false);
    QTest::keyClicks(field, "Z");
    Enter(*field);
    EXPECT_EQ(Bytes(4, 8), (std::vector<std::uint8_t>{'A', '\t', 'B', 'Z', 0, 0, 0, 0}));
}

// An ECU text that a quoted line would not give back as it stands (a TAB,
// a line end, bytes after the first zero) is saved as its bytes and loads
// back to them; a plain text keeps its quotes; an unchanged field records
// no change.
TEST_F(EditPage, TextsAQuotedLineWouldNotGiveBackAreSavedAsTheirBytes)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8, u"STD"));
    struct Case {
        const char* name;
        std::vector<std::uint8_t> bytes;
        std::u16string value;
    };
    const Case cases[] = {
        {"a TAB and a line feed", {'A', '\t', 'B', '\n', 'C', 0, 0, 0}, u"0x4109420A43000000"},
        {"a carriage return", {'A', '\r', 0, 0, 0, 0, 0, 0}, u"0x410D000000000000"},
        {"bytes after the zero", {'A', 'B', 0, 0xFF, 0xFF, 0, 0, 0}, u"0x414200FFFF000000"},
        {"a plain text", {'A', ' ', '"', 0xE8, 0x01, 0, 0, 0}, u"\"A \"\u00E8\u0001\""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::copy(c.bytes.begin(), c.bytes.end(), app.m_pParMaster.get() + 4);
        Send(*field, WM_CTRL_REFRESH, 1);
        CModifica first;
        const std::u16string line = SavedLines(*field, first);
        const std::u16string value = c.value + std::u16string(c.value.size() < 20 ? 20 - c.value.size() : 0, u' ');
        EXPECT_EQ(line, u"NAME" + std::u16string(29, u' ') + u"\t" + value + u"\tA comment\n");

        std::fill_n(app.m_pParMaster.get() + 4, 8, 0x55);
        ASSERT_TRUE(field->LoadParam(line.substr(0, line.size() - 1)));
        Send(*field, WM_CTRL_STORE);
        EXPECT_EQ(Bytes(4, 8), c.bytes);
        CModifica again;
        SavedLines(*field, again);
        EXPECT_EQ(again.GetCount(), 0) << "an unchanged field";
    }
    ASSERT_TRUE(field->LoadParam(u"NAME\t 0x41090042 \tc"));
    EXPECT_EQ(field->StoredText(), (std::u16string{u'A', u'\t', 0, u'B', 0, 0, 0, 0}));
    ASSERT_TRUE(field->LoadParam(u"NAME\t0x4G\tc"));
    EXPECT_EQ(field->StoredText(), std::u16string(8, u'\0')) << "no quotes and no bytes: cleared";

    // A change away from such a text is recorded with the bytes.
    ASSERT_TRUE(field->LoadParam(u"NAME\t0x0900000000000000\tc"));
    CModifica history;
    Type(*field, "XY");
    Enter(*field);
    SavedLines(*field, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList().back().PRECEDENTE, u"0x0900000000000000");
    EXPECT_EQ(history.GetList().back().CORRENTE, u"XY");
}

// What the program sets is never a user edit; what the user types is one
// write.
TEST_F(EditPage, ProgramSetsWriteNothingAndATypedChangeOnce)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8, u"STD"));
    std::vector<WriteCase> cases = ProgramSets(*field, *field, 4, u"NAME");
    cases.push_back({"typing", [&] {
                         Type(*field, "XYZ");
                         QTest::keyClick(field, Qt::Key_Return);
                     },
                     1});
    ExpectWrites(cases);
    EXPECT_EQ(Bytes(4, 4), (std::vector<std::uint8_t>{'X', 'Y', 'Z', 0}));
}

// The calibration name tells the view on a refresh, a store and the
// default, and after a typed change unless it is the default again.
TEST_F(EditPage, TheCalibrationNameTellsTheView)
{
    CCtrlEdit* field = Field(EditDef(101, u"Nome_Calibrazione", 0, 16, u"STANDARD"));
    CCtrlEdit* other = Field(EditDef(2, u"OTHER", 20, 4), {1});
    struct Case {
        const char* name;
        std::function<void()> act;
        std::size_t notices;
    };
    const std::vector<Case> cases = {
        {"a refresh", [&] { Send(*field, WM_CTRL_REFRESH, 1); }, 1},
        {"a store", [&] { Send(*field, WM_CTRL_STORE); }, 1},
        {"the default", [&] { Send(*field, WM_CTRL_SET_DEFAULT); }, 1},
        {"a typed name", [&] {
             Type(*field, "CITY");
             QTest::keyClick(field, Qt::Key_Return);
         },
         1},
        {"the default typed", [&] {
             Type(*field, "STANDARD");
             QTest::keyClick(field, Qt::Key_Return);
         },
         0},
    };
    for (const Case& c : cases) {
        view.ids.clear();
        c.act();
        Deliver();
        EXPECT_EQ(view.Count(WM_CALIB_NAME_CHANGED), c.notices) << c.name;
    }
    view.ids.clear();
    Send(*other, WM_CTRL_REFRESH, 1);
    Send(*other, WM_CTRL_STORE);
    Deliver();
    EXPECT_EQ(view.Count(WM_CALIB_NAME_CHANGED), 0u) << "another field";
}

// A hidden FIX_ON field neither shows a refresh nor stores unless forced;
// FIX_OFF does both while hidden.
TEST_F(EditPage, AHiddenFixOnFieldKeepsItsValueAndFixOffDoesNot)
{
    for (const std::int32_t fixdef : {FIX_ON, FIX_OFF}) {
        REC_CONTROLLO definition = EditDef(1, u"NAME", 4, 4, u"AB");
        definition.FIXDEF = fixdef;
        CCtrlEdit* field = Make(&CUtility::CreateCtrlEdit, definition, nullptr, {.hidden = true});
        Par(4) = 'Z';
        Send(*field, WM_CTRL_REFRESH, 1);
        EXPECT_EQ(field->text(), QString(fixdef == FIX_ON ? "AB" : "Z")) << fixdef;
        field->SetFromText(u"QQ", 0, 0);
        Send(*field, WM_CTRL_STORE_WRITE, 0, 0);
        EXPECT_EQ(Par(4), fixdef == FIX_ON ? 'Z' : 'Q') << fixdef;
        Send(*field, WM_CTRL_STORE_WRITE, 0, 1);
        EXPECT_EQ(Par(4), 'Q') << "forced, " << fixdef;
        delete field;
        std::fill_n(app.m_pParMaster.get() + 4, 4, 0);
    }
}

// Ctrl+Z brings back the text before the last change and writes it; a
// second Ctrl+Z brings back the text the first replaced.
TEST_F(EditPage, UndoAppliesTheTextBeforeTheLastChange)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 4, u"OLD"));
    Type(*field, "NEW");
    Enter(*field);
    field->setFocus();
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QString("OLD"));
    EXPECT_EQ(Bytes(4, 4), (std::vector<std::uint8_t>{'O', 'L', 'D', 0}));
    QTest::keyClick(field, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(field->text(), QString("NEW"));
}

// The calibration line: the text between quotes, the quotes counted in the
// value's 20 units; no quotes clears the field; a changed text is one
// record of the bare texts.
TEST_F(EditPage, CalibrationAndExportLines)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 16, u"STD"));
    ASSERT_TRUE(field->LoadParam(u"NAME   \t\"CITY 1.2 GPL\"      \tcomment"));
    EXPECT_EQ(field->text(), QString("CITY 1.2 GPL"));
    CModifica history;
    EXPECT_EQ(SavedLines(*field, history),
              u"NAME" + std::u16string(29, u' ') + u"\t\"CITY 1.2 GPL\"" + std::u16string(6, u' ') + u"\tA comment\n");
    EXPECT_EQ(history.GetCount(), 0);
    EXPECT_EQ(ExportedLines(*field), "NAME\tA label\t\"CITY 1.2 GPL\"\n");

    Type(*field, "TOWN");
    Enter(*field);
    SavedLines(*field, history);
    ASSERT_EQ(history.GetCount(), 1);
    EXPECT_EQ(history.GetList().back().PRECEDENTE, u"CITY 1.2 GPL");
    EXPECT_EQ(history.GetList().back().CORRENTE, u"TOWN");

    ASSERT_TRUE(field->LoadParam(u"NAME\tno quotes\tcomment"));
    EXPECT_EQ(field->text(), QString());
    EXPECT_EQ(field->StoredText(), std::u16string(16, u'\0'));
}

// The live field: read-only and disabled, its value formatted as FORMATO
// says after every refresh, never written, opened and closed by the link
// with its labels.
TEST_F(EditPage, TheNumericFieldFollowsItsVariableAndNeverWrites)
{
    REC_CONTROLLO definition = Def(202, u"Pressione", CTRL_NUMERIC, 2);
    Scale(definition, 0.1);
    std::get<NumericBlock>(definition.GRAFICA).FORMATO = u".##";
    CCtrlEdit* field = Make(&CUtility::CreateCtrlNumeric, definition, &var);
    auto* label = new CCtrlStatic(&page);
    field->AddLabel(label);
    EXPECT_FALSE(field->isEnabled());
    EXPECT_TRUE(field->isReadOnly());
    Var(2) = 25;
    Send(*field, WM_CTRL_REFRESH, 0);
    EXPECT_EQ(field->text(), QString("2.5"));
    EXPECT_EQ(field->GetValue(), 2.5);
    Send(*field, WM_CTRL_ENABLE, 1);
    EXPECT_TRUE(field->isEnabled());
    EXPECT_TRUE(label->isEnabled());
    Send(*field, WM_CTRL_ENABLE, 0);
    EXPECT_FALSE(label->isEnabled());

    const std::vector<std::uint8_t> par = ParImage();
    const std::vector<std::uint8_t> vars = VarImage();
    ExpectWrites({
        {"a store and write", [&] { Send(*field, WM_CTRL_STORE_WRITE, 1, 1); }, 0},
        {"a store", [&] { Send(*field, WM_CTRL_STORE); }, 0},
        {"the default", [&] { Send(*field, WM_CTRL_SET_DEFAULT); }, 0},
        {"a forced refresh", [&] { Send(*field, WM_CTRL_FORCE_REFRESH); }, 0},
    });
    EXPECT_EQ(ParImage(), par);
    EXPECT_EQ(VarImage(), vars);
    EXPECT_EQ(field->text(), QString("2.5"));
    EXPECT_EQ(ExportedLines(*field), "Pressione\tA label\t2.5\n");
}

// The plain field of a dialog touches no datum; in its multi-line form
// Enter starts a new line and the focus stays.
TEST_F(EditPage, ThePlainFieldTouchesNoDatumAndItsMultiLineFormKeepsEnter)
{
    CCtrlEdit plain(app, &page);
    plain.setGeometry(10, 300, 200, 80);
    plain.show();
    const std::vector<std::uint8_t> before = ParImage();
    app.m_bLinked = 1;
    plain.setFocus();
    QTest::keyClicks(&plain, "hello");
    QTest::keyClick(&plain, Qt::Key_Return);
    Send(plain, WM_EDIT_COMMIT);
    Send(plain, WM_CTRL_STORE);
    Deliver();
    EXPECT_EQ(ParImage(), before);
    EXPECT_TRUE(app.requests.empty());

    plain.SetMultiLine(true);
    EXPECT_EQ(plain.GetWindowText(), u"hello");
    plain.setFocus();
    auto* editor = plain.findChild<QPlainTextEdit*>();
    ASSERT_NE(editor, nullptr);
    EXPECT_TRUE(editor->hasFocus());
    editor->moveCursor(QTextCursor::End);
    QTest::keyClick(editor, Qt::Key_Return);
    QTest::keyClicks(editor, "world");
    EXPECT_EQ(plain.GetWindowText(), u"hello\nworld");
    EXPECT_TRUE(editor->hasFocus());
    EXPECT_TRUE(app.requests.empty());
    app.m_bLinked = 0;
}

// The creator: the field as wide as its DEFAULT (at most the settings'
// edit width), its caption in the cell before it and its unit after it,
// both shown, hidden, enabled and disabled with it; a live field's labels
// start greyed.
TEST_F(EditPage, TheCreatorPlacesTheFieldWithItsLabels)
{
    REC_CONTROLLO definition = EditDef(1, u"NAME", 4, 8, u"ABC");
    definition.UNITA = u"mm";
    CCtrlEdit* field = Make(&CUtility::CreateCtrlEdit, definition, &par, {.column = 1});
    EXPECT_EQ(field->width(), QFontMetrics(page.font()).horizontalAdvance("ABC") + 5);
    ASSERT_EQ(field->Labels().size(), 2u);
    CCtrlStatic* caption = field->Labels()[0];
    CCtrlStatic* unit = field->Labels()[1];
    EXPECT_EQ(caption->text(), QString("A label"));
    EXPECT_EQ(caption->x(), field->x() - 200);
    EXPECT_EQ(unit->text(), QString("mm"));
    EXPECT_EQ(unit->x(), field->x() + field->width() + 5);
    field->ShowCtrl(false);
    EXPECT_FALSE(caption->isVisible());
    EXPECT_FALSE(unit->isVisible());
    field->ShowCtrl(true);
    EXPECT_TRUE(unit->isVisible());
    Send(*field, WM_CTRL_ENABLE, 0);
    EXPECT_FALSE(caption->isEnabled());
    Send(*field, WM_CTRL_ENABLE, 1);
    EXPECT_TRUE(caption->isEnabled());

    REC_CONTROLLO wide = EditDef(2, u"WIDE", 20, 30, QString(60, 'W').toStdU16String());
    EXPECT_EQ(Make(&CUtility::CreateCtrlEdit, wide, &par, {.row = 1, .column = 1})->width(),
              LAYOUT_SETTINGS{}.edit.width);
    CCtrlEdit* live = Make(&CUtility::CreateCtrlNumeric, Def(3, u"LIVE", CTRL_NUMERIC, 2), &var, {.row = 2, .column = 1});
    ASSERT_FALSE(live->Labels().empty());
    EXPECT_FALSE(live->Labels()[0]->isEnabled());
}

// The owner's colours show: the text in its colour on its background.
TEST_F(EditPage, TheFieldPaintsInItsOwnersColours)
{
    CCtrlEdit* field = Field(EditDef(1, u"NAME", 4, 8, u"WWWW"));
    field->m_textColour = vexar::ui::RGB(255, 0, 0);
    field->m_bkColour = vexar::ui::RGB(0, 0, 255);
    QFont big = field->font();
    big.setPointSize(14);
    field->setFont(big);
    field->resize(200, 40);
    const QImage image = field->grab().toImage();
    EXPECT_EQ(image.pixelColor(image.width() - 10, image.height() / 2), QColor(0, 0, 255));
    bool red = false;
    for (int x = 0; x < image.width() / 2 && !red; ++x)
        for (int y = 0; y < image.height() && !red; ++y)
            red = image.pixelColor(x, y).red() > 200 && image.pixelColor(x, y).blue() < 60;
    EXPECT_TRUE(red);
}

// The information field of the dialogs: black on the window colour until
// its owner sets its colours, which show at the next painting.
TEST_F(EditPage, TheInformationFieldPaintsInItsOwnersColours)
{
    CCtrlEditInfo info(&page);
    info.setGeometry(10, 300, 200, 30);
    info.setReadOnly(true);
    info.show();
    EXPECT_EQ(info.m_textColour, vexar::ui::RGB(0, 0, 0));
    EXPECT_EQ(vexar::ui::ToQColor(info.m_bkColour), info.palette().color(QPalette::Active, QPalette::Base));
    info.m_bkColour = vexar::ui::RGB(255, 255, 0);
    info.m_textColour = vexar::ui::RGB(0, 0, 200);
    const QImage image = info.grab().toImage();
    EXPECT_EQ(image.pixelColor(100, 15), QColor(255, 255, 0));
    EXPECT_EQ(info.palette().color(QPalette::Active, QPalette::Text), QColor(0, 0, 200));
}

}  // namespace
