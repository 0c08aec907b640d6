#include "dialogs/CDlgProgPalm.h"

#include "platform/ui/CButtonMfc.h"

#include <QKeyEvent>
#include <QVBoxLayout>

using namespace vexar;

CDlgProgPalm::CDlgProgPalm(QWidget* parent)
    : CDialogBase(parent),
      m_handheld(new CButtonMfc(QStringLiteral("Caricamento Palmare"), this)),
      m_firmware(new CButtonMfc(QStringLiteral("Caricamento Firmware"), this)),
      m_cancel(new CButtonMfc(QStringLiteral("Annulla"), this))
{
    BindCommand(*m_handheld, IDC_HANDHELD_LOAD);
    BindCommand(*m_firmware, IDC_FIRMWARE_LOAD);
    BindCommand(*m_cancel, ui::IDCANCEL);
    commands().On(IDC_HANDHELD_LOAD, [this] { OnHandheldLoad(); });
    commands().On(IDC_FIRMWARE_LOAD, [this] { OnFirmwareLoad(); });
    // Enter reaches the hidden default button whatever has the focus, so
    // no button takes Enter for itself.
    for (CButtonMfc* button : {m_handheld, m_firmware, m_cancel}) {
        button->setAutoDefault(false);
        button->setMinimumSize(200, 36);
    }

    auto* column = new QVBoxLayout(this);
    column->addWidget(m_handheld);
    column->addWidget(m_firmware);
    column->addWidget(m_cancel);
}

CDlgProgPalm::~CDlgProgPalm() = default;

void CDlgProgPalm::SetButtonTextColour(ui::COLORREF colour)
{
    for (CButtonMfc* button : {m_handheld, m_firmware, m_cancel}) {
        button->m_textColour = colour;
        button->update();
    }
}

void CDlgProgPalm::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    m_handheld->setText(LangText(IDS_HANDHELD_LOAD));
    m_firmware->setText(LangText(IDS_FIRMWARE_LOAD));
    m_cancel->setText(LangText(IDS_CANCEL));
    for (CButtonMfc* button : {m_handheld, m_firmware, m_cancel})
        button->setFont(m_font);
    m_nChoice = kNone;
}

void CDlgProgPalm::OnHandheldLoad()
{
    m_nChoice = kHandheldLoad;
    EndDialog(ui::IDOK);
}

void CDlgProgPalm::OnFirmwareLoad()
{
    m_nChoice = kFirmwareLoad;
    EndDialog(ui::IDOK);
}

// The hidden default button: it is there to take Enter, and ends the
// dialog as Cancel does.
void CDlgProgPalm::OnOK() { OnCancel(); }

void CDlgProgPalm::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        onCommand(ui::IDOK);
        return;
    }
    CDialogBase::keyPressEvent(event);
}
