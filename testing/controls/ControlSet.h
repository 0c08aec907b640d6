#pragma once

// The controls of a loaded configuration for the tests of the calibration
// files: one per parameter definition in file order (the first table; a
// map's breakpoint vector is part of its map, not a control) and
// one per recovery-action list of the diagnosis definitions (the second
// table). Test controls by default; a test may make some of them itself
// (real page controls, say) through `make`.

#include "TestControls.h"
#include "config/CtrlWnd.h"

#include <functional>
#include <memory>
#include <stdexcept>
#include <string_view>
#include <vector>

class CParametriFile;

namespace vexar::testing {

class ControlSet {
public:
    // Returns the control for a definition, or null to leave it to the set.
    using Maker = std::function<std::unique_ptr<IDataCtrl>(const REC_CONTROLLO& record)>;

    ControlSet(const std::vector<REC_CONTROLLO>& parameters, const std::vector<REC_CONTROLLO>& diagnosis, Clock clock,
               Maker make = {});

    void Attach(CParametriFile& file);

    template <class T>
    T& Get(std::u16string_view identifier)
    {
        for (auto& control : m_controls)
            if (control->GetDefinition().IDENTIFICATORE == identifier)
                return dynamic_cast<T&>(*control);
        throw std::runtime_error("no such control");
    }

    CTRL_TABLE& First() { return m_first; }

private:
    CTRL_WND Add(const REC_CONTROLLO& record, const std::vector<REC_CONTROLLO>& all, const Clock& clock,
                 const Maker& make);

    std::vector<std::unique_ptr<IDataCtrl>> m_controls;
    CTRL_TABLE m_first;
    CTRL_TABLE m_second;
};

}  // namespace vexar::testing
