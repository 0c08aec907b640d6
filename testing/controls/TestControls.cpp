#include "TestControls.h"

#include "common/CCriptFile.h"
#include "common/CStringForm.h"
#include "common/TagLine.h"
#include "common/Text.h"
#include "config/CModifica.h"
#include "config/CalibLine.h"

#include <algorithm>
#include <cmath>

namespace vexar::testing {

namespace {

std::time_t Now(const Clock& clock) { return clock ? clock() : std::time(nullptr); }

CategoryBlock DefaultBlock(std::int32_t category)
{
    switch (category) {
    case CTRL_BAR: return BarBlock{};
    case CTRL_CHECK: return CheckBlock{};
    case CTRL_BUTTON: return ButtonBlock{};
    case CTRL_BUTTON_CMD: return ButtonCmdBlock{};
    case CTRL_COMBO: return ComboBlock{};
    case CTRL_DIAG:
    case CTRL_DIAG_BIT: return DiagBlock{};
    case CTRL_EDIT: return EditBlock{};
    case CTRL_GRID: return GridBlock{};
    case CTRL_KNOB: return KnobBlock{};
    case CTRL_LED: return LedBlock{};
    case CTRL_NUMCALC: return NumCalcBlock{};
    case CTRL_NUMEDIT: return NumEditBlock{};
    case CTRL_NUMERIC: return NumericBlock{};
    case CTRL_RIPR: return RiprBlock{};
    case CTRL_SLIDE: return SlideBlock{};
    case CTRL_STATO: return StatoBlock{};
    case CTRL_RPM:
    case CTRL_TERM: return TermBlock{};
    case CTRL_VMETER: return VmeterBlock{};
    case CTRL_RESET: return ResetBlock{};
    default: return std::monostate{};
    }
}

std::int32_t ParamOf(const REC_CONTROLLO& definition)
{
    if (const auto* check = std::get_if<CheckBlock>(&definition.GRAFICA))
        return check->PARAM;
    if (const auto* button = std::get_if<ButtonBlock>(&definition.GRAFICA))
        return button->PARAM;
    if (const auto* combo = std::get_if<ComboBlock>(&definition.GRAFICA))
        return combo->PARAM;
    return PAR_SI;
}

double ReadNumber(std::u16string text)
{
    double value = 0.0;
    StrToDouble(text, value);
    return value;
}

std::u16string PointsForCommas(std::u16string text)
{
    std::replace(text.begin(), text.end(), u',', u'.');
    return text;
}

void AddChange(CModifica& history, const Clock& clock, const std::u16string& name, const std::u16string& before,
               const std::u16string& now)
{
    MODIFICA record;
    record.IDENTIFICATORE = name;
    record.PRECEDENTE = before;
    record.CORRENTE = now;
    record.time = Now(clock);
    history.AddModification(record);
}

}  // namespace

REC_CONTROLLO MakeDefinition(std::int32_t id, std::u16string identifier, std::int32_t category,
                             std::u16string comment, std::u16string label)
{
    REC_CONTROLLO definition;
    definition.ID_GUI = id;
    definition.IDENTIFICATORE = std::move(identifier);
    definition.CATEGORIA = category;
    definition.COMMENTO = std::move(comment);
    definition.ETICHETTA = std::move(label);
    definition.GRAFICA = DefaultBlock(category);
    return definition;
}

// ---- TestValueCtrl ---------------------------------------------------------

TestValueCtrl::TestValueCtrl(REC_CONTROLLO definition, Clock clock)
    : m_definition(std::move(definition)), m_clock(std::move(clock)), m_lastSaved(Trim(m_definition.DEFAULT))
{
    if (m_definition.CATEGORIA == CTRL_EDIT) {
        const std::u16string& text = m_definition.DEFAULT;
        const std::size_t first = text.find(u'"');
        const std::size_t last = text.rfind(u'"');
        m_text = first != last ? text.substr(first + 1, last - first - 1) : text;
        m_lastSaved = ValueText();
    } else {
        SetNumber(ReadNumber(m_definition.DEFAULT));
    }
}

void TestValueCtrl::SetNumber(double value)
{
    m_number = value;
    if (m_definition.CATEGORIA == CTRL_NUMEDIT) {
        m_text = Format(u"%.2f", value);
        std::replace(m_text.begin(), m_text.end(), u'.', u',');
    }
}

std::u16string TestValueCtrl::ValueText() const
{
    switch (m_definition.CATEGORIA) {
    case CTRL_EDIT:
        return u"\"" + m_text + u"\"";
    case CTRL_KNOB:
    case CTRL_SLIDE:
        return Format(u"%f", m_number);
    case CTRL_NUMEDIT:
        return PointsForCommas(m_text);
    default:
        return Format(u"%d", static_cast<std::int32_t>(m_number));
    }
}

bool TestValueCtrl::KeepsHistory() const
{
    switch (m_definition.CATEGORIA) {
    case CTRL_CHECK:
    case CTRL_COMBO:
    case CTRL_BUTTON:
        return ParamOf(m_definition) == PAR_SI;
    default:
        return true;
    }
}

bool TestValueCtrl::Differs(const std::u16string& before, const std::u16string& now) const
{
    switch (m_definition.CATEGORIA) {
    case CTRL_KNOB:
    case CTRL_SLIDE:
    case CTRL_NUMEDIT:
        return ReadNumber(before) != ReadNumber(now);
    default:
        return before != now;
    }
}

bool TestValueCtrl::SaveParam(CCriptFile& file, CModifica& history)
{
    const std::u16string value = ValueText();
    file.Write(CalibLine::Format(m_definition.IDENTIFICATORE, value, m_definition.COMMENTO));
    const std::u16string now = Trim(value);
    const std::u16string before = Trim(m_lastSaved);
    if (KeepsHistory() && !before.empty() && Differs(before, now)) {
        AddChange(history, m_clock, m_definition.IDENTIFICATORE, before, now);
        m_lastSaved = now;
    }
    return true;
}

bool TestValueCtrl::LoadParam(std::u16string line)
{
    const CalibLine::Fields fields = CalibLine::Split(line);
    std::u16string value = fields.value;
    switch (m_definition.CATEGORIA) {
    case CTRL_EDIT: {
        const std::size_t first = value.find(u'"');
        const std::size_t last = value.rfind(u'"');
        m_text = first != std::u16string::npos && last > first ? value.substr(first + 1, last - first - 1)
                                                               : std::u16string();
        break;
    }
    case CTRL_KNOB:
    case CTRL_SLIDE:
    case CTRL_NUMEDIT: {
        double number = 0.0;
        if (!StrToDouble(value, number))
            return false;
        SetNumber(number);
        break;
    }
    case CTRL_COMBO: {
        // Any value is accepted; one that names no item selects none.
        std::int32_t number = 0;
        const auto* combo = std::get_if<ComboBlock>(&m_definition.GRAFICA);
        const bool known = StrToLong(value, number) &&
                           (combo == nullptr || combo->VALORE_ITEMS.empty() ||
                            std::find(combo->VALORE_ITEMS.begin(), combo->VALORE_ITEMS.end(), number) !=
                                combo->VALORE_ITEMS.end());
        m_number = known ? number : -1;
        break;
    }
    default: {
        std::int32_t number = 0;
        if (!StrToLong(value, number))
            return false;
        m_number = m_definition.CATEGORIA == CTRL_CHECK ? number : (number != 0 ? 1 : 0);
        break;
    }
    }
    m_lastSaved = Trim(value);
    return true;
}

// ---- TestGridCtrl ----------------------------------------------------------

TestGridCtrl::TestGridCtrl(REC_CONTROLLO definition, std::int32_t rows, std::int32_t columns, Clock clock)
    : m_definition(std::move(definition)),
      m_rows(rows),
      m_columns(columns),
      m_clock(std::move(clock)),
      m_cells(static_cast<std::size_t>(rows * columns)),
      m_cellRefs(m_cells.size()),
      m_x(static_cast<std::size_t>(columns)),
      m_xRefs(m_x.size()),
      m_y(static_cast<std::size_t>(rows)),
      m_yRefs(m_y.size())
{
}

void TestGridCtrl::SetXAxis(REC_CONTROLLO axis)
{
    m_xAxis = std::move(axis);
    m_hasX = true;
}

void TestGridCtrl::SetYAxis(REC_CONTROLLO axis)
{
    m_yAxis = std::move(axis);
    m_hasY = true;
}

std::size_t TestGridCtrl::Index(std::int32_t row, std::int32_t column) const
{
    return static_cast<std::size_t>(row * m_columns + column);
}

std::u16string TestGridCtrl::Shown(double value) const
{
    const auto* grid = std::get_if<GridBlock>(&m_definition.GRAFICA);
    const std::u16string mask = grid != nullptr && !grid->FORMATO.empty() ? grid->FORMATO : u".##";
    return CStringForm().Format(mask, value);
}

void TestGridCtrl::SaveBlock(CCriptFile& file, CModifica& history, const std::u16string& identifier,
                             const std::u16string& comment, std::int32_t rows, std::int32_t columns, bool xAxis,
                             std::vector<double>& values, std::vector<std::u16string>& references)
{
    std::u16string lineComment = comment;
    for (std::int32_t r = 0; r < rows; ++r) {
        for (std::int32_t c = 0; c < columns; ++c) {
            const std::size_t k = static_cast<std::size_t>(r * columns + c);
            const std::u16string name = xAxis ? CalibLine::CellName(identifier, 0, c)
                                              : CalibLine::CellName(identifier, r, c);
            const std::u16string value = PointsForCommas(Shown(values[k]));
            file.Write(CalibLine::Format(name, value, lineComment));
            lineComment.clear();
            if (!references[k].empty() && ReadNumber(references[k]) != ReadNumber(value)) {
                AddChange(history, m_clock, name, references[k], value);
                references[k] = value;
            }
        }
    }
}

bool TestGridCtrl::SaveParam(CCriptFile& file, CModifica& history)
{
    SaveBlock(file, history, m_definition.IDENTIFICATORE, m_definition.COMMENTO, m_rows, m_columns, false, m_cells,
              m_cellRefs);
    if (m_hasX)
        SaveBlock(file, history, m_xAxis.IDENTIFICATORE, m_xAxis.COMMENTO, 1, m_columns, true, m_x, m_xRefs);
    if (m_hasY)
        SaveBlock(file, history, m_yAxis.IDENTIFICATORE, m_yAxis.COMMENTO, m_rows, 1, false, m_y, m_yRefs);
    return true;
}

bool TestGridCtrl::LoadParam(std::u16string line)
{
    (void)line;
    return false;  // a map is read as a group of lines
}

bool TestGridCtrl::LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read)
{
    std::fill(m_cellRefs.begin(), m_cellRefs.end(), std::u16string());
    std::fill(m_xRefs.begin(), m_xRefs.end(), std::u16string());
    std::fill(m_yRefs.begin(), m_yRefs.end(), std::u16string());

    const auto into = [this](std::vector<double>& values, std::vector<std::u16string>& references,
                             std::int32_t width) {
        return [this, &values, &references, width](std::int32_t row, std::int32_t column, const std::u16string&,
                                                   double value) {
            const std::size_t k = static_cast<std::size_t>(row * width + column);
            values[k] = value;
            references[k] = PointsForCommas(Shown(value));
        };
    };
    std::int32_t taken = 0;
    CalibGroupRead block;
    if (!CalibLine::ReadCellBlock(file, m_definition.IDENTIFICATORE, line, 0, m_rows, 0, m_columns,
                                  into(m_cells, m_cellRefs, m_columns), block))
        return false;
    taken += block.taken;
    if (m_hasX) {
        const std::u16string first = block.next;
        if (!CalibLine::ReadCellBlock(file, m_xAxis.IDENTIFICATORE, first, 0, 1, 0, m_columns,
                                      into(m_x, m_xRefs, m_columns), block))
            return false;
        taken += block.taken;
    }
    if (m_hasY) {
        const std::u16string first = block.next;
        if (!CalibLine::ReadCellBlock(file, m_yAxis.IDENTIFICATORE, first, 0, m_rows, 0, 1,
                                      into(m_y, m_yRefs, 1), block))
            return false;
        taken += block.taken;
    }
    read.next = block.next;
    read.taken = taken;
    read.again = CalibLine::StartsGroup(read.next, m_definition.IDENTIFICATORE) ||
                 (m_hasX && CalibLine::StartsGroup(read.next, m_xAxis.IDENTIFICATORE)) ||
                 (m_hasY && CalibLine::StartsGroup(read.next, m_yAxis.IDENTIFICATORE));
    return true;
}

