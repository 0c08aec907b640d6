#pragma once

// A shown page for the controls over the instrument widgets: the pages
// side with its images, its three dependency tables and the link's sink
// (which delivers the controls' posts), the link requests they post kept
// for the test, definitions of each category, and the creator's record
// for a place on the page.

#include "CoreFixture.h"
#include "CryptFixtures.h"
#include "TempDir.h"
#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "config/CModifica.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CtrlCreate.h"
#include "pages/core/PageGrid.h"
#include "pages/widgets/tests/InstrumentTestSupport.h"
#include "testing/controls/TestControls.h"

#include <QApplication>
#include <QTest>
#include <QWidget>

#include <fstream>
#include <functional>
#include <iterator>
#include <string>

namespace vexar::pagestest {

inline REC_CONTROLLO Def(std::int32_t id, std::u16string identifier, std::int32_t category, std::int32_t address,
                         std::int32_t type = DATO_UBYTE)
{
    REC_CONTROLLO d = testing::MakeDefinition(id, std::move(identifier), category, u"A comment", u"A label");
    d.TIPO = type;
    d.LSB = address;
    d.MASCHERA = 0xFF;
    d.DEFAULT = u"0";
    return d;
}

// A toggle on a flag of the parameters.
inline REC_CONTROLLO ToggleDef(std::int32_t id, std::int32_t address, std::uint32_t mask)
{
    REC_CONTROLLO d = Def(id, u"TOGGLE", CTRL_BUTTON, address, DATO_FLAG);
    d.MASCHERA = mask;
    return d;
}

// The same toggle naming parameter keys shown while on and while off.
inline REC_CONTROLLO SwitchToggleDef(std::int32_t id, std::int32_t address, std::vector<std::int32_t> onKeys,
                                     std::vector<std::int32_t> offKeys, bool bound = true)
{
    REC_CONTROLLO d = ToggleDef(id, address, 0x01);
    ButtonBlock& block = std::get<ButtonBlock>(d.GRAFICA);
    block.VISIB_DIP = VIS_SI;
    block.ON.N_ID_PAR = static_cast<std::int32_t>(onKeys.size());
    block.ON.ID_PAR = std::move(onKeys);
    block.OFF.N_ID_PAR = static_cast<std::int32_t>(offKeys.size());
    block.OFF.ID_PAR = std::move(offKeys);
    block.PARAM = bound ? PAR_SI : PAR_NO;
    if (!bound)
        d.LSB = 0;
    return d;
}

inline REC_CONTROLLO LampDef(std::int32_t id, std::int32_t address, std::int32_t style, Colour on, Colour off)
{
    REC_CONTROLLO d = Def(id, u"LAMP", CTRL_LED, address, DATO_UBYTE);
    LedBlock& block = std::get<LedBlock>(d.GRAFICA);
    block.STILE = style;
    block.ON_COLOR = on;
    block.OFF_COLOR = off;
    return d;
}

// The conversion (A x + B) / (C x + D) + E as raw x factor.
inline void Scale(REC_CONTROLLO& d, double factor)
{
    d.TIPO_CONV = CONV_FORM;
    d.CONVERSIONE = ConvForm{factor, 0.0, 0.0, 1.0, 0.0};
}

// The text of a UTF-16 file with its byte-order mark.
inline std::u16string Utf16File(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::u16string text;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        text.push_back(static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                             (static_cast<unsigned char>(bytes[i + 1]) << 8)));
    return text;
}

// The calibration lines a control saves, with the changes it records.
inline std::u16string SavedLines(IDataCtrl& control, CModifica& history)
{
    testing::TempDir dir;
    CCriptFile file;
    EXPECT_NE(file.Open(dir.file("c.DAT"), 0), 0);
    control.SaveParam(file, history);
    EXPECT_TRUE(file.Close());
    std::u16string text;
    std::string error;
    EXPECT_TRUE(crypt::ReadCipherText(dir.file("c.DAT"), text, error)) << error;
    return text;
}

// The export (checklist) lines of a control, as the file holds them.
inline std::string ExportedLines(const CCtrlCore& control)
{
    testing::TempDir dir;
    CStdioFileEx file;
    EXPECT_TRUE(file.Open(dir.file("list.txt"), CStdioFileEx::modeCreate | CStdioFileEx::modeWrite));
    control.ExportText(file);
    EXPECT_TRUE(file.Close());
    return testing::ReadAll(dir.file("list.txt"));
}

// How a control is placed.
struct Place {
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::int32_t profile = OPR_PRV;
    bool limited = false;
    bool hidden = false;
    std::int32_t family = 0;
    bool development = false;
};

