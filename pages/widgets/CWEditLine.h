#pragma once

// The text being typed into a numeric field: the text, the caret, and the
// selection between the caret and its anchor. Typing replaces the
// selection.

#include <QString>

#include <algorithm>

class CWEditLine {
public:
    // New text, caret at its end, nothing selected.
    void SetText(const QString& text);
    const QString& Text() const { return m_text; }

    int Caret() const { return m_caret; }
    bool HasSelection() const { return m_anchor != m_caret; }
    int SelectionStart() const { return std::min(m_anchor, m_caret); }
    int SelectionEnd() const { return std::max(m_anchor, m_caret); }

    void SelectAll();
    // Moves the caret to `position` (kept inside the text); `extend` keeps
    // the anchor, so the selection grows or shrinks.
    void MoveTo(int position, bool extend);
    void MoveBy(int delta, bool extend);

    void Insert(const QString& text);
    void Backspace();
    void Delete();

private:
    void RemoveSelection();

    QString m_text;
    int m_caret = 0;
    int m_anchor = 0;
};
