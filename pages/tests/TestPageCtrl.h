#pragma once

// Controls of the categories that have no class yet, over the real Qt base
// of the data-bound controls, for the tests of the page window and the
// hosts: a text field, a drop-down list, a command or reset button, a live
// value. Each shows its raw value and records the presses it is posted.

#include "TestControls.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlBase.h"
#include "common/Text.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace vexar::pagestest {

template <class Widget>
class TestPageCtrl : public Widget, public CCtrlBase {
public:
    TestPageCtrl(CVEXARPages& app, REC_CONTROLLO definition, QWidget* parent)
        : Widget(parent), CCtrlBase(*this, app, std::move(definition), false)
    {
        if constexpr (std::is_same_v<Widget, QComboBox>) {
            for (const char* item : {"Slow", "Steady", "Sharp"})
                this->addItem(QString::fromLatin1(item));
        } else {
            this->setText(QString::fromStdU16String(m_definition.ETICHETTA));
        }
        this->setFocusPolicy(Qt::StrongFocus);
    }

    double GetValue() const override { return m_raw; }
    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override
    {
        if (id == vexar::link::WM_CTRL_PRESS)
            ++presses;
        return CCtrlBase::onMessage(id, wParam, lParam, payload);
    }

    int presses = 0;
    std::int32_t m_raw = 0;

protected:
    void ShowRaw(std::int32_t raw) override { m_raw = raw; }
    std::int32_t RawFromShown() const override { return m_raw; }
    ShownValue Shown() const override { return {static_cast<double>(m_raw), {}}; }
    void PutShown(const ShownValue& value) override { m_raw = static_cast<std::int32_t>(value.number); }
    std::u16string ValueText() const override { return vexar::Format(u"%d", m_raw); }
    bool LoadValueText(std::u16string&) override { return false; }
    void ShowDefault() override { m_raw = 0; }
    bool KeepsHistory() const override { return false; }
    bool TakesProfileEnable() const override { return true; }
};

using TestEdit = TestPageCtrl<QLineEdit>;
using TestList = TestPageCtrl<QComboBox>;
using TestButton = TestPageCtrl<QPushButton>;
using TestLive = TestPageCtrl<QLabel>;

// A definition of `category` with its label and tooltip text.
inline REC_CONTROLLO PageDef(std::int32_t id, std::int32_t category, std::u16string label, std::int32_t address = 0,
                             std::int32_t access = OPR_PBL)
{
    REC_CONTROLLO definition = vexar::testing::MakeDefinition(id, vexar::Format(u"ID_%d", id), category,
                                                              u"Tip of " + label, label);
    definition.LSB = address;
    definition.OPERATORE = access;
    definition.TIPO = DATO_UBYTE;
    definition.MASCHERA = 0xFF;
    return definition;
}

}  // namespace vexar::pagestest
