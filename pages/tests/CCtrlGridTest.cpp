// The map on a page: its creation by the factory's creator, its cells bound
// to the parameter image in both byte orders, the control messages, its
// pixels, and the operating-point marker moved by live controls.
#include "pages/CCtrlGrid.h"

#include "MapFixture.h"
#include "pages/CCtrlKnob.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlSlide.h"
#include "pages/CCtrlStatic.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/OwnerDraw.h"
#include "platform/ui/WindowState.h"

using namespace vexar;
using namespace vexar::gridtest;

namespace {

constexpr int kMapLsb = 0x100;
constexpr int kXLsb = 0x40;
constexpr int kYLsb = 0x80;

// MAP1: 2 x 3 words with both axes calibrable (AXX 1000, 2000, 3000 and
// AXY 20, 80).
REC_CONTROLLO Map1(std::int32_t rows = 2, std::int32_t columns = 3)
{
    REC_CONTROLLO d = MapDef(110, u"MAP1", rows, columns, kMapLsb);
    Calibrable(GridOf(d).PRIMA_RIGA, 111);
    Calibrable(GridOf(d).PRIMA_COLONNA, 112);
    return d;
}

std::vector<REC_CONTROLLO> Axes(std::int32_t rows = 2, std::int32_t columns = 3)
{
    std::vector<double> x;
    for (std::int32_t c = 0; c < columns; ++c)
        x.push_back(1000.0 * (c + 1));
    std::vector<double> y;
    for (std::int32_t r = 0; r < rows; ++r)
        y.push_back(20.0 + 60.0 * r);
    return {VectorDef(111, u"AXX", x, kXLsb, true), VectorDef(112, u"AXY", y, kYLsb, false)};
}

QColor Qc(ui::COLORREF colour) { return ui::ToQColor(colour); }

class MapTest : public MapPage {};

// ---- Creation -------------------------------------------------------------------------------

// 5 x 8 values with both headers, a page font of 195 twips and columns of
// 40 pixels: 118 x 360 on a page before the maxima, then the size of its
// cells with 5 pixels over: 365 x 125 at 96 DPI.
TEST_F(MapTest, CreatedAtItsCellAndSizedToItsCells)
{
    ASSERT_EQ(page.logicalDpiY(), 96);
    ASSERT_EQ(CUtility::GetFontSizeTwips(page, page.font()), 195);
    REC_CONTROLLO d = Map1(5, 8);
    MapPlace place;
    place.row = 2;
    place.column = 1;
    place.columnWidth = 40;
    const GRID_PIXELS onPage = CUtility::CalcGridSize(page.font(), page, Args(d, place).settings, d);
    EXPECT_EQ(onPage.height, 118);
    EXPECT_EQ(onPage.width, 360);
    CCtrlGrid* map = Make(d, Axes(5, 8), place);
    ASSERT_NE(map, nullptr);
    EXPECT_EQ(map->geometry(), QRect(10 + 100, 10 + 2 * 40, 365, 125));
    EXPECT_EQ(map->GetRowCount(), 6);
    EXPECT_EQ(map->GetColumnCount(), 9);
    EXPECT_EQ(map->GetRowHeight(3), 295);
    EXPECT_EQ(map->GetColumnWidth(4), 600);
    EXPECT_EQ(map->RowHeightPixels(), 20);
    EXPECT_EQ(ui::GetDlgCtrlID(*map), 5110);
    EXPECT_TRUE(map->isVisible());
    // The axes' points with their captions beside and above the map.
    EXPECT_EQ(Texts(*map, 0, 1, 0, 3), (std::vector<std::u16string>{u"1000", u"2000", u"3000"}));
    EXPECT_EQ(Texts(*map, 1, 0, 2, 0), (std::vector<std::u16string>{u"20", u"80"}));
    EXPECT_EQ(Text(*map, 0, 0), u"");
    ASSERT_NE(map->GetLabel(CCtrlGrid::kTitle), nullptr);
    EXPECT_EQ(map->GetLabel(CCtrlGrid::kTitle)->text(), QStringLiteral("Map"));
    ASSERT_NE(map->GetLabel(CCtrlGrid::kRightText), nullptr);
    EXPECT_EQ(map->GetLabel(CCtrlGrid::kRightText)->text(), QStringLiteral("Axis AXX(rpm)"));
    ASSERT_NE(map->GetLabel(CCtrlGrid::kUpperLeftText), nullptr);
    EXPECT_EQ(map->GetLabel(CCtrlGrid::kUpperLeftText)->text(), QStringLiteral("Axis AXY(rpm)"));
    // The first undo copy holds the whole grid as built.
    EXPECT_EQ(map->UndoBlock(), (GRID_SELECTION{0, 0, 8, 5}));
    EXPECT_EQ(map->UndoMatrix().GetCell(0, 2), u"2000");
    // The reference texts of the axes came with their captions.
    EXPECT_EQ(map->ReferenceTexts().GetCell(0, 2), u"2000");
    EXPECT_EQ(map->ReferenceTexts().GetCell(1, 1), u"1");
    EXPECT_EQ(map->ToolTipKind(), 3);
    ASSERT_NE(map->GridToolTip(), nullptr);
    EXPECT_EQ(map->GridToolTip()->Text(), QStringLiteral("The map's comment"));
}

// A narrow map whose rows' caption, at its top left, is wider than the
// room the centred title leaves it: the title goes up a line, above the
// caption, where it stays centred over the map. A wide map keeps its title
// on the caption's line.
TEST_F(MapTest, TheTitleStandsAboveALongCaptionOfTheRows)
{
    MapPlace narrow;
    narrow.row = 2;
    narrow.columnWidth = 30;
    CCtrlGrid* map = Make(Map1(2, 1), Axes(2, 1), narrow);
    ASSERT_NE(map, nullptr);
    const QRect title = map->GetLabel(CCtrlGrid::kTitle)->geometry();
    const QRect caption = map->GetLabel(CCtrlGrid::kUpperLeftText)->geometry();
    EXPECT_EQ(caption.left(), map->x());
    EXPECT_GT(caption.right(), title.left()) << "the caption reaches under the title";
    EXPECT_FALSE(title.intersects(caption));
    EXPECT_EQ(title.bottom() + 1 + 5, caption.top());
    EXPECT_NEAR(title.center().x(), map->geometry().center().x(), 1) << "centred";

    MapPlace wide;
    wide.row = 8;
    CCtrlGrid* roomy = Make(Map1(2, 6), Axes(2, 6), wide);
    ASSERT_NE(roomy, nullptr);
    EXPECT_EQ(roomy->GetLabel(CCtrlGrid::kTitle)->y(), roomy->GetLabel(CCtrlGrid::kUpperLeftText)->y());
}

// PRES_NO: the first grid row holds values; with the development flag the
// title is the identifier; fixed labels from the second row or column when
// the other header exists, from the first otherwise.
TEST_F(MapTest, HeadersAndTitleFollowTheDefinition)
{
    REC_CONTROLLO table = MapDef(120, u"TAB", 1, 4, kMapLsb);
    MapPlace development;
    development.development = true;
    CCtrlGrid* plain = Make(table, {}, development);
    ASSERT_NE(plain, nullptr);
    EXPECT_EQ(plain->GetRowCount(), 1);
    EXPECT_EQ(Texts(*plain, 0, 0, 0, 3), (std::vector<std::u16string>{u"1", u"2", u"3", u"4"}));
    EXPECT_EQ(plain->GetLabel(CCtrlGrid::kTitle)->text(), QStringLiteral("TAB"));

    REC_CONTROLLO both = MapDef(121, u"FIX", 2, 3, kMapLsb);
    Fixed(GridOf(both).PRIMA_RIGA, {u"Low", u"Mid", u"High"}, u"rpm");
    Fixed(GridOf(both).PRIMA_COLONNA, {u"Cold", u"Warm"}, u"C");
    MapPlace right;
    right.row = 6;
    CCtrlGrid* fixed = Make(both, {}, right);
    EXPECT_EQ(Texts(*fixed, 0, 0, 0, 3), (std::vector<std::u16string>{u"", u"Low", u"Mid", u"High"}));
    EXPECT_EQ(Texts(*fixed, 0, 0, 2, 0), (std::vector<std::u16string>{u"", u"Cold", u"Warm"}));
    EXPECT_EQ(fixed->GetLabel(CCtrlGrid::kRightText)->text(), QStringLiteral("rpm"));
    EXPECT_EQ(fixed->GetLabel(CCtrlGrid::kUpperLeftText)->text(), QStringLiteral("C"));

    REC_CONTROLLO column = MapDef(122, u"COL", 2, 3, kMapLsb);
    Fixed(GridOf(column).PRIMA_COLONNA, {u"Cold", u"Warm"}, u"C");
    MapPlace lower;
    lower.row = 12;
    CCtrlGrid* only = Make(column, {}, lower);
    EXPECT_EQ(Texts(*only, 0, 0, 1, 0), (std::vector<std::u16string>{u"Cold", u"Warm"}));
    EXPECT_FALSE(only->IsCellEditable(1, 0));
}

// The limited profile gets the map without input; the link's enable opens
// it, labels and all.
TEST_F(MapTest, LimitedMapsAreDisabledUntilTheLinkEnablesThem)
{
    MapPlace limited;
    limited.limited = true;
    CCtrlGrid* map = Make(Map1(), Axes(), limited);
    EXPECT_FALSE(map->isEnabled());
    Send(*map, link::WM_CTRL_ENABLE, 1);
    EXPECT_TRUE(map->isEnabled());
    EXPECT_TRUE(map->GetLabel(CCtrlGrid::kTitle)->isEnabled());
    Send(*map, link::WM_CTRL_ENABLE, 0);
    EXPECT_FALSE(map->isEnabled());
    EXPECT_FALSE(map->GetLabel(CCtrlGrid::kTitle)->isEnabled());
}

// ---- Value cycle ---------------------------------------------------------------------------------

// A refresh decodes every editable cell in the configuration's byte order;
// a store pass encodes them back and writes one range from the X vector
// to the last value.
TEST_F(MapTest, RefreshAndStoreInBothByteOrders)
{
    for (const bool little : {false, true}) {
        SCOPED_TRACE(little ? "little-endian" : "big-endian");
        app.m_bLittleEndian = little ? 1 : 0;
        CCtrlGrid* map = Make(Map1(), Axes());
        const auto word = [little](int value) {
            return little ? std::vector<std::uint8_t>{std::uint8_t(value), std::uint8_t(value >> 8)}
                          : std::vector<std::uint8_t>{std::uint8_t(value >> 8), std::uint8_t(value)};
        };
        const auto put = [&](int address, int value) {
            const std::vector<std::uint8_t> bytes = word(value);
            std::copy(bytes.begin(), bytes.end(), app.m_pParMaster.get() + address);
        };
        for (int k = 0; k < 6; ++k)
            put(kMapLsb + 2 * k, 300 + k);
        put(kXLsb, 500);
        put(kXLsb + 2, 1500);
        put(kXLsb + 4, 6000);
        put(kYLsb, 10);
        put(kYLsb + 2, 90);
        Send(*map, link::WM_CTRL_REFRESH, 1);
        EXPECT_EQ(Texts(*map, 0, 0, 2, 3), (std::vector<std::u16string>{u"", u"500", u"1500", u"6000", u"10", u"300",
                                                                         u"301", u"302", u"90", u"303", u"304",
                                                                         u"305"}));
        map->PutCellText(2, 3, u"4660");
        map->PutCellText(0, 1, u"750");
        HoldQueue();
        Send(*map, link::WM_CTRL_STORE_WRITE, 1);
        EXPECT_EQ(ParBytes(kMapLsb + 10, 2), word(4660));
        EXPECT_EQ(ParBytes(kXLsb, 2), word(750));
        EXPECT_EQ(ParBytes(kMapLsb, 2), word(300));
        EXPECT_EQ(Writes(), (std::vector<WRITE>{{kXLsb, kMapLsb + 12 - kXLsb}}));
        app.m_pLinkThread.reset();
        app.m_bLinked = 0;
        maps.pop_back();
        par.pop_back();
        delete map;
    }
}

// A decimal comma reads as a point; a text that is no number leaves its
// bytes as they are; a map with no editable cell writes 0 bytes from 0.
TEST_F(MapTest, CellTextsAndEmptyPasses)
{
    REC_CONTROLLO d = MapDef(130, u"DEC", 1, 3, 0x20, DATO_UBYTE);
    GridOf(d).FORMATO = u".#";
    d.TIPO_CONV = CONV_FORM;
    d.CONVERSIONE = ConvForm{0.5, 0.0, 0.0, 1.0, 0.0};  // half a unit per step
    CCtrlGrid* map = Make(d);
    Par(0x21) = 0x77;
    map->PutCellText(0, 0, u"1,5");
    map->PutCellText(0, 1, u"abc");
    map->PutCellText(0, 2, u"2.5");
    HoldQueue();
    Send(*map, link::WM_CTRL_STORE_WRITE, 1);
    EXPECT_EQ(ParBytes(0x20, 3), (std::vector<std::uint8_t>{3, 0x77, 5}));
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0x20, 3}}));

    REC_CONTROLLO none = MapDef(131, u"NONE", 0, 3, 0x30);
    Fixed(GridOf(none).PRIMA_RIGA, {u"a", u"b", u"c"}, u"");
    MapPlace place;
    place.row = 5;
    CCtrlGrid* empty = Make(none, {}, place);
    Send(*empty, link::WM_CTRL_STORE_WRITE, 1);
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{0, 0}}));
    // Without the link nothing is asked of the worker.
    app.m_bLinked = 0;
    Send(*map, link::WM_CTRL_STORE_WRITE, 1);
    EXPECT_TRUE(Writes().empty());
}

