// Editing a map with the mouse and the keyboard, as a user does: drags,
// Shift+clicks, arrows, Escape, the real change dialog driven while it
// shows, the clipboard both ways, undo, and the tooltip by region. Every
// user operation that changes cells is one write request on the link's
// queue.
#include "pages/CCtrlGrid.h"

#include "MapFixture.h"
#include "pages/CCtrlRdb.h"
#include "pages/CCtrlToolTip.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMimeData>
#include <QTimer>

#include <functional>

using namespace vexar;
using namespace vexar::gridtest;

namespace {

// 4 x 6 values (fixed headers) at 0x100, words, whole numbers.
REC_CONTROLLO Fixed46()
{
    REC_CONTROLLO d = MapDef(160, u"M46", 4, 6, 0x100, DATO_UWORD, u".");
    Fixed(GridOf(d).PRIMA_RIGA, {u"a", u"b", u"c", u"d", u"e", u"f"}, u"rpm");
    Fixed(GridOf(d).PRIMA_COLONNA, {u"w", u"x", u"y", u"z"}, u"C");
    return d;
}

// Counts the keys that reach a window past its children.
class KeyCounter : public QObject {
public:
    int escapes = 0;
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::KeyPress && static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape)
            ++escapes;
        return false;
    }
};

class MapEditTest : public MapPage {
protected:
    MapEditTest() { HoldQueue(); }

    // Runs `drive` on the change dialog once it shows.
    static void WhileShown(CDlgModGridVal& dialog, std::function<void()> drive)
    {
        QTimer::singleShot(0, &dialog, [&dialog, drive] {
            // As a user finds it: shown, active, the number taking the keys.
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.isVisible(); }, 5000));
            EXPECT_TRUE(QTest::qWaitForWindowActive(&dialog));
            EXPECT_TRUE(QTest::qWaitFor([&] { return dialog.ValueField().hasFocus(); }, 5000));
            drive();
        });
    }
    // Types `text` over the number the dialog shows.
    static void TypeValue(CDlgModGridVal& dialog, const QString& text)
    {
        QTest::keyClick(&dialog.ValueField(), Qt::Key_A, Qt::ControlModifier);
        QTest::keyClicks(&dialog.ValueField(), text);
    }
    static void Key(CCtrlGrid& map, int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QTest::keyClick(&map, static_cast<Qt::Key>(key), modifiers);
    }
    static QString Clipboard() { return QGuiApplication::clipboard()->text(); }
};

// ---- Selection by mouse and keys -------------------------------------------------------------------

// A drag from (3, 4) out to (1, 2) and back to (2, 3); a Shift+click into
// the header row extends from row 1; a click on a header changes nothing.
TEST_F(MapEditTest, DragsAndShiftClicks)
{
    CCtrlGrid* map = Make(Fixed46());
    DragTo(*map, {3, 4}, {{2, 3}, {1, 2}});
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 1, 4, 3}));
    DragTo(*map, {3, 4}, {{2, 3}, {1, 2}, {2, 3}});
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{3, 2, 4, 3}));

    Click(*map, 3, 2);
    Click(*map, 0, 5, Qt::ShiftModifier);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 1, 5, 3}));
    Click(*map, 0, 3);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 1, 5, 3}));
    EXPECT_EQ(map->Cursor().current, (GRID_CELL{0, 3}));
    EXPECT_TRUE(Writes().empty());
}

// Arrows act when they are let go, once however long they were held;
// Escape takes the selection away and the page never sees it, and a copy
// after it copies nothing.
TEST_F(MapEditTest, ArrowReleasesAndEscape)
{
    CCtrlGrid* map = Make(Fixed46());
    Click(*map, 2, 2);
    QTest::keyPress(map, Qt::Key_Right);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 2, 2, 2}));
    QTest::keyRelease(map, Qt::Key_Right);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{3, 2, 3, 2}));
    // Held: repeats of press and release, then the last release.
    QTest::keyPress(map, Qt::Key_Down);
    for (int i = 0; i < 3; ++i) {
        QKeyEvent release(QEvent::KeyRelease, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(map, &release);
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier, QString(), true);
        QApplication::sendEvent(map, &press);
    }
    QTest::keyRelease(map, Qt::Key_Down);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{3, 3, 3, 3}));
    Key(*map, Qt::Key_Right, Qt::ShiftModifier);
    Key(*map, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{3, 2, 4, 3}));
    Key(*map, Qt::Key_Left);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 2, 2, 2}));

    KeyCounter counter;
    page.installEventFilter(&counter);
    QGuiApplication::clipboard()->setText(QStringLiteral("before"));
    Key(*map, Qt::Key_Escape);
    EXPECT_EQ(map->Selection(), GRID_SELECTION{});
    EXPECT_EQ(counter.escapes, 0);
    Key(*map, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("before"));
    page.removeEventFilter(&counter);
    EXPECT_TRUE(Writes().empty());
}

