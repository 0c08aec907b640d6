#include "pages/CUtilityFactory.h"

#include "config/CUtilityCodec.h"
#include "config/CUtilityCtrl.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlButton.h"
#include "pages/CCtrlCheck.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlEdit.h"
#include "pages/CCtrlGrid.h"
#include "pages/CCtrlKnob.h"
#include "pages/CCtrlLed.h"
#include "pages/CCtrlNumEdit.h"
#include "pages/CCtrlSlide.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CVEXARPages.h"

#include <QWidget>

#include <array>

namespace CUtility {

namespace {

// A creator hands out its control as the interface the tables hold.
using Creator = bool (*)(const CTRL_CREATE& args, IDataCtrl*& control);

template <class Control, bool (*Create)(const CTRL_CREATE&, Control*&)>
bool Make(const CTRL_CREATE& args, IDataCtrl*& control)
{
    Control* made = nullptr;
    const bool created = Create(args, made);
    control = made;
    return created && made;
}

struct FactoryRow {
    const char16_t* name;
    Creator create;  // null: the class has no creator yet
};

// By category code. Each control class adds its creator here.
constexpr std::array<FactoryRow, 22> kFactory{{
    {u"CTRL_BAR", &Make<CCtrlSlide, &CreateCtrlBar>},
    {u"CTRL_CHECK", &Make<CCtrlCheck, &CreateCtrlCheck>},
    {u"CTRL_BUTTON", &Make<CCtrlLed, &CreateCtrlButton>},
    {u"CTRL_BUTTON_CMD", &Make<CCtrlButton, &CreateCtrlButtonCmd>},
    {u"CTRL_COMBO", &Make<CCtrlCombo, &CreateCtrlCombo>},
    {u"CTRL_DIAG", &Make<CCtrlCombo, &CreateCtrlDiag>},
    {u"CTRL_DIAG_BIT", &Make<CCtrlCombo, &CreateCtrlDiagBit>},
    {u"CTRL_EDIT", &Make<CCtrlEdit, &CreateCtrlEdit>},
    {u"CTRL_GRID", &Make<CCtrlGrid, &CreateCtrlGrid>},
    {u"CTRL_KNOB", &Make<CCtrlKnob, &CreateCtrlKnob>},
    {u"CTRL_LED", &Make<CCtrlLed, &CreateCtrlLed>},
    {u"?", nullptr},  // 11: unassigned
    {u"CTRL_NUMCALC", &Make<CCtrlNumEdit, &CreateCtrlNumCalc>},
    {u"CTRL_NUMEDIT", &Make<CCtrlNumEdit, &CreateCtrlNumEdit>},
    {u"CTRL_NUMERIC", &Make<CCtrlEdit, &CreateCtrlNumeric>},
    {u"CTRL_RIPR", &Make<CCtrlCombo, &CreateCtrlRipr>},
    {u"CTRL_RPM", &Make<CCtrlKnob, &CreateCtrlRpm>},
    {u"CTRL_SLIDE", &Make<CCtrlSlide, &CreateCtrlSlide>},
    {u"CTRL_STATO", &Make<CCtrlCombo, &CreateCtrlStato>},
    {u"CTRL_TERM", &Make<CCtrlSlide, &CreateCtrlTerm>},
    {u"CTRL_VMETER", &Make<CCtrlKnob, &CreateCtrlVmeter>},
    {u"CTRL_RESET", &Make<CCtrlButton, &CreateCtrlReset>},
}};

const FactoryRow* RowOf(std::int32_t category)
{
    if (category < 0 || category >= static_cast<std::int32_t>(kFactory.size()))
        return nullptr;
    return &kFactory[static_cast<std::size_t>(category)];
}

CCtrlBase* BaseOf(const CTRL_WND& entry)
{
    if (!entry.wnd || !IsControlCategory(entry.category))
        return nullptr;
    return dynamic_cast<CCtrlBase*>(entry.wnd);
}

}  // namespace

bool HasCreator(std::int32_t category)
{
    const FactoryRow* row = RowOf(category);
    return row && row->create;
}

const char16_t* CategoryName(std::int32_t category)
{
    const FactoryRow* row = RowOf(category);
    return row ? row->name : u"?";
}

bool CreateCtrl(const CTRL_CREATE& args, CTRL_TABLE& table)
{
    if (!args.definition || !OnGrid(args.grid, args.row, args.column))
        return false;
    const REC_CONTROLLO& definition = *args.definition;
    const FactoryRow* row = RowOf(definition.CATEGORIA);
    if (!row || !row->create)
        return false;
    IDataCtrl* control = nullptr;
    if (!row->create(args, control))
        return false;

    CTRL_WND entry;
    entry.key = definition.ID_GUI;
    entry.category = definition.CATEGORIA;
    entry.access = definition.OPERATORE;
    entry.address = definition.LSB;
    entry.size = GetDatoSize(definition.TIPO);
    entry.hidden = args.hidden ? 1 : 0;
    entry.cursorLinked = false;
    entry.wnd = control;
    table.push_back(entry);
    return true;
}

QWidget* CtrlWidget(const CTRL_WND& entry)
{
    CCtrlBase* base = BaseOf(entry);
    return base ? base->widget() : nullptr;
}

void DestroyCtrls(CTRL_TABLE& table)
{
    for (CTRL_WND& entry : table) {
        CCtrlBase* base = BaseOf(entry);
        if (!base)
            continue;
        // A numeric field's edits stop reaching it before its window goes.
        if (entry.category == CTRL_NUMEDIT)
            if (auto* field = dynamic_cast<CCtrlNumEdit*>(entry.wnd))
                field->DisconnectSink();
        QObject::disconnect(base->widget(), nullptr, nullptr, nullptr);
        if (auto* adapter = dynamic_cast<vexar::link::LinkUiSinkAdapter*>(base->App().m_pUiSink))
            adapter->UnregisterControl(entry.wnd);
        delete entry.wnd;
        entry.wnd = nullptr;
    }
}

void DeleteCtrls(CTRL_TABLE& table)
{
    for (CTRL_WND& entry : table) {
        if (entry.wnd && IsControlCategory(entry.category))
            delete entry.wnd;
        entry.wnd = nullptr;
    }
    table.clear();
}

void DestroyWindows(LABEL_TABLE& labels)
{
    for (LABEL_ENTRY& entry : labels) {
        delete entry.label;
        entry.label = nullptr;
    }
}

void DeleteWindows(LABEL_TABLE& labels)
{
    for (LABEL_ENTRY& entry : labels)
        delete entry.label;
    labels.clear();
}

}  // namespace CUtility