// A FIX_ON map hidden by its conditions keeps its cells on a refresh and
// stores nothing unless forced; a forced refresh and a store reach it.
TEST_F(MapTest, AHiddenFixOnMapKeepsItsCellsUntilForced)
{
    REC_CONTROLLO d = MapDef(140, u"FIXON", 1, 2, 0x10, DATO_UBYTE, u".");
    d.FIXDEF = FIX_ON;
    MapPlace hidden;
    hidden.hidden = true;
    CCtrlGrid* map = Make(d, {}, hidden);
    EXPECT_FALSE(map->isVisible());
    Par(0x10) = 7;
    Par(0x11) = 8;
    Send(*map, link::WM_CTRL_REFRESH, 1);
    EXPECT_EQ(Texts(*map, 0, 0, 0, 1), (std::vector<std::u16string>{u"1", u"2"}));
    Send(*map, link::WM_CTRL_STORE_WRITE, 0);
    EXPECT_EQ(ParBytes(0x10, 2), (std::vector<std::uint8_t>{7, 8}));
    Send(*map, link::WM_CTRL_FORCE_REFRESH);
    EXPECT_EQ(Texts(*map, 0, 0, 0, 1), (std::vector<std::u16string>{u"7", u"8"}));
    map->PutCellText(0, 1, u"9");
    Send(*map, link::WM_CTRL_STORE);
    EXPECT_EQ(Par(0x11), 9);
    // The same map with FIX_OFF follows every refresh while hidden.
    d.FIXDEF = FIX_OFF;
    d.ID_GUI = 141;
    MapPlace other = hidden;
    other.row = 4;
    CCtrlGrid* follows = Make(d, {}, other);
    Send(*follows, link::WM_CTRL_REFRESH, 1);
    EXPECT_EQ(Texts(*follows, 0, 0, 0, 1), (std::vector<std::u16string>{u"7", u"9"}));
}

