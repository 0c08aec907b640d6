#include "RecordingFixedPage.h"

#include <QPainter>

namespace vexar::pagesfixture {

RecordingFixedPage::RecordingFixedPage(std::u16string name_) : name(std::move(name_)) { hide(); }

bool RecordingFixedPage::Create(QWidget& strip)
{
    if (failCreate)
        return false;
    setParent(&strip);
    hide();
    created = true;
    ++creates;
    return true;
}

void RecordingFixedPage::Close()
{
    created = false;
    hide();
    ++closes;
}

// Its name in the middle of a plain page, so that a picture shows which
// dialog will stand here.
void RecordingFixedPage::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::Window));
    painter.setPen(Qt::darkGray);
    painter.drawRect(rect().adjusted(8, 8, -9, -9));
    painter.setFont(pageFont);
    painter.drawText(rect(), Qt::AlignCenter,
                     QString::fromStdU16String(name) + QStringLiteral("\n(a feature dialog not built yet)"));
}

}  // namespace vexar::pagesfixture
