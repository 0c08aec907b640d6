#include "pages/CCtrlTextInfo.h"

#include "platform/ui/WindowState.h"

#include <QLabel>
#include <QPainter>

using namespace vexar;

// The box: a one-pixel black border, the background colour inside, the
// text centred both ways in the text colour.
class CCtrlTextInfo::Label : public QLabel {
public:
    Label(QWidget& parent, const CCtrlTextInfo& owner) : QLabel(&parent), m_owner(owner)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignCenter);
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), ui::ToQColor(m_owner.m_bkColour));
        painter.setPen(Qt::black);
        painter.drawRect(rect().adjusted(0, 0, -1, -1));
        painter.setPen(ui::ToQColor(m_owner.m_textColour));
        painter.drawText(rect().adjusted(1, 1, -1, -1), Qt::AlignCenter | Qt::TextSingleLine, text());
    }

private:
    const CCtrlTextInfo& m_owner;
};

CCtrlTextInfo::CCtrlTextInfo() = default;

CCtrlTextInfo::~CCtrlTextInfo() { DestroyInfo(); }

bool CCtrlTextInfo::CreateInfo(QWidget& parent)
{
    if (m_window)
        return false;
    m_window = new Label(parent, *this);
    m_window->hide();
    m_window->setGeometry(0, 0, 50, 20);
    ui::SetDlgCtrlID(*m_window, kInfoId);
    return true;
}

void CCtrlTextInfo::ShowInfo(const std::u16string& text, int x, int y)
{
    if (!m_window)
        return;
    const QString shown = QString::fromStdU16String(text);
    const QFontMetrics metrics(m_window->font());
    m_window->setGeometry(x, y, metrics.horizontalAdvance(shown) + 6, metrics.height() + 5);
    m_window->setText(shown);
    m_window->show();
}

void CCtrlTextInfo::HideInfo()
{
    if (m_window)
        m_window->hide();
}

// After this the object is as before CreateInfo: ShowInfo does nothing.
void CCtrlTextInfo::DestroyInfo()
{
    delete m_window.data();
}

QWidget* CCtrlTextInfo::Window() const { return m_window.data(); }