// Set default shows the defaults and stores them without a request; the
// reference texts stay, so the next save records the changed cells.
TEST_F(MapTest, SetDefaultKeepsTheReferenceTexts)
{
    CCtrlGrid* map = Make(Map1(), Axes());
    map->PutCellText(1, 1, u"40");
    map->PutCellText(0, 2, u"2500");
    const CStringMatrix before = map->ReferenceTexts();
    HoldQueue();
    Send(*map, link::WM_CTRL_SET_DEFAULT);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Text(*map, 1, 1), u"1");
    EXPECT_EQ(Text(*map, 0, 2), u"2000");
    EXPECT_EQ(ParBytes(kMapLsb, 2), (std::vector<std::uint8_t>{0, 1}));
    EXPECT_EQ(ParBytes(kXLsb + 2, 2), (std::vector<std::uint8_t>{0x07, 0xD0}));
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 4; ++c)
            EXPECT_EQ(map->ReferenceTexts().GetCell(r, c), before.GetCell(r, c)) << r << "," << c;
    // Undo takes the texts back that the defaults replaced and writes
    // those cells alone, from X point 1 to the end of value (0, 0); the
    // selection stays the one shown.
    Click(*map, 2, 3);
    Send(*map, ui::WM_COMMAND, link::ID_EDIT_UNDO);
    EXPECT_EQ(Text(*map, 1, 1), u"40");
    EXPECT_EQ(Text(*map, 0, 2), u"2500");
    EXPECT_EQ(Writes(), (std::vector<WRITE>{{kXLsb + 2, kMapLsb + 2 - (kXLsb + 2)}}));
    EXPECT_EQ(map->Selection(), (GRID_SELECTION{3, 2, 3, 2}));
}

