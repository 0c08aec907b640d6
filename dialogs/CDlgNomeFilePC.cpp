#include "dialogs/CDlgNomeFilePC.h"

#include "common/ErrorReporter.h"
#include "common/NoCase.h"
#include "common/Text.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/WindowState.h"

#include <QApplication>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
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
    palette.setColor(QPalette::ButtonText, ui::ToQColor(colour));
    widget.setPalette(palette);
}

// The calibration folder's last level; the levels above it are there.
void MakeFolder(const std::u16string& folder)
{
    std::error_code error;
    std::filesystem::create_directory(std::filesystem::path(ToUtf8(folder)), error);
}

}  // namespace

CDlgNomeFilePC::CDlgNomeFilePC(QWidget* parent)
    : CDialogBase(parent),
      m_gas(new QComboBox(this)),
      m_vehicle(new QComboBox(this)),
      m_vehicleEntry(new QLineEdit(this)),
      m_model(new QLineEdit(this)),
      m_displacement(new QLineEdit(this)),
      m_year(new QLineEdit(this)),
      m_engine(new QLineEdit(this)),
      m_injector(new QComboBox(this)),
      m_firmware(new QLineEdit(this)),
      m_index(new QLineEdit(this)),
      m_add(new CButtonMfc(QStringLiteral("Aggiungi"), this)),
      m_edit(new CButtonMfc(QStringLiteral("Modifica"), this)),
      m_ok(new CButtonMfc(QStringLiteral("OK"), this)),
      m_cancel(new CButtonMfc(QStringLiteral("Annulla"), this))
{
    setWindowTitle(QStringLiteral("SALVA CNF"));
    const std::pair<QWidget*, int> ids[] = {
        {m_gas, IDC_GAS},         {m_vehicle, IDC_VEHICLE},   {m_vehicleEntry, IDC_VEHICLE_ENTRY},
        {m_model, IDC_MODEL},     {m_displacement, IDC_DISPLACEMENT}, {m_year, IDC_YEAR},
        {m_engine, IDC_ENGINE},   {m_injector, IDC_INJECTOR}, {m_firmware, IDC_FIRMWARE},
        {m_index, IDC_INDEX},
    };
    for (const auto& [widget, id] : ids)
        ui::SetDlgCtrlID(*widget, id);
    m_vehicleEntry->setAlignment(Qt::AlignCenter);
    // The vehicle entry takes what is typed in upper case.
    connect(m_vehicleEntry, &QLineEdit::textEdited, this, [this](const QString& text) {
        const int cursor = m_vehicleEntry->cursorPosition();
        m_vehicleEntry->setText(Q(ToUpper(U(text))));
        m_vehicleEntry->setCursorPosition(cursor);
    });
    BindCommand(*m_add, IDC_ADD_VEHICLE);
    BindCommand(*m_edit, IDC_EDIT_VEHICLE);
    commands().On(IDC_ADD_VEHICLE, [this] { OnAddVehicle(); });
    commands().On(IDC_EDIT_VEHICLE, [this] { OnEditVehicle(); });

    auto* grid = new QGridLayout;
    auto addRow = [&](int row, int id, const char* text, QWidget* field) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        ui::SetDlgCtrlID(*label, id);
        m_labels.push_back(label);
        grid->addWidget(label, row, 0);
        grid->addWidget(field, row, 1);
    };
    addRow(0, IDC_GAS_LABEL, "Funzionamento:", m_gas);
    addRow(1, IDC_VEHICLE_LABEL, "Veicolo:", m_vehicle);
    auto* vehicleRow = new QHBoxLayout;
    vehicleRow->addWidget(m_vehicleEntry, 1);
    vehicleRow->addWidget(m_add);
    vehicleRow->addWidget(m_edit);
    grid->addLayout(vehicleRow, 2, 1);
    addRow(3, IDC_MODEL_LABEL, "Modello vettura:", m_model);
    addRow(4, IDC_DISPLACEMENT_LABEL, "Cilindrata:", m_displacement);
    addRow(5, IDC_YEAR_LABEL, "Anno:", m_year);
    addRow(6, IDC_ENGINE_LABEL, "Sigla motore:", m_engine);
    addRow(7, IDC_INJECTOR_LABEL, "Taglia iniettori:", m_injector);
    addRow(8, IDC_FIRMWARE_LABEL, "Nome del firmware:", m_firmware);
    addRow(9, IDC_INDEX_LABEL, "Indice di modifica:", m_index);
    grid->setColumnStretch(1, 1);

    auto* column = new QVBoxLayout(this);
    column->addLayout(grid);
    column->addLayout(OkCancelRow(*m_ok, *m_cancel));
}

