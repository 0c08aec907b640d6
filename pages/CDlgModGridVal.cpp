#include "pages/CDlgModGridVal.h"

#include "common/CUtilityLang.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlRdb.h"
#include "pages/widgets/CCWNumEdit.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowState.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QShowEvent>
#include <QVBoxLayout>

using namespace vexar;

CDlgModGridVal::CDlgModGridVal(QWidget* parent)
    : QDialog(parent),
      WindowBase(this),
      m_value(new CCWNumEdit(this)),
      m_group(new CCtrlBox(this)),
      m_modes{new CCtrlRdb(m_group), new CCtrlRdb(m_group), new CCtrlRdb(m_group)},
      m_ok(new CButtonMfc(this)),
      m_cancel(new CButtonMfc(this))
{
    setModal(true);
    ui::SetDlgCtrlID(*m_value, IDC_VALUE);
    ui::SetDlgCtrlID(*m_group, IDC_MODE_GROUP);
    ui::SetDlgCtrlID(*m_modes[kAbsolute], IDC_ABSOLUTE);
    ui::SetDlgCtrlID(*m_modes[kLinear], IDC_LINEAR);
    ui::SetDlgCtrlID(*m_modes[kPercent], IDC_PERCENT);
    ui::SetDlgCtrlID(*m_ok, ui::IDOK);
    ui::SetDlgCtrlID(*m_cancel, ui::IDCANCEL);

    auto* modes = new QVBoxLayout(m_group);
    modes->setContentsMargins(12, 20, 12, 10);
    for (CCtrlRdb* mode : m_modes)
        modes->addWidget(mode);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addWidget(m_cancel);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_value);
    layout->addWidget(m_group);
    layout->addLayout(buttons);
    m_ok->setDefault(true);

    connect(m_value, &CCWNumEdit::valueChanged, this, [this](double value) { OnValueChanged(value); });
    connect(m_modes[kAbsolute], &QAbstractButton::clicked, this, [this] { OnModeAbsolute(); });
    connect(m_modes[kLinear], &QAbstractButton::clicked, this, [this] { OnModeLinear(); });
    connect(m_modes[kPercent], &QAbstractButton::clicked, this, [this] { OnModePercent(); });
    connect(m_ok, &QAbstractButton::clicked, this, [this] { OnOK(); });
    connect(m_cancel, &QAbstractButton::clicked, this, [this] { reject(); });
}

CDlgModGridVal::~CDlgModGridVal() = default;

int CDlgModGridVal::DoModal()
{
    return exec() == ui::IDOK ? ui::IDOK : ui::IDCANCEL;
}

CCtrlRdb& CDlgModGridVal::ModeButton(std::int32_t mode) const
{
    return *m_modes[mode >= kAbsolute && mode <= kPercent ? mode : kAbsolute];
}

QString CDlgModGridVal::LangText(int id) const
{
    return QString::fromStdU16String(CUtility::LoadLangString(m_strLangFile, id));
}

// The inputs are filled before each showing, so each showing starts from
// them.
void CDlgModGridVal::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (!event->spontaneous())
        OnInitDialog();
}

void CDlgModGridVal::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));
    m_group->SetWindowText(LangText(IDS_MODE_GROUP).toStdU16String());
    const int captions[] = {IDS_ABSOLUTE, IDS_LINEAR, IDS_PERCENT};
    for (std::int32_t mode = kAbsolute; mode <= kPercent; ++mode)
        m_modes[mode]->setText(LangText(captions[mode]));

    m_group->m_font = m_font;
    m_group->m_textColour = m_captionColour;
    for (CCtrlRdb* mode : m_modes) {
        mode->setFont(m_font);
        mode->m_textColour = m_captionColour;
    }
    m_ok->setFont(m_font);
    m_cancel->setFont(m_font);

    m_nShownMode = m_nInitialMode;
    CheckMode(m_nInitialMode);

    m_value->setFont(m_font);
    m_value->SetIncrement(m_dIncrement);
    m_value->SetDiscrete(m_bDescriptive);
    m_value->SetFormat(m_strFormat);
    m_dShownValue = m_dInitialValue;
    m_value->SetValue(m_dInitialValue);
    m_value->SetValueColor(m_valueColour);

    activateWindow();
    m_value->setFocus();
}

void CDlgModGridVal::CheckMode(std::int32_t mode)
{
    // A mode outside the three switches none on.
    for (std::int32_t m = kAbsolute; m <= kPercent; ++m) {
        m_modes[m]->setAutoExclusive(false);
        m_modes[m]->setChecked(m == mode);
        m_modes[m]->setAutoExclusive(true);
    }
}

void CDlgModGridVal::OnValueChanged(double value) { m_dShownValue = value; }

void CDlgModGridVal::OnModeAbsolute() { m_nShownMode = kAbsolute; }

void CDlgModGridVal::OnModeLinear() { m_nShownMode = kLinear; }

void CDlgModGridVal::OnModePercent() { m_nShownMode = kPercent; }

void CDlgModGridVal::OnOK()
{
    m_dValue = m_dShownValue;
    m_nMode = m_nShownMode;
    done(ui::IDOK);
}

// Esc and the close box: nothing is taken.
void CDlgModGridVal::reject() { done(ui::IDCANCEL); }

bool CDlgModGridVal::preTranslateMessage(QWidget& target, QEvent& event)
{
    if (event.type() != QEvent::KeyPress)
        return false;
    const auto& key = static_cast<const QKeyEvent&>(event);
    if (key.key() == Qt::Key_Alt)
        return true;
    if (key.modifiers() & Qt::AltModifier) {
        switch (key.key()) {
        case Qt::Key_A:
            CheckMode(kAbsolute);
            OnModeAbsolute();
            return true;
        case Qt::Key_L:
            CheckMode(kLinear);
            OnModeLinear();
            return true;
        case Qt::Key_P:
            CheckMode(kPercent);
            OnModePercent();
            return true;
        default:
            return false;
        }
    }
    if (key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter) {
        // In the numeric field Enter first gives the field the text typed
        // in it, then goes on to the dialog, whose default button is OK: a
        // typed number is never dropped.
        if (&target == m_value || m_value->isAncestorOf(&target))
            return false;
        OnOK();
        return true;
    }
    return false;
}