// Without images nothing is read, stored or written.
TEST_F(MapTest, WithoutImagesNothingMoves)
{
    CCtrlGrid* map = Make(Map1(), Axes());
    app.ResizeImages(0, 0);
    app.m_pParMaster.reset();
    app.m_pParWork.reset();
    HoldQueue();
    Send(*map, link::WM_CTRL_REFRESH, 1);
    Send(*map, link::WM_CTRL_STORE_WRITE, 1);
    Send(*map, link::WM_CTRL_FORCE_REFRESH);
    EXPECT_TRUE(Writes().empty());
    EXPECT_EQ(Text(*map, 1, 1), u"1");
}

// ---- Pixels -------------------------------------------------------------------------------------

// Header cells grey with black borders over the grey borders of the
// values, white values, the button face beyond the cells; the selection
// navy, keeping its right and bottom lines.
TEST_F(MapTest, CellsSelectionAndBackgroundInPixels)
{
    CCtrlGrid* map = Make(Map1(), Axes());
    map->resize(map->width() + 30, map->height() + 20);
    const int h = map->RowHeightPixels();
    const int w = map->GetColumnWidthPixels(0);
    QImage shot = Shot(*map);
    EXPECT_EQ(shot.pixelColor(w + 5, h / 2), Qc(CCtrlGrid::kHeaderFill));        // X point
    EXPECT_EQ(shot.pixelColor(w / 2, h + h / 2), Qc(CCtrlGrid::kHeaderFill));    // Y point
    EXPECT_EQ(shot.pixelColor(w + 3, h + 3), Qc(CCtrlGrid::kValueFill));         // a value
    EXPECT_EQ(shot.pixelColor(w + 5, h - 1), Qc(CCtrlGrid::kHeaderBorder));      // under the header row
    EXPECT_EQ(shot.pixelColor(w - 1, h + 5), Qc(CCtrlGrid::kHeaderBorder));      // right of the header column
    EXPECT_EQ(shot.pixelColor(2 * w - 1, h + 5), Qc(CCtrlGrid::kValueBorder));   // between two values
    EXPECT_EQ(shot.pixelColor(w + 5, 2 * h - 1), Qc(CCtrlGrid::kValueBorder));   // between two value rows
    const QColor face = ui::SystemColour(ui::SysColour::ButtonFace, map->palette());
    EXPECT_EQ(shot.pixelColor(map->width() - 3, 5), face);
    EXPECT_EQ(shot.pixelColor(5, map->height() - 3), face);

    Click(*map, 1, 2);
    shot = Shot(*map);
    EXPECT_EQ(shot.pixelColor(2 * w + 3, h + 3), Qc(CCtrlGrid::kSelectedFill));
    EXPECT_EQ(shot.pixelColor(3 * w - 2, 2 * h - 2), Qc(CCtrlGrid::kSelectedFill));
    EXPECT_EQ(shot.pixelColor(3 * w - 1, h + 5), Qc(CCtrlGrid::kValueBorder));   // its right line stays
    EXPECT_EQ(shot.pixelColor(2 * w + 5, 2 * h - 1), Qc(CCtrlGrid::kValueBorder));  // and its bottom line
    EXPECT_EQ(shot.pixelColor(w + 3, h + 3), Qc(CCtrlGrid::kValueFill));
}