// ---- The change dialog ---------------------------------------------------------------------------

// Enter on a 4 x 6 map opens the dialog in linear mode; typed 10 with
// Alt+P scales 50 and 80 by 10 per cent; Enter ends it; one write.
TEST_F(MapEditTest, EnterOpensTheDialogAndAltPScalesByPercent)
{
    CCtrlGrid* map = Make(Fixed46());
    map->PutCellText(1, 1, u"50");
    map->PutCellText(1, 2, u"80");
    Click(*map, 1, 1);
    Click(*map, 1, 2, Qt::ShiftModifier);
    CDlgModGridVal& dialog = map->ChangeDialog();
    bool opened = false;
    WhileShown(dialog, [&] {
        opened = true;
        EXPECT_TRUE(dialog.ModeButton(CDlgModGridVal::kLinear).isChecked());
        EXPECT_FALSE(dialog.ModeButton(CDlgModGridVal::kPercent).isChecked());
        EXPECT_EQ(dialog.ValueField().GetValue(), 80.0);  // the current cell's
        TypeValue(dialog, QStringLiteral("10"));
        QTest::keyClick(&dialog, Qt::Key_P, Qt::AltModifier);
        EXPECT_TRUE(dialog.ModeButton(CDlgModGridVal::kPercent).isChecked());
        EXPECT_FALSE(dialog.ModeButton(CDlgModGridVal::kLinear).isChecked());
        QTest::keyClick(&dialog.ValueField(), Qt::Key_Return);
    });
    Key(*map, Qt::Key_Return);
    EXPECT_TRUE(opened);
    EXPECT_FALSE(dialog.isVisible());
    EXPECT_EQ(Texts(*map, 1, 1, 1, 2), (std::vector<std::u16string>{u"55", u"88"}));
    EXPECT_EQ(ParBytes(0x100, 4), (std::vector<std::uint8_t>{0, 55, 0, 88}));
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x100, 4}}));

    // Ctrl+Z writes the old texts back; a second one changes nothing and
    // writes nothing.
    Key(*map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(*map, 1, 1, 1, 2), (std::vector<std::u16string>{u"50", u"80"}));
    EXPECT_EQ(ParBytes(0x100, 4), (std::vector<std::uint8_t>{0, 50, 0, 80}));
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x100, 4}}));
    Key(*map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(*map, 1, 1, 1, 2), (std::vector<std::u16string>{u"50", u"80"}));
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{1, 1, 2, 1}));
}

// A double click opens it too; linear -5 shifts, the mask rounds, an
// upper limit of 85 holds an absolute 90 at 85, percent -10 takes a tenth
// off; Esc and Cancel change nothing and write nothing.
TEST_F(MapEditTest, DoubleClickModesLimitsAndCancel)
{
    REC_CONTROLLO d = Fixed46();
    d.MIN = u"0";
    d.MAX = u"85";
    CCtrlGrid* map = Make(d);
    map->PutCellText(2, 3, u"50");
    map->PutCellText(2, 4, u"80");
    Click(*map, 2, 3);
    Click(*map, 2, 4, Qt::ShiftModifier);
    CDlgModGridVal& dialog = map->ChangeDialog();
    const struct {
        const char* name;
        QString typed;
        Qt::Key modeKey;
        std::vector<std::u16string> texts;
    } cases[] = {
        {"linear -5", QStringLiteral("-5"), Qt::Key_L, {u"45", u"75"}},
        {"percent 10, whole numbers", QStringLiteral("10"), Qt::Key_P, {u"50", u"83"}},
        {"absolute 90 held at 85", QStringLiteral("90"), Qt::Key_A, {u"85", u"85"}},
        {"percent -10", QStringLiteral("-10"), Qt::Key_P, {u"77", u"77"}},
    };
    for (const auto& c : cases) {
        WhileShown(dialog, [&] {
            TypeValue(dialog, c.typed);
            QTest::keyClick(&dialog, c.modeKey, Qt::AltModifier);
            QTest::mouseClick(&dialog.OkButton(), Qt::LeftButton);
        });
        QTest::mouseDClick(map, Qt::LeftButton, Qt::NoModifier, Centre(*map, 2, 4));
        EXPECT_EQ(Texts(*map, 2, 3, 2, 4), c.texts) << c.name;
        EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x100 + 2 * (6 + 2), 4}})) << c.name;
    }

    WhileShown(dialog, [&] {
        TypeValue(dialog, QStringLiteral("1"));
        QTest::keyClick(&dialog, Qt::Key_Escape);
    });
    Key(*map, Qt::Key_Return);
    WhileShown(dialog, [&] {
        TypeValue(dialog, QStringLiteral("1"));
        QTest::mouseClick(&dialog.CancelButton(), Qt::LeftButton);
    });
    Key(*map, Qt::Key_Return);
    EXPECT_EQ(Texts(*map, 2, 3, 2, 4), (std::vector<std::u16string>{u"77", u"77"}));
    EXPECT_TRUE(Writes().empty());
}