// ---- TestListCtrl ----------------------------------------------------------

TestListCtrl::TestListCtrl(REC_CONTROLLO definition, double factor, Clock clock)
    : m_definition(std::move(definition)), m_factor(factor), m_clock(std::move(clock))
{
    const auto* block = std::get_if<RiprBlock>(&m_definition.GRAFICA);
    const std::int32_t count = block != nullptr ? std::max(block->NUM_ERRORI, 0) : 0;
    m_raw.assign(static_cast<std::size_t>(count), 0);
    for (std::int32_t i = 0; i < count; ++i)
        m_texts.push_back(i == 0 ? m_definition.DEFAULT : u"0");
    std::u16string first = m_definition.DEFAULT;
    std::int32_t value = 0;
    if (count > 0 && StrToLong(first, value))
        m_raw[0] = static_cast<std::int32_t>(std::lround(value / m_factor));
}

double TestListCtrl::GetValue() const { return m_raw.empty() ? 0.0 : m_raw[0] * m_factor; }

bool TestListCtrl::SaveParam(CCriptFile& file, CModifica& history)
{
    for (std::size_t i = 0; i < m_raw.size(); ++i) {
        const std::u16string name = CalibLine::ElementName(m_definition.IDENTIFICATORE, static_cast<std::int32_t>(i));
        const std::u16string value = Format(u"%d", static_cast<std::int32_t>(std::trunc(m_raw[i] * m_factor)));
        file.Write(CalibLine::Format(name, value, m_definition.COMMENTO));
        if (i < m_texts.size()) {
            const std::u16string before = Trim(m_texts[i]);
            if (!before.empty() && before != value) {
                AddChange(history, m_clock, name, before, value);
                m_texts[i] = value;
            }
        }
    }
    return true;
}