// A hidden map takes no selection repaint, but a store pass rebuilds its
// pictures, so it is current once shown.
TEST_F(MapTest, AHiddenMapIsCurrentOnceShown)
{
    CCtrlGrid* map = Make(Map1(), Axes());
    const int h = map->RowHeightPixels();
    const int w = map->GetColumnWidthPixels(0);
    const QImage before = Shot(*map);
    map->hide();
    map->PutCellText(1, 1, u"123");
    map->PutCellText(1, 2, u"4567");
    Send(*map, link::WM_CTRL_STORE_WRITE, 0);
    map->show();
    const QRect cell(w, h, w - 1, h - 1);
    EXPECT_NE(Shot(*map).copy(cell), before.copy(cell));
    EXPECT_EQ(Shot(*map).copy(cell), [&] {
        map->PutCellText(1, 2, u"4567");
        Send(*map, link::WM_CTRL_STORE_WRITE, 0);
        return Shot(*map).copy(cell);
    }());
}

// ---- Operating point ----------------------------------------------------------------------------

class MarkerTest : public MapPage {
protected:
    // The engine speed (raw rpm) on variable word 0, the load on byte 2 and
    // the ECU state on byte 3, each shown by a live control.
    void MakeSources()
    {
        rpm = LiveDef(201, u"Giri", CTRL_RPM, 0, DATO_UWORD);
        load = LiveDef(202, u"Carico", CTRL_BAR, 2, DATO_UBYTE);
        state = LiveDef(207, u"Stato", CTRL_LED, 3, DATO_UBYTE);
        MapPlace place;
        place.row = 10;
        CCtrlKnob* knob = nullptr;
        ASSERT_TRUE(CUtility::CreateCtrlRpm(Args(rpm, place), knob));
        place.column = 3;
        CCtrlSlide* bar = nullptr;
        ASSERT_TRUE(CUtility::CreateCtrlBar(Args(load, place), bar));
        place.column = 5;
        CCtrlLed* lamp = nullptr;
        ASSERT_TRUE(CUtility::CreateCtrlLed(Args(state, place), lamp));
        live = {knob, bar, lamp};
        var = {knob->Entry(), bar->Entry(), lamp->Entry()};
    }
    ~MarkerTest() override
    {
        for (QWidget* control : live)
            delete control;
    }
    static REC_CONTROLLO LiveDef(std::int32_t id, std::u16string name, std::int32_t category, std::int32_t lsb,
                                 std::int32_t type)
    {
        REC_CONTROLLO d = vexar::testing::MakeDefinition(id, std::move(name), category, u"", u"Live");
        d.TIPO = type;
        d.LSB = lsb;
        d.MASCHERA = 0xFFFF;
        d.MAX = u"10000";
        return d;
    }
    // The sources' values in the variable image, told to the map as a
    // poll tells them.
    void Poll(int rpmValue, int loadValue, int stateValue)
    {
        app.m_pVarMaster[0] = std::uint8_t(rpmValue >> 8);
        app.m_pVarMaster[1] = std::uint8_t(rpmValue);
        app.m_pVarMaster[2] = std::uint8_t(loadValue);
        app.m_pVarMaster[3] = std::uint8_t(stateValue);
        for (const CTRL_WND& entry : var)
            app.PostToControl(entry.wnd, link::WM_CTRL_REFRESH, 0);
        Deliver();
    }

