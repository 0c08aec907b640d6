#include "pages/CCtrlBox.h"

#include "common/Text.h"
#include "platform/ui/OwnerDraw.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPolygon>

using namespace vexar;

CCtrlBox::CCtrlBox(QWidget* parent)
    : QWidget(parent),
      m_font(font()),
      m_faceColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonFace, palette()))),
      m_shadowColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonShadow, palette()))),
      m_highlightColour(ui::FromQColor(ui::SystemColour(ui::SysColour::ButtonHighlight, palette())))
{
    // No background: the dialog paints behind the frame.
    setAutoFillBackground(false);
}

CCtrlBox::~CCtrlBox() = default;

void CCtrlBox::SetWindowText(const std::u16string& text)
{
    m_text = text;
    update();
}

void CCtrlBox::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setFont(m_font);
    const std::u16string trimmed = u" " + vexar::Trim(m_text) + u" ";
    const QString caption = QString::fromUtf16(trimmed.data(), static_cast<qsizetype>(trimmed.size()));
    const QFontMetrics metrics(m_font);
    const int textWidth = metrics.horizontalAdvance(caption);
    const int textHeight = metrics.height();

    const int line = m_nLineWidth;
    const int left = 0;
    const int right = width() - 1;
    const int bottom = height() - 1;
    const int top = textHeight / 2 - 1 + m_nCaptionOffset;
    const int captionLeft = left + m_nCaptionIndent;
    const int captionRight = captionLeft + textWidth;

    // From the caption round the frame back to the caption; the highlight
    // one line width further in, so that the frame looks etched.
    const auto frame = [&](int in) {
        return QPolygon({{captionLeft, top + in},
                         {left + in, top + in},
                         {left + in, bottom - line + in},
                         {right - line + in, bottom - line + in},
                         {right - line + in, top + in},
                         {captionRight, top + in}});
    };
    painter.setPen(QPen(ui::ToQColor(m_shadowColour), line));
    painter.drawPolyline(frame(0));
    painter.setPen(QPen(ui::ToQColor(m_highlightColour), line));
    painter.drawPolyline(frame(line));

    painter.setPen(ui::ToQColor(m_textColour));
    const QRect captionRect(captionLeft, m_nCaptionOffset, textWidth, textHeight);
    painter.drawText(captionRect, Qt::AlignHCenter | Qt::AlignVCenter | Qt::TextSingleLine | Qt::TextDontClip,
                     caption);
}
