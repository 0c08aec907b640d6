#include "shell/core/CTestList.h"

#include "config/CUtilityCodec.h"
#include "config/ControlCodes.h"

#include <algorithm>

namespace vexar::shell {

namespace {

// Check boxes, buttons and lists count only when bound to a parameter.
bool BoundToParameter(const REC_CONTROLLO& record)
{
    if (const auto* check = std::get_if<CheckBlock>(&record.GRAFICA))
        return check->PARAM == PAR_SI;
    if (const auto* button = std::get_if<ButtonBlock>(&record.GRAFICA))
        return button->PARAM == PAR_SI;
    if (const auto* combo = std::get_if<ComboBlock>(&record.GRAFICA))
        return combo->PARAM == PAR_SI;
    return true;
}

}  // namespace

std::int32_t CTestList::DatumByteSpan(const REC_CONTROLLO& record)
{
    const std::int32_t size = CUtility::GetDatoSize(record.TIPO);
    switch (record.CATEGORIA) {
    case CTRL_EDIT:
        if (const auto* edit = std::get_if<EditBlock>(&record.GRAFICA))
            return size * edit->NUM_BYTES;
        return 0;
    case CTRL_GRID:
        if (const auto* grid = std::get_if<GridBlock>(&record.GRAFICA))
            return size * grid->NUM_RIGHE * grid->NUM_COLONNE;
        return 0;
    case CTRL_RIPR:
        if (const auto* ripr = std::get_if<RiprBlock>(&record.GRAFICA))
            return size * ripr->NUM_ERRORI;
        return 0;
    default:
        return record.CATEGORIA >= 0 && record.CATEGORIA <= CTRL_RESET && record.CATEGORIA != 11 ? size : 0;
    }
}

void CTestList::BuildTestList(std::span<const REC_CONTROLLO> params, std::span<const REC_CONTROLLO> diag)
{
    m_testList.clear();
    auto add = [this](const REC_CONTROLLO& record) {
        m_testList.push_back({record.LSB, DatumByteSpan(record), record.MASCHERA});
    };
    for (const REC_CONTROLLO& record : params) {
        const bool switchLike =
            record.CATEGORIA == CTRL_BUTTON || record.CATEGORIA == CTRL_CHECK || record.CATEGORIA == CTRL_COMBO;
        if (!switchLike || BoundToParameter(record))
            add(record);
    }
    for (const REC_CONTROLLO& record : diag)
        if (record.CATEGORIA == CTRL_RIPR)
            add(record);
}

bool CTestList::CompareTestParameters(std::span<const std::uint8_t> master, std::span<const std::uint8_t> work) const
{
    const std::size_t size = std::min(master.size(), work.size());
    for (const INFO_PAR& entry : m_testList) {
        if (entry.position < 0 || entry.count < 0)
            return false;
        const auto position = static_cast<std::size_t>(entry.position);
        if (entry.mask == kWholeBytes) {
            const auto count = static_cast<std::size_t>(entry.count);
            if (position + count > size)
                return false;
            if (!std::equal(master.begin() + position, master.begin() + position + count, work.begin() + position))
                return false;
            continue;
        }
        if (position >= size)
            return false;
        const std::uint8_t bits = static_cast<std::uint8_t>(entry.mask & 0xFF);
        if ((master[position] & bits) != (work[position] & bits))
            return false;
    }
    return true;
}

}  // namespace vexar::shell
