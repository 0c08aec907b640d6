#include "link/LinkCtrlTables.h"

#include "config/ControlCodes.h"
#include "config/CUtilityCodec.h"
#include "config/CUtilityCtrl.h"
#include "config/IDataCtrl.h"
#include "config/RecControllo.h"

namespace vexar::link {

namespace {

void CopyTable(const CTRL_TABLE* from, CTRL_TABLE& to, LinkCtrlTables& tables)
{
    if (!from)
        return;
    to = *from;
    for (const CTRL_WND& entry : to) {
        if (!entry.wnd || tables.data.count(entry.wnd))
            continue;
        const REC_CONTROLLO& definition = entry.wnd->GetDefinition();
        tables.data.emplace(entry.wnd, CtrlDatum{definition.CATEGORIA, definition.TIPO, definition.MASCHERA,
                                                 definition.LSB, definition.FIXDEF});
    }
}

}  // namespace

const CtrlDatum* LinkCtrlTables::Find(const CTRL_WND& entry) const
{
    if (!entry.wnd)
        return nullptr;
    const auto found = data.find(entry.wnd);
    return found == data.end() ? nullptr : &found->second;
}

std::shared_ptr<const LinkCtrlTables> LinkCtrlTables::Take(const CTRL_TABLE* parTable, const CTRL_TABLE* parTable3,
                                                           const CTRL_TABLE* varTable, const CTRL_TABLE* varTable2,
                                                           const CTRL_TABLE* acqVarTable,
                                                           const CTRL_TABLE* diagTable2,
                                                           const CTRL_TABLE* diagTable3)
{
    auto tables = std::make_shared<LinkCtrlTables>();
    CopyTable(parTable, tables->parTable, *tables);
    CopyTable(parTable3, tables->parTable3, *tables);
    CopyTable(varTable, tables->varTable, *tables);
    CopyTable(varTable2, tables->varTable2, *tables);
    tables->varTable2Set = varTable2 != nullptr;
    CopyTable(acqVarTable, tables->acqVarTable, *tables);
    CopyTable(diagTable2, tables->diagTable2, *tables);
    CopyTable(diagTable3, tables->diagTable3, *tables);
    return tables;
}

}  // namespace vexar::link

namespace CUtility {

bool IsCtrlEnabled(const vexar::link::CtrlDatum* datum)
{
    return datum && IsControlCategory(datum->category) && datum->fixdef == FIX_ON;
}

std::int32_t GetCtrlRawValue(const vexar::link::CtrlDatum* datum, std::span<const std::uint8_t> image,
                             bool littleEndian)
{
    if (!datum || !HasRawValue(datum->category))
        return 0;
    std::int32_t value = 0;
    int bytes = 0;
    if (!ReadDatoValue(image, datum->address, value, bytes, datum->type, datum->mask, littleEndian))
        return 0;
    return value;
}

}  // namespace CUtility