// The creator's record for `definition` at `place` of a page on `grid`.
inline CTRL_CREATE CreateArgs(CVEXARPages& app, QWidget& page, const PAGE_GRID& grid,
                              const REC_CONTROLLO& definition, const Place& place)
{
    CTRL_CREATE args;
    args.app = &app;
    args.parent = &page;
    args.font = page.font();
    args.secondFont = page.font();
    args.grid = grid;
    CUtility::CalcRowsCols(args.grid);
    args.definition = &definition;
    args.row = place.row;
    args.column = place.column;
    args.profile = place.profile;
    args.limited = place.limited;
    args.hidden = place.hidden;
    args.imageFamily = place.family;
    args.development = place.development;
    args.baseId = 5000;
    return args;
}

// One step of a test and the writes it must post.
struct WriteCase {
    const char* name;
    std::function<void()> act;
    std::size_t writes;
};

class GaugePage : public ::testing::Test {
protected:
    GaugePage()
    {
        app.m_pUiSink = &adapter;
        app.ResizeImages(64, 64);
        app.m_pParTable = &par;
        app.m_pParTable2 = &par;
        app.m_pParTable3 = &par3;
        app.m_pVarTable = &var;
        app.m_pVarTable2 = &var;
        app.m_nOperator = OPR_PRV;
        app.m_clock = [] { return std::time_t{1276588800}; };
        page.resize(900, 700);
        page.show();
        page.activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&page));
    }

    CTRL_CREATE Args(const REC_CONTROLLO& definition, const Place& place = {})
    {
        return CreateArgs(app, page, PageGrid(900, 700, 200, 40), definition, place);
    }

    // A control made by `creator`, listed in `table` when given.
    template <class Control>
    Control* Make(bool (*creator)(const CTRL_CREATE&, Control*&), const REC_CONTROLLO& definition,
                  CTRL_TABLE* table = nullptr, const Place& place = {})
    {
        Control* control = nullptr;
        EXPECT_TRUE(creator(Args(definition, place), control));
        if (control && table)
            table->push_back(control->Entry());
        return control;
    }

    // Runs each step with the link up and checks the writes it posts.
    void ExpectWrites(const std::vector<WriteCase>& cases)
    {
        app.m_bLinked = 1;
        for (const WriteCase& c : cases) {
            app.requests.clear();
            c.act();
            Deliver();
            EXPECT_EQ(Writes(), c.writes) << c.name;
        }
        app.m_bLinked = 0;
    }
    // The program's sets of a control on the parameter byte `address`
    // (named `name` in calibration lines): none writes.
    std::vector<WriteCase> ProgramSets(CCtrlCore& control, vexar::ui::WindowBase& window, int address,
                                       const std::u16string& name)
    {
        return {
            {"a refresh", [&, address] { Par(address) = 70; Send(window, link::WM_CTRL_REFRESH, 1); }, 0},
            {"a forced refresh", [&, address] { Par(address) = 60; Send(window, link::WM_CTRL_FORCE_REFRESH); }, 0},
            {"a calibration line", [&, name] { control.LoadParam(name + u"\t42\tc"); }, 0},
            {"the default", [&] { Send(window, link::WM_CTRL_SET_DEFAULT); }, 0},
            {"a store", [&] { Send(window, link::WM_CTRL_STORE); }, 0},
        };
    }

    // Delivers what was posted.
    static void Deliver()
    {
        for (int i = 0; i < 4; ++i)
            QCoreApplication::processEvents();
    }
    std::size_t Writes() const
    {
        std::size_t n = 0;
        for (const RecordingPages::Request& request : app.requests)
            n += request.id == link::WM_LINK_WRITE_RANGE ? 1 : 0;
        return n;
    }
    std::uint8_t& Par(int address) { return app.m_pParMaster[static_cast<std::size_t>(address)]; }
    std::uint8_t& Var(int address) { return app.m_pVarMaster[static_cast<std::size_t>(address)]; }
    std::vector<std::uint8_t> ParImage() const
    {
        return {app.m_pParMaster.get(), app.m_pParMaster.get() + app.m_nParSize};
    }
    std::vector<std::uint8_t> VarImage() const
    {
        return {app.m_pVarMaster.get(), app.m_pVarMaster.get() + app.m_nVarSize};
    }
    static void Send(vexar::ui::WindowBase& control, unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0)
    {
        vexar::ui::WindowMessage message{id, wParam, lParam, nullptr};
        control.Dispatch(message);
    }
    static void Undo(QWidget& control) { QTest::keyClick(&control, Qt::Key_Z, Qt::ControlModifier); }

    link::LinkUiSinkAdapter adapter;
    RecordingPages app;
    CTRL_TABLE par, par3, var;
    QWidget page;
};

}  // namespace vexar::pagestest