    REC_CONTROLLO rpm, load, state;
    std::vector<QWidget*> live;
};

// X 1000, 2000, 3000 in columns of 60 after a header column of 60, Y 20,
// 80 in rows of 20: the dot lies where the breakpoints put the values, red
// while the state is not 7 and blue while it is; 2 pixels of jitter leave
// it in place.
TEST_F(MarkerTest, TheDotFollowsTheLiveValues)
{
    MakeSources();
    REC_CONTROLLO d = Map1();
    GridOf(d).PRIMA_RIGA.ID_VAR = 201;
    GridOf(d).PRIMA_COLONNA.ID_VAR = 202;
    GridOf(d).ID_VAR_FUNECU = 207;
    CCtrlGrid* map = Make(d, Axes());
    CUtility::LinkGridCursors(&par, std::vector<REC_CONTROLLO>{d}, &var);
    EXPECT_TRUE(map->Marker().xLinked);
    EXPECT_TRUE(map->Marker().yLinked);
    EXPECT_TRUE(var[0].cursorLinked && var[1].cursorLinked && var[2].cursorLinked);

    Poll(2000, 50, 0);
    EXPECT_EQ(map->Marker().xValue, 2000.0);
    EXPECT_EQ(map->Marker().yValue, 50.0);
    QImage shot = Shot(*map);
    // x: the centre of column 2; y: half-way between the row centres.
    EXPECT_EQ(map->Marker().x, 150);
    EXPECT_EQ(map->Marker().y, 40);
    EXPECT_EQ(shot.pixelColor(150, 40), QColor(255, 0, 0));

    Poll(2030, 51, 7);  // 1 pixel to the right: the dot stays
    shot = Shot(*map);
    EXPECT_EQ(map->Marker().x, 150);
    EXPECT_EQ(shot.pixelColor(150, 40), QColor(0, 0, 255));
    Poll(2100, 50, 6);
    shot = Shot(*map);
    EXPECT_EQ(map->Marker().x, 156);
    EXPECT_EQ(shot.pixelColor(156, 40), QColor(255, 0, 0));
}