// A table of one value row opens in absolute mode; Alt+L switches to
// linear with only that button on; Enter without typing takes the shown
// value.
TEST_F(MapEditTest, ATableOpensInAbsoluteMode)
{
    REC_CONTROLLO d = MapDef(170, u"ROW", 1, 5, 0x20, DATO_UBYTE, u".");
    CCtrlGrid* map = Make(d);
    Click(*map, 0, 2);
    CDlgModGridVal& dialog = map->ChangeDialog();
    WhileShown(dialog, [&] {
        EXPECT_TRUE(dialog.ModeButton(CDlgModGridVal::kAbsolute).isChecked());
        QTest::keyClick(&dialog, Qt::Key_L, Qt::AltModifier);
        EXPECT_FALSE(dialog.ModeButton(CDlgModGridVal::kAbsolute).isChecked());
        EXPECT_TRUE(dialog.ModeButton(CDlgModGridVal::kLinear).isChecked());
        EXPECT_FALSE(dialog.ModeButton(CDlgModGridVal::kPercent).isChecked());
        QTest::keyClick(&dialog.ValueField(), Qt::Key_Return);
    });
    Key(*map, Qt::Key_Return);
    EXPECT_EQ(dialog.m_nMode, CDlgModGridVal::kLinear);
    EXPECT_EQ(dialog.m_dValue, 3.0);
    EXPECT_EQ(Text(*map, 0, 2), u"6");
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x22, 1}}));
}

// ---- Clipboard ------------------------------------------------------------------------------------

TEST_F(MapEditTest, CopyGivesTabbedRows)
{
    CCtrlGrid* map = Make(Fixed46());
    const char16_t* texts[2][3] = {{u"a", u"b", u"c"}, {u"d", u"e", u"f"}};
    for (int r = 0; r < 2; ++r)
        for (int c = 0; c < 3; ++c)
            map->PutCellText(2 + r, 3 + c, texts[r][c]);
    DragTo(*map, {2, 3}, {{3, 5}});
    Key(*map, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("a\tb\tc\nd\te\tf"));
    EXPECT_TRUE(Writes().empty());
}

// A block from a spreadsheet (CRLF, a final line feed) fills and selects
// its cells from the current one, is one write, and copies back the same.
TEST_F(MapEditTest, ASpreadsheetBlockPastesAndCopiesBack)
{
    REC_CONTROLLO d = Fixed46();
    GridOf(d).FORMATO = u".#";
    CCtrlGrid* map = Make(d);
    Click(*map, 2, 2);
    auto* data = new QMimeData;
    data->setText(QStringLiteral("1.5\t2.5\r\n3\t4\r\n"));
    QGuiApplication::clipboard()->setMimeData(data);
    Key(*map, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(Texts(*map, 2, 2, 3, 3), (std::vector<std::u16string>{u"1.5", u"2.5", u"3", u"4"}));
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{2, 2, 3, 3}));
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x100 + 2 * (6 + 1), 2 * (6 + 2)}}));
    Key(*map, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(Clipboard(), QStringLiteral("1.5\t2.5\n3\t4"));
}