CDlgNomeFilePC::~CDlgNomeFilePC() = default;

void CDlgNomeFilePC::OnInitDialog()
{
    setWindowTitle(LangText(IDS_TITLE));
    static constexpr std::pair<int, int> kCaptions[] = {
        {IDC_GAS_LABEL, 3131},    {IDC_MODEL_LABEL, 3132},    {IDC_DISPLACEMENT_LABEL, 3133},
        {IDC_YEAR_LABEL, 3134},   {IDC_ENGINE_LABEL, 3135},   {IDC_INJECTOR_LABEL, 3136},
        {IDC_FIRMWARE_LABEL, 3137}, {IDC_INDEX_LABEL, 3138},  {IDC_VEHICLE_LABEL, 3270},
    };
    for (QLabel* label : m_labels)
        for (const auto& [id, text] : kCaptions)
            if (ui::GetDlgCtrlID(*label) == id)
                label->setText(LangText(text));
    m_add->setText(LangText(3271));
    m_edit->setText(LangText(3272));
    m_ok->setText(LangText(IDS_OK));
    m_cancel->setText(LangText(IDS_CANCEL));

    for (QWidget* widget : findChildren<QWidget*>())
        widget->setFont(m_font);
    for (QLabel* label : m_labels)
        SetTextColour(*label, m_crText);
    for (CButtonMfc* button : {m_add, m_edit, m_ok, m_cancel})
        button->m_textColour = m_crText;
    for (QWidget* field : std::initializer_list<QWidget*>{m_gas, m_vehicle, m_vehicleEntry, m_model, m_displacement,
                                                          m_year, m_engine, m_injector, m_firmware, m_index})
        SetTextColour(*field, m_crValue);
    const QFontMetrics metrics(m_font);
    m_model->setMinimumWidth(metrics.averageCharWidth() * (kModelMaxLength + 4));

    m_gas->clear();
    m_gas->insertItem(kGasLpg, LangText(IDS_LPG));
    m_gas->insertItem(kGasCng, LangText(IDS_CNG));
    m_injector->clear();
    for (int i = 0; i < static_cast<int>(kInjectorCodes.size()); ++i)
        m_injector->insertItem(i, LangText(IDS_INJECTOR_FIRST + i));
    LoadVehicleList();
    ParseFileName();
}

void CDlgNomeFilePC::LoadVehicleList()
{
    m_vehicles.Load(VehicleFilePath());
    ShowVehicles(-1);
}

void CDlgNomeFilePC::SaveVehicleList()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool saved = m_vehicles.Save(VehicleFilePath());
    QApplication::restoreOverrideCursor();
    if (!saved)
        ReportError(Format(u"Error to write file %s!", VehicleFilePath()));
}

void CDlgNomeFilePC::ShowVehicles(int index)
{
    m_vehicle->clear();
    for (const std::u16string& name : m_vehicles.Names())
        m_vehicle->addItem(Q(name));
    m_vehicle->setCurrentIndex(index);
}

