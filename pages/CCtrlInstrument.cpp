#include "pages/CCtrlInstrument.h"

#include "config/CUtilityCtrl.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlStatic.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/WindowState.h"

#include <QWidget>

using namespace vexar;

CCtrlInstrument::CCtrlInstrument(QWidget& self, CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : CCtrlLabelled(self, app, std::move(definition), hidden)
{
}

std::u16string CCtrlInstrument::Name(const CTRL_CREATE& args) const
{
    return args.development ? m_definition.IDENTIFICATORE : m_definition.ETICHETTA;
}

void CCtrlInstrument::TakeLabel(LabelSlot& slot, bool disabled)
{
    if (!slot)
        return;
    if (disabled)
        ui::EnableWindow(*slot, false);
    AddLabel(slot.release());
}

void CCtrlInstrument::MakeCaptionAbove(const CTRL_CREATE& args, bool disabled)
{
    LabelSlot caption;
    CUtility::CreateCaptionAbove(args, widget()->geometry(), Name(args), m_definition.UNITA, &caption);
    TakeLabel(caption, disabled);
}

void CCtrlInstrument::MakeSideLabels(const CTRL_CREATE& args, const std::u16string& onText,
                                     const std::u16string& offText, bool disabled)
{
    LabelSlot on;
    LabelSlot off;
    CUtility::CreateLedLabels(args, widget()->geometry(), onText, offText, &on, &off);
    TakeLabel(on, disabled);
    TakeLabel(off, disabled);
}

QFont CCtrlInstrument::InstrumentFont(const QWidget& window, const QFont& font)
{
    QFont shown(font.family());
    shown.setPointSizeF(CUtility::GetFontSizeCy(window, font) / 10000.0);
    shown.setWeight(font.weight());
    shown.setItalic(font.italic());
    shown.setUnderline(font.underline());
    shown.setStrikeOut(font.strikeOut());
    return shown;
}

bool CCtrlInstrument::CreatorInput(std::int32_t profile, std::int32_t abilitato, bool limited)
{
    if (profile == OPR_PRV || profile == OPR_REM || profile == OPR_SVIL)
        return true;
    return abilitato != ABIL_NO && !limited;
}

std::intptr_t CCtrlInstrument::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                         std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_CTRL_SET_DEFAULT:
        // A live value has no default of its own to store.
        if (!StoresParameter())
            return 0;
        break;
    case link::WM_CTRL_ENABLE:
        EnableLabels(wParam != 0);
        break;
    default:
        break;
    }
    return CCtrlLabelled::onMessage(id, wParam, lParam, payload);
}

bool CCtrlInstrument::onCommand(unsigned id)
{
    if (id != link::ID_EDIT_UNDO)
        return CCtrlLabelled::onCommand(id);
    // Only what the user edits has a change to take back.
    if (TakesProfileEnable())
        OnUndo();
    return true;
}

void CCtrlInstrument::WriteValue(bool post, bool force)
{
    if (StoresParameter())
        CCtrlLabelled::WriteValue(post, force);
}

void CCtrlInstrument::ShowEnabled(bool profileEnabled, bool linkEnabled)
{
    ui::EnableWindow(*widget(), linkEnabled);
    SetWidgetInput(profileEnabled);
}

void CCtrlInstrument::EnableLabels(bool enable)
{
    for (const QPointer<CCtrlStatic>& label : Labels())
        if (label)
            ui::EnableWindow(*label, enable);
}
