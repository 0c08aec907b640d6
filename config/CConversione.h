#pragma once

// The conversion between the raw integer of a datum in an ECU image and
// the physical value a control shows: none, a rational formula of the raw
// value, a formula over six operands (other controls' current values and
// the raw value), or piecewise-linear interpolation between breakpoints.
// Every data-bound control holds its own conversion, set from its
// definition when the control is made.
//
// Raw values travel as 32-bit patterns: read signed for DATO_BYTE,
// DATO_WORD and DATO_LONG, unsigned (0..4294967295) for the other types.

#include "config/CtrlWnd.h"
#include "config/RecControllo.h"

#include <cstdint>

class CVEXARContext;

class CConversione {
public:
    // `context` gives the parameter window's control table, where the
    // operands of a six-operand formula are looked up when no table is
    // named. The conversion does not own it.
    explicit CConversione(const CVEXARContext* context = nullptr);
    virtual ~CConversione();

    // Sets the kind (TIPO_CONV), the owning control's key (ID_GUI), the
    // parameters that the kind uses and the data type (TIPO).
    void SetConversion(std::int32_t kind, std::int32_t owner, const PARAM_CONVERSIONE* params,
                       std::int32_t dataType);

    // Physical value of a raw value; 0.0 for a data type outside
    // DATO_FLAG..DATO_ULONG.
    double ToPhysical(std::int32_t raw) const;
    // Raw pattern for a physical value, rounded half away from zero and
    // held within the data type's range (0..4294967295 unsigned,
    // -2^31..2^31-1 signed); 0 for a data type outside the known ones.
    std::int32_t ToRaw(double value) const;

    // Looks the operand keys of a six-operand formula up in `table` (the
    // context's parameter table when null). True when every operand was
    // found or the conversion has none; the operands from the first
    // missing one on stay unresolved and count 1.0.
    bool ResolveOperands(const CTRL_TABLE* table = nullptr);
    // One key: 0 gives no control (category left as it is); otherwise the
    // first entry of that key gives the control and its category.
    static bool FindOperand(std::int32_t key, IDataCtrl*& wnd, std::int32_t& category, const CTRL_TABLE* table);

    // The six-operand formula, for registering its operands as linked
    // controls; false, `out` unchanged, for any other kind.
    bool GetExtFormula(const PARAM_CONVERSIONE*& out) const;

    std::int32_t GetKind() const { return m_kind; }
    std::int32_t GetDataType() const { return m_dataType; }

private:
    bool IsUnsigned() const;
    double RawToNumber(std::int32_t raw) const;
    std::int32_t Pattern(double value) const;
    std::int32_t Saturated(double numerator) const;
    void Operands(double (&op)[6]) const;

    std::int32_t m_kind = CONV_NO;
    std::int32_t m_dataType = DATO_FLAG;
    PARAM_CONVERSIONE m_params;
    std::int32_t m_owner = 0;
    const CVEXARContext* m_context;
};