// A table of one value row with an X source fills its operating cell and
// shows its text in white; an ID_VAR of a variable no page shows leaves
// that axis unlinked; no registration without both tables.
TEST_F(MarkerTest, ATableFillsItsOperatingCell)
{
    MakeSources();
    REC_CONTROLLO d = MapDef(150, u"ROW", 1, 3, kMapLsb);
    Calibrable(GridOf(d).PRIMA_RIGA, 111, 201);
    Calibrable(GridOf(d).PRIMA_COLONNA, 112, 299);
    const std::vector<REC_CONTROLLO> axes = Axes(1, 3);
    CCtrlGrid* map = Make(d, axes);
    CUtility::LinkGridCursors(&par, std::vector<REC_CONTROLLO>{d}, nullptr);
    EXPECT_FALSE(map->Marker().xLinked);
    CUtility::LinkGridCursors(&par, std::vector<REC_CONTROLLO>{d}, &var);
    EXPECT_TRUE(map->Marker().xLinked);
    EXPECT_FALSE(map->Marker().yLinked);

    Poll(2900, 0, 0);
    const int w = map->GetColumnWidthPixels(0);
    const int h = map->RowHeightPixels();
    const QImage shot = Shot(*map);
    shot.save(QStringLiteral("/tmp/maps-table.png"));
    const QRect cell(3 * w, h, w - 1, h - 1);  // column 3, the last breakpoint's
    int red = 0;
    int white = 0;
    for (int y = cell.top(); y <= cell.bottom(); ++y)
        for (int x = cell.left(); x <= cell.right(); ++x) {
            red += shot.pixelColor(x, y) == QColor(255, 0, 0) ? 1 : 0;
            const QColor pixel = shot.pixelColor(x, y);
            white += pixel.red() > 200 && pixel.green() > 200 && pixel.blue() > 200 ? 1 : 0;
        }
    EXPECT_GT(red, cell.width() * cell.height() / 2);
    EXPECT_GT(white, 5);
    EXPECT_EQ(shot.pixelColor(2 * w + 3, h + 3), Qc(CCtrlGrid::kValueFill));
}

}  // namespace
