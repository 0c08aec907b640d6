#include "ControlSet.h"

#include "config/CParametriFile.h"
#include "config/CUtilityCodec.h"

namespace vexar::testing {

namespace {

const REC_CONTROLLO* FindKey(const std::vector<REC_CONTROLLO>& records, std::int32_t key)
{
    for (const REC_CONTROLLO& r : records)
        if (r.ID_GUI == key)
            return &r;
    return nullptr;
}

// The breakpoint vector of a map's calibrable header is no control of its
// own: its lines are the map's.
bool IsBreakpointVector(const REC_CONTROLLO& record, const std::vector<REC_CONTROLLO>& records)
{
    for (const REC_CONTROLLO& r : records) {
        const auto* grid = std::get_if<GridBlock>(&r.GRAFICA);
        if (!grid)
            continue;
        for (const INTESTAZIONE_GRIGLIA* header : {&grid->PRIMA_RIGA, &grid->PRIMA_COLONNA})
            if (header->PRESENTE == PRES_SI && header->TIPO_INT == INTST_CAL && header->ID_VET_BREAKPS == record.ID_GUI)
                return true;
    }
    return false;
}

}  // namespace

ControlSet::ControlSet(const std::vector<REC_CONTROLLO>& parameters, const std::vector<REC_CONTROLLO>& diagnosis,
                       Clock clock, Maker make)
{
    for (const REC_CONTROLLO& record : parameters)
        if (!IsBreakpointVector(record, parameters))
            m_first.push_back(Add(record, parameters, clock, make));
    for (const REC_CONTROLLO& record : diagnosis)
        if (record.CATEGORIA == CTRL_RIPR)
            m_second.push_back(Add(record, diagnosis, clock, make));
}

void ControlSet::Attach(CParametriFile& file)
{
    file.SetControls(static_cast<std::int32_t>(m_first.size()), m_first.data(),
                     static_cast<std::int32_t>(m_second.size()), m_second.data());
}

CTRL_WND ControlSet::Add(const REC_CONTROLLO& record, const std::vector<REC_CONTROLLO>& all, const Clock& clock,
                         const Maker& make)
{
    std::unique_ptr<IDataCtrl> control = make ? make(record) : nullptr;
    if (control) {
        // made by the test
    } else if (const auto* grid = std::get_if<GridBlock>(&record.GRAFICA)) {
        auto map = std::make_unique<TestGridCtrl>(record, grid->NUM_RIGHE, grid->NUM_COLONNE, clock);
        if (grid->PRIMA_RIGA.PRESENTE == PRES_SI && grid->PRIMA_RIGA.TIPO_INT == INTST_CAL)
            if (const REC_CONTROLLO* axis = FindKey(all, grid->PRIMA_RIGA.ID_VET_BREAKPS))
                map->SetXAxis(*axis);
        if (grid->PRIMA_COLONNA.PRESENTE == PRES_SI && grid->PRIMA_COLONNA.TIPO_INT == INTST_CAL)
            if (const REC_CONTROLLO* axis = FindKey(all, grid->PRIMA_COLONNA.ID_VET_BREAKPS))
                map->SetYAxis(*axis);
        control = std::move(map);
    } else if (record.CATEGORIA == CTRL_RIPR) {
        control = std::make_unique<TestListCtrl>(record, 1.0, clock);
    } else {
        control = std::make_unique<TestValueCtrl>(record, clock);
    }
    CTRL_WND entry;
    entry.key = record.ID_GUI;
    entry.category = record.CATEGORIA;
    entry.access = record.OPERATORE;
    entry.address = record.LSB;
    entry.size = CUtility::GetDatoSize(record.TIPO);
    entry.wnd = control.get();
    m_controls.push_back(std::move(control));
    return entry;
}

}  // namespace vexar::testing
