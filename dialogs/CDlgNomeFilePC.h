#pragma once

// Where a calibration of the second ECU protocol is saved and what it is
// called: gas, vehicle (from the vehicle list, which the dialog also adds
// to and renames in), model, displacement, year, engine code, injector
// size, firmware name and modification index. The fields start from the
// current calibration's folder and name; OK checks them, makes the folder
// and gives the new folder and file name.

#include "dialogs/CDialogBase.h"
#include "dialogs/core/CVehicleList.h"
#include "dialogs/core/CalibFileName.h"
#include "platform/ui/ColorRef.h"

#include <QFont>
#include <string>

class CButtonMfc;
class QComboBox;
class QLabel;
class QLineEdit;

class CDlgNomeFilePC : public CDialogBase {
public:
    static constexpr int IDD = 315;
    static constexpr int IDC_GAS = 1235;
    static constexpr int IDC_GAS_LABEL = 1236;
    static constexpr int IDC_MODEL_LABEL = 1237;
    static constexpr int IDC_MODEL = 1238;
    static constexpr int IDC_DISPLACEMENT_LABEL = 1239;
    static constexpr int IDC_DISPLACEMENT = 1240;
    static constexpr int IDC_YEAR_LABEL = 1241;
    static constexpr int IDC_YEAR = 1242;
    static constexpr int IDC_ENGINE_LABEL = 1243;
    static constexpr int IDC_ENGINE = 1244;
    static constexpr int IDC_INJECTOR = 1245;
    static constexpr int IDC_INJECTOR_LABEL = 1246;
    static constexpr int IDC_FIRMWARE_LABEL = 1247;
    static constexpr int IDC_VEHICLE = 1248;
    static constexpr int IDC_INDEX_LABEL = 1249;
    static constexpr int IDC_INDEX = 1250;
    static constexpr int IDC_FIRMWARE = 1251;
    static constexpr int IDC_VEHICLE_LABEL = 1252;
    static constexpr int IDC_VEHICLE_ENTRY = 1253;
    static constexpr int IDC_ADD_VEHICLE = 1309;
    static constexpr int IDC_EDIT_VEHICLE = 1310;
    static constexpr int IDS_TITLE = 3029;
    static constexpr int IDS_OK = 3020;
    static constexpr int IDS_CANCEL = 3021;
    static constexpr int IDS_LPG = 3139;
    static constexpr int IDS_CNG = 3140;
    static constexpr int IDS_INJECTOR_FIRST = 3141;  // to 3146
    static constexpr int IDS_VEHICLE_LISTED = 3273;
    static constexpr int IDS_RENAME_VEHICLE = 3274;

    explicit CDlgNomeFilePC(QWidget* parent = nullptr);
    ~CDlgNomeFilePC() override;

    // Inputs.
    QFont m_font;
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    vexar::ui::COLORREF m_crValue = vexar::ui::RGB(0, 0, 0);
    std::u16string m_strRootFolder;  // ends with '/'
    std::u16string m_strCalibFolder;
    std::u16string m_strCalibName;
    std::u16string m_strEcuType;
    std::u16string m_strEcuIdent;
    std::string m_strExeFolder;  // ends with '/'
    // After OK.
    std::u16string m_strNewFolder;
    std::u16string m_strNewName;

    void LoadVehicleList();
    void SaveVehicleList();
    void ParseFileName();
    void OnAddVehicle();
    void OnEditVehicle();

    QComboBox& GasList() const { return *m_gas; }
    QComboBox& VehicleList() const { return *m_vehicle; }
    QLineEdit& VehicleEntry() const { return *m_vehicleEntry; }
    QLineEdit& ModelField() const { return *m_model; }
    QLineEdit& DisplacementField() const { return *m_displacement; }
    QLineEdit& YearField() const { return *m_year; }
    QLineEdit& EngineField() const { return *m_engine; }
    QComboBox& InjectorList() const { return *m_injector; }
    QLineEdit& FirmwareField() const { return *m_firmware; }
    QLineEdit& IndexField() const { return *m_index; }
    CButtonMfc& OkButton() const { return *m_ok; }
    CButtonMfc& AddButton() const { return *m_add; }
    CButtonMfc& EditButton() const { return *m_edit; }

protected:
    void OnInitDialog() override;
    void OnOK() override;

private:
    std::string VehicleFilePath() const { return m_strExeFolder + "Vehicle.cfg"; }
    // Shows the list's names and selects entry `index` (-1: none).
    void ShowVehicles(int index);
    // The fields as typed; false, after the field's message and with the
    // focus on it, when one is not valid.
    bool ReadFields(vexar::calib::VEHICLE_FILE_NAME& fields);
    bool Refuse(QLineEdit& field, const std::u16string& message);

    vexar::calib::CVehicleList m_vehicles;
    QComboBox* m_gas;
    QComboBox* m_vehicle;
    QLineEdit* m_vehicleEntry;
    QLineEdit* m_model;
    QLineEdit* m_displacement;
    QLineEdit* m_year;
    QLineEdit* m_engine;
    QComboBox* m_injector;
    QLineEdit* m_firmware;
    QLineEdit* m_index;
    std::vector<QLabel*> m_labels;
    CButtonMfc* m_add;
    CButtonMfc* m_edit;
    CButtonMfc* m_ok;
    CButtonMfc* m_cancel;
};