void CDlgNomeFilePC::ParseFileName()
{
    const VEHICLE_FILE_NAME fields =
        ParseVehicleFileName(m_strCalibFolder, m_strCalibName, m_strEcuIdent, m_vehicles.Names());
    m_gas->setCurrentIndex(fields.gas);
    int vehicle = -1;
    for (int i = 0; i < static_cast<int>(m_vehicles.Names().size()); ++i)
        if (!fields.vehicle.empty() && m_vehicles.Names()[static_cast<std::size_t>(i)] == fields.vehicle)
            vehicle = i;
    m_vehicle->setCurrentIndex(vehicle);
    m_model->setText(Q(fields.model));
    m_displacement->setText(QString::number(fields.displacement));
    m_year->setText(QString::number(fields.year));
    m_engine->setText(Q(fields.engine));
    m_injector->setCurrentIndex(fields.injector);
    m_firmware->setText(Q(fields.firmware));
    m_index->setText(QString::number(fields.index));
}

void CDlgNomeFilePC::OnAddVehicle()
{
    const std::u16string name = U(m_vehicleEntry->text());
    if (name.empty())
        return;
    if (const int listed = m_vehicles.Find(name); listed >= 0) {
        m_vehicle->setCurrentIndex(listed);
        m_vehicleEntry->clear();
        ui::MessageBox(this, U(LangText(IDS_VEHICLE_LISTED)), std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return;
    }
    ShowVehicles(m_vehicles.Add(name));
    m_vehicleEntry->clear();
    SaveVehicleList();
}

void CDlgNomeFilePC::OnEditVehicle()
{
    const int selected = m_vehicle->currentIndex();
    const std::u16string name = U(m_vehicleEntry->text());
    if (selected < 0 || name.empty())
        return;
    const std::u16string question =
        Format(U(LangText(IDS_RENAME_VEHICLE)), m_vehicles.Names()[static_cast<std::size_t>(selected)]);
    if (ui::MessageBox(this, question, std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
        return;
    m_vehicles.RemoveAt(selected);
    ShowVehicles(m_vehicles.Add(name));
    m_vehicleEntry->clear();
    SaveVehicleList();
}

bool CDlgNomeFilePC::Refuse(QLineEdit& field, const std::u16string& message)
{
    ui::MessageBox(this, message, std::u16string(), ui::MB_OK | ui::MB_ICONEXCLAMATION);
    field.setFocus();
    field.selectAll();
    return false;
}

bool CDlgNomeFilePC::ReadFields(VEHICLE_FILE_NAME& fields)
{
    fields.model = U(m_model->text());
    if (auto message = CheckTextLength(fields.model, kModelMaxLength))
        return Refuse(*m_model, *message);
    if (auto message = CheckInteger(U(m_displacement->text()), 0, 99, fields.displacement))
        return Refuse(*m_displacement, *message);
    if (auto message = CheckInteger(U(m_year->text()), 0, 99, fields.year))
        return Refuse(*m_year, *message);
    fields.engine = U(m_engine->text());
    if (auto message = CheckTextLength(fields.engine, kEngineMaxLength))
        return Refuse(*m_engine, *message);
    fields.firmware = U(m_firmware->text());
    if (auto message = CheckInteger(U(m_index->text()), 0, 99, fields.index))
        return Refuse(*m_index, *message);
    fields.gas = m_gas->currentIndex() != kGasLpg ? kGasCng : kGasLpg;
    fields.vehicle = m_vehicle->currentIndex() >= 0 ? U(m_vehicle->currentText()) : std::u16string();
    fields.injector = m_injector->currentIndex();
    return true;
}

void CDlgNomeFilePC::OnOK()
{
    VEHICLE_FILE_NAME fields;
    if (!ReadFields(fields))
        return;
    const CALIB_TARGET target = BuildVehicleFileName(m_strRootFolder, m_strEcuType, fields);
    MakeFolder(target.folder);
    m_strNewFolder = target.folder;
    m_strNewName = target.name;
    EndDialog(ui::IDOK);
}