// The paste table: one comma five is two cells; a text that is no number
// stays out and keeps its cell's bytes; numbers beyond the limits are held
// at them; cells beyond the map are passed over; ragged lines; one write
// and one undo for all of it.
TEST_F(MapEditTest, PastedTextsAreCheckedCellByCell)
{
    REC_CONTROLLO d = Fixed46();
    d.MIN = u"10";
    d.MAX = u"500";
    CCtrlGrid* map = Make(d);
    Click(*map, 1, 5);
    ASSERT_TRUE(map->PasteText(u"1,5"));
    EXPECT_EQ(Texts(*map, 1, 5, 1, 6), (std::vector<std::u16string>{u"10", u"10"}));
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{5, 1, 6, 1}));
    EXPECT_EQ(Writes().size(), 1u);

    Click(*map, 3, 4);
    Par(0x100 + 2 * (2 * 6 + 3) + 1) = 0x2A;  // cell (3, 4)'s low byte in the image
    const std::vector<std::u16string> before = Texts(*map, 3, 4, 4, 6);
    ASSERT_TRUE(map->PasteText(u"abc\t99999\t123\t7\n-5\r\n20\t30\n"));
    EXPECT_EQ(Texts(*map, 3, 4, 4, 6),
              (std::vector<std::u16string>{before[0], u"500", u"123", u"10", before[4], before[5]}));
    EXPECT_EQ(Par(0x100 + 2 * (2 * 6 + 3) + 1), 0x2A);
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{4, 3, 6, 4}));
    // From value (2, 4) to the end of value (3, 3).
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x100 + 2 * (2 * 6 + 4), 12}}));
    Key(*map, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(Texts(*map, 3, 4, 4, 6), before);
    EXPECT_EQ(Writes().size(), 1u);

    // Nothing to paste, or no selection: nothing happens.
    EXPECT_FALSE(map->PasteText(u"\r\n"));
    Key(*map, Qt::Key_Escape);
    EXPECT_FALSE(map->PasteText(u"1"));
    EXPECT_TRUE(Writes().empty());
}

// ---- Tooltips ---------------------------------------------------------------------------------------

// Over the corner no tip, over the X points the X vector's comment, over
// the Y points the Y vector's, over the values the map's.
TEST_F(MapEditTest, TheTooltipFollowsTheRegion)
{
    REC_CONTROLLO d = MapDef(180, u"TIP", 2, 3, 0x100);
    Calibrable(GridOf(d).PRIMA_RIGA, 181);
    Calibrable(GridOf(d).PRIMA_COLONNA, 182);
    CCtrlGrid* map = Make(d, {VectorDef(181, u"TX", {1, 2, 3}, 0x40, true), VectorDef(182, u"TY", {1, 2}, 0x80, false)});
    const struct {
        GRID_CELL cell;
        std::int32_t kind;
        QString text;
    } cases[] = {
        {{0, 2}, 1, QStringLiteral("Comment of TX")},
        {{0, 0}, 0, QString()},
        {{2, 0}, 2, QStringLiteral("Comment of TY")},
        {{1, 1}, 3, QStringLiteral("The map's comment")},
    };
    for (const auto& c : cases) {
        const QPoint at = Centre(*map, c.cell.row, c.cell.column);
        QTest::mouseMove(map, at);
        QTest::mouseMove(map, at + QPoint(1, 0));
        EXPECT_EQ(map->ToolTipKind(), c.kind);
        if (c.text.isEmpty()) {
            EXPECT_EQ(map->GridToolTip(), nullptr);
            continue;
        }
        ASSERT_NE(map->GridToolTip(), nullptr);
        EXPECT_EQ(map->GridToolTip()->Text(), c.text);
        EXPECT_TRUE(QTest::qWaitFor([&] { return map->GridToolTip()->IsShown(); }, 2000)) << c.kind;
    }
}

// A disabled map sees no pointer of its own: the page relays what the
// pointer does, and the map's tip shows all the same.
TEST_F(MapEditTest, ARelayedPointerShowsTheTipOfADisabledMap)
{
    CCtrlGrid* map = Make(Fixed46());
    Send(*map, link::WM_CTRL_ENABLE, 0);
    ASSERT_FALSE(map->isEnabled());
    auto relayed = std::make_unique<TOOLTIP_MSG>();
    relayed->type = QEvent::MouseMove;
    relayed->globalPos = map->mapToGlobal(Centre(*map, 2, 2));
    ui::PostMessage(map, {link::WM_CTRL_TOOLTIP, 0, 0, std::move(relayed)});
    ASSERT_NE(map->GridToolTip(), nullptr);
    EXPECT_TRUE(QTest::qWaitFor([&] { return map->GridToolTip()->IsShown(); }, 2000));
}

}  // namespace
