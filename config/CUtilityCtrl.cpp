#include "config/CUtilityCtrl.h"

#include "config/IDataCtrl.h"

namespace CUtility {

bool IsControlCategory(std::int32_t category)
{
    return category >= CTRL_BAR && category <= CTRL_RESET && category != 11;
}

bool IsLiveCategory(std::int32_t category)
{
    switch (category) {
    case CTRL_BAR:
    case CTRL_DIAG:
    case CTRL_DIAG_BIT:
    case CTRL_LED:
    case CTRL_NUMERIC:
    case CTRL_RPM:
    case CTRL_STATO:
    case CTRL_TERM:
    case CTRL_VMETER:
        return true;
    default:
        return false;
    }
}

bool HasRawValue(std::int32_t category)
{
    return IsLiveCategory(category) || category == CTRL_NUMCALC;
}

double GetCtrlNumber(const IDataCtrl* wnd, std::int32_t category)
{
    if (wnd == nullptr)
        return 1.0;
    if (!IsControlCategory(category) || category == CTRL_GRID)
        return 0.0;
    return wnd->GetValue();
}

bool GetCtrlDefinition(CTRL_WND entry, REC_CONTROLLO& record)
{
    record = REC_CONTROLLO{};
    if (entry.wnd == nullptr || !IsControlCategory(entry.category))
        return false;
    record = entry.wnd->GetDefinition();
    return true;
}

std::int32_t GetDisplayParam(const REC_CONTROLLO& record)
{
    // SCALA is the first field of these categories' blocks; a block that
    // was never read counts as zero-filled.
    const auto scala = [&record](auto* block) -> std::int32_t { return block ? block->SCALA : 0; };
    switch (record.CATEGORIA) {
    case CTRL_BAR:
        return scala(std::get_if<BarBlock>(&record.GRAFICA));
    case CTRL_DIAG:
    case CTRL_DIAG_BIT:
        return scala(std::get_if<DiagBlock>(&record.GRAFICA));
    case CTRL_LED:
        return scala(std::get_if<LedBlock>(&record.GRAFICA));
    case CTRL_NUMERIC:
        return scala(std::get_if<NumericBlock>(&record.GRAFICA));
    case CTRL_STATO:
        return scala(std::get_if<StatoBlock>(&record.GRAFICA));
    case CTRL_RPM:
    case CTRL_TERM:
        return scala(std::get_if<TermBlock>(&record.GRAFICA));
    case CTRL_VMETER:
        return scala(std::get_if<VmeterBlock>(&record.GRAFICA));
    default:
        return 1;
    }
}

}  // namespace CUtility
