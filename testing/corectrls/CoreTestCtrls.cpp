#include "testing/corectrls/CoreTestCtrls.h"

#include "common/TagLine.h"
#include "common/Text.h"

#include <cmath>

namespace vexar::testing {

namespace {

const CheckBlock* CheckOf(const REC_CONTROLLO& definition)
{
    return std::get_if<CheckBlock>(&definition.GRAFICA);
}

}  // namespace

CoreTestCtrl::CoreTestCtrl(CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : CCtrlCore(app, std::move(definition), hidden)
{
    ShowDefault();
    SetUndoPair(Shown(), Shown());
    shown = !hidden;
}

void CoreTestCtrl::UserSets(double value)
{
    m_value = value;
    UserEdit();
}

bool CoreTestCtrl::IsBound() const
{
    const CheckBlock* check = CheckOf(m_definition);
    return !check || check->VISIB_DIP != VIS_SI || check->PARAM == PAR_SI;
}

void CoreTestCtrl::ShowRaw(std::int32_t raw)
{
    m_value = IsCheck() ? (raw == 1 ? 1.0 : 0.0) : m_conversion.ToPhysical(raw);
}

std::int32_t CoreTestCtrl::RawFromShown() const
{
    return IsCheck() ? (m_value != 0.0 ? 1 : 0) : m_conversion.ToRaw(m_value);
}

std::u16string CoreTestCtrl::ValueText() const
{
    if (IsCheck())
        return Format(u"%d", static_cast<int>(m_value));
    return Format(u"%f", m_value);
}

bool CoreTestCtrl::LoadValueText(std::u16string& text)
{
    if (IsCheck()) {
        std::int32_t state = 0;
        if (!StrToLong(text, state))
            return false;
        m_value = state != 0 ? 1.0 : 0.0;
        return true;
    }
    double value = 0.0;
    if (!StrToDouble(text, value))
        return false;
    m_value = value;
    return true;
}

void CoreTestCtrl::ShowDefault()
{
    std::u16string text = m_definition.DEFAULT;
    if (IsCheck()) {
        std::int32_t state = 0;
        m_value = StrToLong(text, state) && state != 0 ? 1.0 : 0.0;
    } else {
        double value = 0.0;
        m_value = StrToDouble(text, value) ? value : 0.0;
    }
}

std::vector<DependencyState> CoreTestCtrl::DependencyStates() const
{
    const CheckBlock* check = CheckOf(m_definition);
    if (!check || check->VISIB_DIP != VIS_SI)
        return {};
    const bool checked = m_value != 0.0;
    return {{&check->CHECKED, checked}, {&check->UNCHECKED, !checked}};
}

std::int32_t CoreTestCtrl::Abilitato() const
{
    const CheckBlock* check = CheckOf(m_definition);
    return check ? check->ABILITATO : ABIL_SI;
}

// ---- QueuedUiSink ---------------------------------------------------------------------

void QueuedUiSink::Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message)
{
    std::lock_guard lock(m_lock);
    QueuedPost post{window, control, message.id, message.wParam, message.lParam};
    m_seen.push_back(post);
    m_queue.emplace_back(post, std::move(message.payload));
    m_changed.notify_all();
}

int QueuedUiSink::Pump()
{
    int delivered = 0;
    for (;;) {
        std::pair<QueuedPost, std::unique_ptr<link::LinkPayload>> next;
        CCtrlCore* target = nullptr;
        {
            std::lock_guard lock(m_lock);
            if (m_queue.empty())
                return delivered;
            next = std::move(m_queue.front());
            m_queue.pop_front();
            if (next.first.window == link::UiWindow::Control) {
                auto* control = const_cast<CCtrlCore*>(dynamic_cast<const CCtrlCore*>(next.first.control));
                if (m_controls.count(control))
                    target = control;
            }
        }
        if (target) {
            target->HandleMessage(next.first.message, next.first.wParam, next.first.lParam, next.second.get());
            ++delivered;
        }
    }
}

bool QueuedUiSink::WaitFor(const IDataCtrl* control, unsigned message, std::chrono::milliseconds limit)
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, limit, [&] {
        for (const QueuedPost& post : m_seen)
            if (post.control == control && post.message == message)
                return true;
        return false;
    });
}

void QueuedUiSink::Register(CCtrlCore* control)
{
    std::lock_guard lock(m_lock);
    m_controls.insert(control);
}

void QueuedUiSink::Unregister(CCtrlCore* control)
{
    std::lock_guard lock(m_lock);
    m_controls.erase(control);
}

std::vector<QueuedPost> QueuedUiSink::Seen() const
{
    std::lock_guard lock(m_lock);
    return m_seen;
}

void QueuedUiSink::ClearSeen()
{
    std::lock_guard lock(m_lock);
    m_seen.clear();
}

}  // namespace vexar::testing