bool TestListCtrl::LoadParam(std::u16string line)
{
    (void)line;
    return false;  // a recovery-action list is read as a group of lines
}

bool TestListCtrl::LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read)
{
    m_texts.clear();
    CalibLine::ReadElementLines(
        file, m_definition.IDENTIFICATORE, Count(), line,
        [this](std::int32_t index, const std::u16string& value) {
            std::u16string text = value;
            std::int32_t code = 0;
            if (StrToLong(text, code))
                m_raw[static_cast<std::size_t>(index)] = static_cast<std::int32_t>(std::lround(code / m_factor));
            m_texts.push_back(text);
        },
        read);
    return true;
}

// ---- TestLiveCtrl ----------------------------------------------------------

TestLiveCtrl::TestLiveCtrl(REC_CONTROLLO definition, double scale, double offset)
    : m_definition(std::move(definition)), m_scale(scale), m_offset(offset)
{
}

bool TestLiveCtrl::SaveParam(CCriptFile& file, CModifica& history)
{
    (void)file;
    (void)history;
    return true;  // a live value has no calibration line
}

bool TestLiveCtrl::LoadParam(std::u16string line)
{
    (void)line;
    return false;
}

bool TestLiveCtrl::OnAcqSample(const ACQ_SAMPLE& sample, CVariabiliAcq& recorder, GRAPH_POINT* live) const
{
    return CUtility::RecordAcqSample(recorder, sample, ToPhysical(sample.raw), m_definition, live);
}

}  // namespace vexar::testing
