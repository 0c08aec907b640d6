#include "dialogs/CDlgIdentCentr.h"

#include "link/CVEXARLink.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/WindowState.h"

#include <QFontMetrics>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include <algorithm>

using namespace vexar;

namespace {

// The smallest width of a field: an identification and a calibration name
// fit with room to spare; longer ones wrap in their fields.
constexpr int kFieldChars = 24;
// The lines the firmware and configuration fields show at once; more
// scroll.
constexpr int kFieldLines = 3;

}  // namespace

CDlgIdentCentr::CDlgIdentCentr(const link::CVEXARLink& app, QWidget* parent)
    : CDialogBase(parent),
      m_app(app),
      m_boxes{new CCtrlBox(this), new CCtrlBox(this), new CCtrlBox(this)},
      m_labels{new CCtrlStatic(m_boxes[0]), new CCtrlStatic(m_boxes[1]), new CCtrlStatic(m_boxes[2])},
      m_firmware(new CCtrlEditInfo(m_boxes[0])),
      m_config(new CCtrlEditInfo(m_boxes[1])),
      m_link(new CCtrlEditInfo(m_boxes[2])),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new QPushButton(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("Identificazione centralina"));
    const int boxIds[] = {IDC_FIRMWARE_BOX, IDC_CONFIG_BOX, IDC_LINK_BOX};
    const int labelIds[] = {IDC_FIRMWARE_LABEL, IDC_CONFIG_LABEL, IDC_LINK_LABEL};
    CCtrlEditInfo* fields[] = {m_firmware, m_config, m_link};
    const int fieldIds[] = {IDC_FIRMWARE, IDC_CONFIG, IDC_LINK};

    auto* column = new QVBoxLayout(this);
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        ui::SetDlgCtrlID(*m_boxes[i], boxIds[i]);
        ui::SetDlgCtrlID(*m_labels[i], labelIds[i]);
        ui::SetDlgCtrlID(*fields[i], fieldIds[i]);
        m_labels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        fields[i]->setReadOnly(true);
        fields[i]->setAlignment(Qt::AlignCenter);
        fields[i]->setFocusPolicy(Qt::NoFocus);
        fields[i]->SetMultiLine(fields[i] != m_link);
        auto* row = new QHBoxLayout(m_boxes[i]);
        row->addWidget(m_labels[i]);
        row->addWidget(fields[i], 1);
        column->addWidget(m_boxes[i]);
    }
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(m_ok);
    buttons->addStretch();
    column->addLayout(buttons);

    BindCommand(*m_ok, ui::IDOK);
    BindCommand(*m_cancel, ui::IDCANCEL);
    m_ok->setDefault(true);
    m_cancel->hide();
}

CDlgIdentCentr::~CDlgIdentCentr() = default;

void CDlgIdentCentr::OnInitDialog()
{
    for (CCtrlBox* box : m_boxes) {
        box->m_font = m_font;
        box->m_textColour = m_crText;
    }
    for (CCtrlStatic* label : m_labels) {
        label->setFont(m_font);
        label->m_textColour = m_crText;
    }
    for (CCtrlEditInfo* field : {m_firmware, m_config, m_link}) {
        field->setFont(m_font);
        field->m_textColour = m_crText;
    }
    m_ok->setFont(m_font);
    m_ok->m_textColour = m_crText;
    FillFields();
    m_ok->setFocus();
}

void CDlgIdentCentr::FillFields()
{
    setWindowTitle(LangText(IDS_TITLE));
    const int boxTexts[] = {IDS_FIRMWARE_BOX, IDS_CONFIG_BOX, IDS_LINK_BOX};
    const int labelTexts[] = {IDS_FIRMWARE_LABEL, IDS_CONFIG_LABEL, IDS_LINK_LABEL};
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        m_boxes[i]->SetWindowText(LangText(boxTexts[i]).toStdU16String());
        m_labels[i]->setText(LangText(labelTexts[i]));
    }
    if (m_app.m_bLinked) {
        m_firmware->setText(QString::fromStdU16String(m_strEcuIdent));
        m_config->setText(QString::fromStdU16String(m_strCalibName));
        m_link->setText(LangText(IDS_LINKED));
    } else {
        m_firmware->setText(LangText(IDS_UNKNOWN));
        m_config->setText(LangText(IDS_UNKNOWN));
        m_link->setText(LangText(IDS_NOT_LINKED));
    }
    m_ok->setText(LangText(IDS_OK));

    // The frames leave room above their rows for their captions; the
    // captions of the rows line up, and every text fits its field.
    const QFontMetrics metrics(m_font);
    int labelWidth = 0;
    for (CCtrlStatic* label : m_labels)
        labelWidth = std::max(labelWidth, metrics.horizontalAdvance(label->text()) + 4);
    const int fieldWidth = std::max(metrics.averageCharWidth() * kFieldChars,
                                    metrics.horizontalAdvance(m_link->text()) + 4 * metrics.averageCharWidth());
    for (std::size_t i = 0; i < m_boxes.size(); ++i) {
        m_labels[i]->setMinimumWidth(labelWidth);
        const int captionWidth = metrics.horizontalAdvance(u' ' + LangText(boxTexts[i]) + u' ') + 24;
        m_boxes[i]->setMinimumWidth(captionWidth);
        m_boxes[i]->layout()->setContentsMargins(10, metrics.height() + 6, 10, 10);
    }
    for (CCtrlEditInfo* field : {m_firmware, m_config, m_link}) {
        field->setMinimumWidth(fieldWidth);
        field->setFixedHeight(field->IsMultiLine() ? field->HeightForLines(kFieldLines) : metrics.height() + 8);
    }
    m_ok->setMinimumSize(metrics.horizontalAdvance(m_ok->text()) + 40, metrics.height() + 12);
    adjustSize();
}
