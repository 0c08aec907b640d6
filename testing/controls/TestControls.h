#pragma once

// Controls for the tests of the data files and the conversions: small
// implementations of the control interface that write and read their
// calibration lines through the real line codec, keep a change history the
// way the page controls do, and format acquisition samples through the
// real hook. They hold values in memory; no window, no image.

#include "config/AcqSample.h"
#include "config/IDataCtrl.h"
#include "config/RecControllo.h"

#include <ctime>
#include <functional>
#include <string>
#include <utility>
#include <vector>

class CVariabiliAcq;

namespace vexar::testing {

// Time stamps of the change records; the tests pin them.
using Clock = std::function<std::time_t()>;

// A definition with the fields the files use; the category block is the
// default block of the category.
REC_CONTROLLO MakeDefinition(std::int32_t id, std::u16string identifier, std::int32_t category,
                             std::u16string comment = {}, std::u16string label = {});

// A control with nothing but its definition, for tables whose users read
// only the definitions (the value codec, the link's polled lists).
class DefinitionOnlyCtrl : public IDataCtrl {
public:
    explicit DefinitionOnlyCtrl(REC_CONTROLLO definition) : m_definition(std::move(definition)) {}
    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    double GetValue() const override { return 0.0; }
    bool SaveParam(CCriptFile&, CModifica&) override { return true; }
    bool LoadParam(std::u16string) override { return false; }

private:
    REC_CONTROLLO m_definition;
};

// One datum, one calibration line: check box, on/off and command buttons,
// list, text field, knob, slide, numeric edit.
class TestValueCtrl : public IDataCtrl {
public:
    explicit TestValueCtrl(REC_CONTROLLO definition, Clock clock = {});

    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    double GetValue() const override { return m_number; }
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;

    // Sets the value; a numeric edit shows it with two decimals and a
    // decimal comma, as a user under a comma locale sees it.
    void SetNumber(double value);
    void SetText(std::u16string text) { m_text = std::move(text); }
    const std::u16string& Text() const { return m_text; }
    const std::u16string& LastSaved() const { return m_lastSaved; }

private:
    std::u16string ValueText() const;
    bool KeepsHistory() const;
    bool Differs(const std::u16string& before, const std::u16string& now) const;

    REC_CONTROLLO m_definition;
    Clock m_clock;
    double m_number = 0.0;
    std::u16string m_text;
    std::u16string m_lastSaved;
};

// A calibration map: rows x columns cells, with an optional row of X
// breakpoints and column of Y breakpoints defined by their own records.
// Cells show their values through the map's display mask.
class TestGridCtrl : public IDataCtrl {
public:
    TestGridCtrl(REC_CONTROLLO definition, std::int32_t rows, std::int32_t columns, Clock clock = {});

    void SetXAxis(REC_CONTROLLO axis);
    void SetYAxis(REC_CONTROLLO axis);

    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    double GetValue() const override { return 0.0; }
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;
    bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read) override;

    double Cell(std::int32_t row, std::int32_t column) const { return m_cells.at(Index(row, column)); }
    void SetCell(std::int32_t row, std::int32_t column, double value) { m_cells.at(Index(row, column)) = value; }
    double X(std::int32_t column) const { return m_x.at(static_cast<std::size_t>(column)); }
    void SetX(std::int32_t column, double value) { m_x.at(static_cast<std::size_t>(column)) = value; }
    double Y(std::int32_t row) const { return m_y.at(static_cast<std::size_t>(row)); }
    void SetY(std::int32_t row, double value) { m_y.at(static_cast<std::size_t>(row)) = value; }

private:
    std::size_t Index(std::int32_t row, std::int32_t column) const;
    std::u16string Shown(double value) const;
    void SaveBlock(CCriptFile& file, CModifica& history, const std::u16string& identifier,
                   const std::u16string& comment, std::int32_t rows, std::int32_t columns, bool xAxis,
                   std::vector<double>& values, std::vector<std::u16string>& references);

    REC_CONTROLLO m_definition;
    std::int32_t m_rows;
    std::int32_t m_columns;
    Clock m_clock;
    std::vector<double> m_cells;
    std::vector<std::u16string> m_cellRefs;
    bool m_hasX = false;
    bool m_hasY = false;
    REC_CONTROLLO m_xAxis;
    REC_CONTROLLO m_yAxis;
    std::vector<double> m_x;
    std::vector<std::u16string> m_xRefs;
    std::vector<double> m_y;
    std::vector<std::u16string> m_yRefs;
};

// A recovery-action list: NUM_ERRORI elements holding raw values, written
// as "%d" of the value converted by `factor` and cut toward zero.
class TestListCtrl : public IDataCtrl {
public:
    explicit TestListCtrl(REC_CONTROLLO definition, double factor = 1.0, Clock clock = {});

    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    double GetValue() const override;
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;
    bool LoadParam(CCriptFile& file, std::u16string line, CalibGroupRead& read) override;

    std::int32_t Count() const { return static_cast<std::int32_t>(m_raw.size()); }
    std::int32_t Raw(std::int32_t index) const { return m_raw.at(static_cast<std::size_t>(index)); }
    void SetRaw(std::int32_t index, std::int32_t value) { m_raw.at(static_cast<std::size_t>(index)) = value; }
    const std::vector<std::u16string>& ElementTexts() const { return m_texts; }

private:
    REC_CONTROLLO m_definition;
    double m_factor;
    Clock m_clock;
    std::vector<std::int32_t> m_raw;
    std::vector<std::u16string> m_texts;
};

// A live variable (gauge, LED, diagnosis): no calibration line; its
// physical value is raw x scale + offset; records acquisition samples.
class TestLiveCtrl : public IDataCtrl {
public:
    TestLiveCtrl(REC_CONTROLLO definition, double scale = 1.0, double offset = 0.0);

    const REC_CONTROLLO& GetDefinition() const override { return m_definition; }
    double GetValue() const override { return m_value; }
    bool SaveParam(CCriptFile& file, CModifica& history) override;
    bool LoadParam(std::u16string line) override;

    void SetValue(double value) { m_value = value; }
    double ToPhysical(std::int32_t raw) const { return raw * m_scale + m_offset; }
    // What the control does with one sample of a recording.
    bool OnAcqSample(const ACQ_SAMPLE& sample, CVariabiliAcq& recorder, GRAPH_POINT* live) const;

private:
    REC_CONTROLLO m_definition;
    double m_scale;
    double m_offset;
    double m_value = 0.0;
};

}  // namespace vexar::testing
