#include "pages/widgets/CWEditLine.h"

#include <algorithm>

void CWEditLine::SetText(const QString& text)
{
    m_text = text;
    m_caret = m_anchor = static_cast<int>(m_text.size());
}

void CWEditLine::SelectAll()
{
    m_anchor = 0;
    m_caret = static_cast<int>(m_text.size());
}

void CWEditLine::MoveTo(int position, bool extend)
{
    m_caret = std::clamp(position, 0, static_cast<int>(m_text.size()));
    if (!extend)
        m_anchor = m_caret;
}

void CWEditLine::MoveBy(int delta, bool extend)
{
    // Without shift, an arrow first collapses a selection to its side.
    if (!extend && HasSelection()) {
        MoveTo(delta < 0 ? SelectionStart() : SelectionEnd(), false);
        return;
    }
    MoveTo(m_caret + delta, extend);
}

void CWEditLine::Insert(const QString& text)
{
    RemoveSelection();
    m_text.insert(m_caret, text);
    m_caret += static_cast<int>(text.size());
    m_anchor = m_caret;
}

void CWEditLine::Backspace()
{
    if (HasSelection()) {
        RemoveSelection();
    } else if (m_caret > 0) {
        m_text.remove(m_caret - 1, 1);
        m_anchor = --m_caret;
    }
}

void CWEditLine::Delete()
{
    if (HasSelection())
        RemoveSelection();
    else if (m_caret < m_text.size())
        m_text.remove(m_caret, 1);
}

void CWEditLine::RemoveSelection()
{
    const int start = SelectionStart();
    m_text.remove(start, SelectionEnd() - start);
    m_caret = m_anchor = start;
}
