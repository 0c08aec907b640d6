#pragma once

// The application's pages side without a screen: images, the three tables
// the visibility actions look keys up in, controls over the real contract
// and a sink that queues their posts until the test delivers them.

#include "config/RecControllo.h"
#include "link/LinkMessages.h"
#include "pages/core/CVEXARPages.h"
#include "pages/core/PageGrid.h"
#include "testing/controls/TestControls.h"
#include "testing/corectrls/CoreTestCtrls.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace vexar::pagestest {

using testing::CoreTestCtrl;

// A check box definition on a byte of the parameters.
inline REC_CONTROLLO CheckDef(std::int32_t id, std::int32_t address, std::uint32_t mask = 0x01,
                              std::int32_t type = DATO_FLAG)
{
    REC_CONTROLLO d = testing::MakeDefinition(id, u"CHK" + std::u16string(1, char16_t(u'0' + id % 10)), CTRL_CHECK,
                                              u"A box", u"Box");
    d.TIPO = type;
    d.LSB = address;
    d.MASCHERA = mask;
    d.DEFAULT = u"0";
    return d;
}

// A check box whose checked state shows `parKeys` and `varKeys`.
inline REC_CONTROLLO SwitchDef(std::int32_t id, std::int32_t address, std::vector<std::int32_t> parKeys,
                               std::vector<std::int32_t> varKeys = {}, bool bound = true)
{
    REC_CONTROLLO d = CheckDef(id, address);
    CheckBlock& block = std::get<CheckBlock>(d.GRAFICA);
    block.VISIB_DIP = VIS_SI;
    block.CHECKED.ID_PAR = parKeys;
    block.CHECKED.N_ID_PAR = static_cast<std::int32_t>(parKeys.size());
    block.CHECKED.ID_VAR = varKeys;
    block.CHECKED.N_ID_VAR = static_cast<std::int32_t>(varKeys.size());
    block.PARAM = bound ? PAR_SI : PAR_NO;
    if (!bound)
        d.LSB = 0;
    return d;
}

// A numeric parameter (a knob's) on a byte.
inline REC_CONTROLLO ValueDef(std::int32_t id, std::int32_t address, std::int32_t type = DATO_UBYTE,
                              std::int32_t fixdef = FIX_ON)
{
    REC_CONTROLLO d = testing::MakeDefinition(id, u"VAL" + std::u16string(1, char16_t(u'0' + id % 10)), CTRL_KNOB,
                                              u"A value", u"Value");
    d.TIPO = type;
    d.LSB = address;
    d.MASCHERA = 0xFF;
    d.FIXDEF = fixdef;
    d.DEFAULT = u"0";
    return d;
}

// A live variable (a gauge's) on a byte of the variables.
inline REC_CONTROLLO LiveDef(std::int32_t id, std::int32_t address)
{
    REC_CONTROLLO d = testing::MakeDefinition(id, u"VAR" + std::u16string(1, char16_t(u'0' + id % 10)), CTRL_RPM,
                                              u"A variable", u"Variable");
    d.TIPO = DATO_UBYTE;
    d.LSB = address;
    d.MASCHERA = 0xFF;
    return d;
}

// The pages side as the controls see it, with the link requests they post
// kept instead of queued for a worker.
class RecordingPages : public CVEXARPages {
public:
    struct Request {
        unsigned id;
        std::uintptr_t wParam;
        std::intptr_t lParam;
        friend bool operator==(const Request&, const Request&) = default;
    };
    bool PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                         std::unique_ptr<link::LinkPayload>) override
    {
        requests.push_back({id, wParam, lParam});
        return true;
    }
    std::vector<Request> requests;
};

// The pages side of a test against the simulated ECU of a test rig on
// COM `port`: the second protocol, the simulator's identification, images
// of 32 bytes, the parameter and variable tables (the variable page
// shown, its controls recorded), the privileged profile.
inline void PrepareForSimulator(CVEXARPages& app, link::ILinkUiSink& sink, int port, CTRL_TABLE& par,
                                CTRL_TABLE& par3, CTRL_TABLE& var)
{
    app.m_pUiSink = &sink;
    app.m_nProtocol = 1;
    app.m_strConfigName = u"VXSIM-00001";
    app.m_comPorts = {static_cast<unsigned>(port)};
    app.m_nComPort = port;
    app.ResizeImages(32, 32);
    app.m_pParTable = &par;
    app.m_pParTable2 = &par;
    app.m_pParTable3 = &par3;
    app.m_pVarTable = &var;
    app.m_pVarTable2 = &var;
    app.m_pAcqVarTable = &var;
    app.m_nOperator = OPR_PRV;
    app.m_bVarPageShown = true;
}

// The pages side of a test without a link: images of 32 bytes, the three
// tables the visibility actions look keys up in, the privileged profile
// and a fixed clock.
inline void PrepareOffLine(CVEXARPages& app, link::ILinkUiSink& sink, CTRL_TABLE& par2, CTRL_TABLE& par3,
                           CTRL_TABLE& var2)
{
    app.m_pUiSink = &sink;
    app.ResizeImages(32, 32);
    app.m_pParTable2 = &par2;
    app.m_pParTable3 = &par3;
    app.m_pVarTable2 = &var2;
    app.m_nOperator = OPR_PRV;
    app.m_clock = [] { return std::time_t{1276588800}; };
}

// The grid of a page of `width` x `height` pixels with a margin of 10 all
// round, in cells of `cellWidth` x `cellHeight`.
inline PAGE_GRID PageGrid(std::int32_t width, std::int32_t height, std::int32_t cellWidth, std::int32_t cellHeight)
{
    PAGE_GRID grid;
    grid.area = {10, 10, width - 10, height - 10};
    grid.cellHeight = cellHeight;
    grid.cellWidth = cellWidth;
    grid.pageHeight = height - 20;
    grid.pageWidth = width - 20;
    return grid;
}

class CoreTest : public ::testing::Test {
protected:
    CoreTest() { PrepareOffLine(app, sink, par2, par3, var2); }
    ~CoreTest() override
    {
        for (auto& control : controls)
            sink.Unregister(control.get());
    }

    // A control over `definition`, listed in `table` (may be null).
    CoreTestCtrl& Add(REC_CONTROLLO definition, CTRL_TABLE* table, bool hidden = false)
    {
        controls.push_back(std::make_unique<CoreTestCtrl>(app, std::move(definition), hidden));
        CoreTestCtrl& control = *controls.back();
        sink.Register(&control);
        if (table)
            table->push_back(control.Entry());
        all.push_back(control.Entry());
        return control;
    }

    std::uint8_t Master(int address) const { return app.m_pParMaster[static_cast<std::size_t>(address)]; }
    std::uint8_t Work(int address) const { return app.m_pParWork[static_cast<std::size_t>(address)]; }
    void SetMaster(int address, std::uint8_t value) { app.m_pParMaster[static_cast<std::size_t>(address)] = value; }
    std::size_t Count(unsigned message) const
    {
        std::size_t n = 0;
        for (const testing::QueuedPost& post : sink.Seen())
            n += post.message == message ? 1 : 0;
        return n;
    }

    testing::QueuedUiSink sink;  // outlives the application, which posts its end to it
    RecordingPages app;
    CTRL_TABLE par2, par3, var2, all;
    std::vector<std::unique_ptr<CoreTestCtrl>> controls;
};

}  // namespace vexar::pagestest
