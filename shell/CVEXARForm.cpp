#include "shell/CVEXARForm.h"

#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"
#include "shell/ShellBitmaps.h"

#include <QLabel>
#include <QPainter>

namespace vexar::shell {

namespace {

constexpr int kColumnRows = 10;
constexpr int kLeft = 16;
constexpr int kTop = 12;
constexpr int kColumnStep = 128;
constexpr int kRowStep = 72;
constexpr int kButtonWidth = 112;
constexpr int kButtonHeight = 40;
constexpr int kLabelHeight = 18;

// The key the button carries in the template: F1 to F12, then Shift + F1
// to Shift + F7, in action order.
QString DefaultKey(int action)
{
    return action < 12 ? QStringLiteral("F%1").arg(action + 1) : QStringLiteral("Shift + F%1").arg(action - 11);
}

}  // namespace

CVEXARForm::CVEXARForm(QWidget* parent) : QWidget(parent)
{
    for (int action = 0; action < kActionCount; ++action) {
        const COMMAND_BUTTON& entry = kCommandButtons[static_cast<std::size_t>(action)];
        auto* button = new CButtonMfc(DefaultKey(action), this);
        ui::SetDlgCtrlID(*button, entry.button);
        button->setGeometry(DesignButtonRect(action));
        auto* label = new QLabel(QString::fromStdU16String(entry.labelResource), this);
        ui::SetDlgCtrlID(*label, entry.label);
        label->setAlignment(Qt::AlignCenter);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setGeometry(DesignLabelRect(action));
        m_buttons[static_cast<std::size_t>(action)] = button;
        m_labels[static_cast<std::size_t>(action)] = label;
    }
    SetEdition(0);
}

CVEXARForm::~CVEXARForm() = default;

QRect CVEXARForm::DesignButtonRect(int action)
{
    return {kLeft + action / kColumnRows * kColumnStep, kTop + action % kColumnRows * kRowStep, kButtonWidth,
            kButtonHeight};
}

QRect CVEXARForm::DesignLabelRect(int action)
{
    const QRect button = DesignButtonRect(action);
    return {button.left(), button.bottom() + 3, kButtonWidth, kLabelHeight};
}

void CVEXARForm::SetEdition(int edition)
{
    const int id = edition == 1 ? 289 : edition >= 2 && edition <= 4 ? 328 : 350;
    if (id == m_logoId)
        return;
    m_logoId = id;
    m_logo = ShellBitmap(id);
    update();
}

void CVEXARForm::SetLabelColour(ui::COLORREF colour)
{
    for (QLabel* label : m_labels) {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ui::ToQColor(colour));
        label->setPalette(palette);
    }
}

// The logo stretched over the whole form, which covers at least the
// view's client area and at most its scroll range.
void CVEXARForm::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(rect(), m_logo);
}

}  // namespace vexar::shell
