#include "platform/ui/AcceleratorTable.h"

#include "platform/ui/Messages.h"
#include "platform/ui/WindowBase.h"

#include <QKeyEvent>

#include <utility>

namespace vexar::ui {

namespace {
constexpr Qt::KeyboardModifiers kChordModifiers = Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier;
}

AcceleratorTable::AcceleratorTable(std::vector<Accelerator> entries) : m_entries(std::move(entries)) {}

AcceleratorTable::AcceleratorTable(std::initializer_list<Accelerator> entries) : m_entries(entries) {}

std::optional<unsigned> AcceleratorTable::Match(const QEvent& event) const
{
    if (event.type() != QEvent::KeyPress)
        return std::nullopt;
    const auto& key = static_cast<const QKeyEvent&>(event);
    const Qt::KeyboardModifiers held = key.modifiers() & kChordModifiers;
    for (const Accelerator& entry : m_entries) {
        if (entry.keys.key() == key.key() && (entry.keys.keyboardModifiers() & kChordModifiers) == held)
            return entry.command;
    }
    return std::nullopt;
}

bool AcceleratorTable::Translate(WindowBase& window, const QEvent& event) const
{
    const std::optional<unsigned> command = Match(event);
    if (!command)
        return false;
    WindowMessage message = CommandMessage(*command);
    window.Dispatch(message);
    return true;
}

}  // namespace vexar::ui
