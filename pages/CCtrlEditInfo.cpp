#include "pages/CCtrlEditInfo.h"

#include "pages/FieldColours.h"

#include <QEvent>
#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QTextOption>

#include <cmath>

// The lines of the multi-line form, in the colours their field has when
// they paint.
class CCtrlEditInfo::Lines : public QPlainTextEdit {
public:
    explicit Lines(CCtrlEditInfo& field) : QPlainTextEdit(&field), m_field(field) {}

protected:
    void paintEvent(QPaintEvent* event) override
    {
        CUtility::ApplyFieldColours(*this, m_field.m_textColour, m_field.m_bkColour);
        QPlainTextEdit::paintEvent(event);
    }

private:
    CCtrlEditInfo& m_field;
};

CCtrlEditInfo::CCtrlEditInfo(QWidget* parent)
    : QLineEdit(parent), m_bkColour(vexar::ui::FromQColor(palette().color(QPalette::Active, QPalette::Base)))
{
    connect(this, &QLineEdit::textChanged, this, [this] { ShowOnLines(); });
}

CCtrlEditInfo::~CCtrlEditInfo() = default;

void CCtrlEditInfo::SetMultiLine(bool multiLine)
{
    if (multiLine == IsMultiLine())
        return;
    if (!multiLine) {
        delete m_multiLine.data();
        return;
    }
    auto* lines = new Lines(*this);
    lines->setReadOnly(true);
    lines->setFocusPolicy(Qt::NoFocus);
    lines->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    lines->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    lines->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    lines->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    lines->setGeometry(rect());
    m_multiLine = lines;
    ShowOnLines();
    lines->show();
}

int CCtrlEditInfo::HeightForLines(int lines) const
{
    if (!m_multiLine)
        return sizeHint().height();
    // The document's margin above the first line; the lines below the
    // last one shown start at the frame, so no part of them shows.
    const int margin = static_cast<int>(std::ceil(m_multiLine->document()->documentMargin()));
    return m_multiLine->fontMetrics().lineSpacing() * lines + 2 * m_multiLine->frameWidth() + margin;
}

void CCtrlEditInfo::ShowOnLines()
{
    if (!m_multiLine)
        return;
    m_multiLine->setFont(font());
    QTextOption option = m_multiLine->document()->defaultTextOption();
    option.setAlignment(alignment() & Qt::AlignHorizontal_Mask);
    m_multiLine->document()->setDefaultTextOption(option);
    if (m_multiLine->toPlainText() != text())
        m_multiLine->setPlainText(text());
}

void CCtrlEditInfo::changeEvent(QEvent* event)
{
    QLineEdit::changeEvent(event);
    if (event->type() == QEvent::FontChange)
        ShowOnLines();
}

void CCtrlEditInfo::paintEvent(QPaintEvent* event)
{
    CUtility::ApplyFieldColours(*this, m_textColour, m_bkColour);
    QLineEdit::paintEvent(event);
}

void CCtrlEditInfo::resizeEvent(QResizeEvent* event)
{
    QLineEdit::resizeEvent(event);
    if (m_multiLine)
        m_multiLine->setGeometry(rect());
}
