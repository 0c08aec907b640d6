#pragma once

// The information field of the dialogs: a text field without a datum
// whose text and background colours are members its owner sets after
// creation (black on the system window colour until then). In its
// multi-line form the text wraps at the field's width and scrolls up and
// down when it is longer than the field; it is read-only, takes no focus
// and shows no caret.

#include "platform/ui/ColorRef.h"

#include <QLineEdit>
#include <QPointer>

class QPlainTextEdit;

class CCtrlEditInfo : public QLineEdit {
public:
    explicit CCtrlEditInfo(QWidget* parent = nullptr);
    ~CCtrlEditInfo() override;

    // The multi-line form shows the field's text (as set with setText) in
    // the field's alignment, font and colours.
    void SetMultiLine(bool multiLine);
    bool IsMultiLine() const { return !m_multiLine.isNull(); }
    // The height that shows `lines` lines of the multi-line form whole
    // (the field's usual height in the single-line form).
    int HeightForLines(int lines) const;

    vexar::ui::COLORREF m_textColour = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_bkColour;

protected:
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    class Lines;
    // The text, alignment and font of the field on the lines.
    void ShowOnLines();

    QPointer<QPlainTextEdit> m_multiLine;
};
