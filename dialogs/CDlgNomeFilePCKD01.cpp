#include "dialogs/CDlgNomeFilePCKD01.h"

#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/WindowState.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <filesystem>

using namespace vexar;
using namespace vexar::calib;

namespace {

QString Q(const std::u16string& text) { return QString::fromStdU16String(text); }
std::u16string U(const QString& text) { return text.toStdU16String(); }

void SetTextColour(QWidget& widget, ui::COLORREF colour)
{
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, ui::ToQColor(colour));
    palette.setColor(QPalette::Text, ui::ToQColor(colour));
    widget.setPalette(palette);
}

}  // namespace

CDlgNomeFilePCKD01::CDlgNomeFilePCKD01(QWidget* parent)
    : CDialogBase(parent),
      m_configuration(new QLineEdit(this)),
      m_firmware(new QLineEdit(this)),
      m_index(new QLineEdit(this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new CButtonMfc(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("SALVA CNF"));
    ui::SetDlgCtrlID(*m_configuration, IDC_CONFIGURATION);
    ui::SetDlgCtrlID(*m_firmware, IDC_FIRMWARE);
    ui::SetDlgCtrlID(*m_index, IDC_INDEX);
    auto* grid = new QGridLayout;
    auto addRow = [&](int row, int id, const char* text, QWidget* field) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        ui::SetDlgCtrlID(*label, id);
        m_labels.push_back(label);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(0, IDC_CONFIGURATION_LABEL, "Configurazione:", m_configuration);
    addRow(1, IDC_FIRMWARE_LABEL, "Firmware:", m_firmware);
    addRow(2, IDC_INDEX_LABEL, "Indice di modifica:", m_index);
    grid->setColumnStretch(1, 1);
    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(OkCancelRow(*m_ok, *m_cancel));
}

CDlgNomeFilePCKD01::~CDlgNomeFilePCKD01() = default;

void CDlgNomeFilePCKD01::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    static constexpr std::pair<int, int> kCaptions[] = {
        {IDC_CONFIGURATION_LABEL, 3156}, {IDC_FIRMWARE_LABEL, 3157}, {IDC_INDEX_LABEL, 3158}};
    for (QLabel* label : m_labels) {
        for (const auto& [id, text] : kCaptions)
            if (ui::GetDlgCtrlID(*label) == id)
                label->setText(LangText(text));
        SetTextColour(*label, m_crText);
    }
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));
    for (QWidget* widget : findChildren<QWidget*>())
        widget->setFont(m_font);
    for (CButtonMfc* button : {m_ok, m_cancel})
        button->m_textColour = m_crText;
    for (QLineEdit* field : {m_configuration, m_firmware, m_index})
        SetTextColour(*field, m_crValue);
    ParseFileName();
}

void CDlgNomeFilePCKD01::ParseFileName()
{
    const SHORT_FILE_NAME fields = ParseShortFileName(m_strEcuIdent, m_strCalibName);
    m_configuration->setText(Q(fields.configuration));
    m_firmware->setText(Q(fields.firmware));
    m_index->setText(Q(fields.index));
}

void CDlgNomeFilePCKD01::OnOK()
{
    const std::pair<QLineEdit*, int> limits[] = {{m_configuration, kShortConfigurationMaxLength},
                                                 {m_firmware, kShortFirmwareMaxLength},
                                                 {m_index, kShortIndexMaxLength}};
    for (const auto& [field, limit] : limits) {
        if (auto message = CheckTextLength(U(field->text()), limit)) {
            ui::MessageBox(this, *message, std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
            field->setFocus();
            field->selectAll();
            return;
        }
    }
    const CALIB_TARGET target = BuildShortFileName(
        m_strRootFolder, m_strEcuType, {U(m_configuration->text()), U(m_firmware->text()), U(m_index->text())});
    std::error_code error;
    std::filesystem::create_directory(std::filesystem::path(ToUtf8(target.folder)), error);
    m_strNewFolder = target.folder;
    m_strNewName = target.name;
    EndDialog(ui::IDOK);
}
