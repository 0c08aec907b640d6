#pragma once

// Calibration file names and folders, without widgets: the long name built
// from vehicle data ("SEDAN_12_05_E16X1_Lm_FW12Q345_03.dat" under
// <root><ECU>/<gas>/<vehicle>/), the short name built from codes
// ("<configuration><firmware><index>.dat" under <root><ECU>/), the fields
// both naming dialogs propose from the current calibration, the checks of
// the typed fields, and the name of the binary export.
//
// Every name that becomes a folder or a file goes through SafeNameElement:
// a name typed, read from the vehicle list or from the ECU may hold a
// slash or a control character, which must not make a path of its own.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace vexar::calib {

// Gas entries of the naming dialog.
inline constexpr int kGasLpg = 0;
inline constexpr int kGasCng = 1;
// Injector-size codes by entry index; 5 also stands for any other code.
inline constexpr std::array<std::u16string_view, 6> kInjectorCodes{u"Ls", u"Lm", u"Lb", u"M", u"K", u"X"};
inline constexpr int kInjectorOther = 5;

// Field limits of the naming dialogs.
inline constexpr int kModelMaxLength = 16;
inline constexpr int kEngineMaxLength = 14;
inline constexpr int kShortConfigurationMaxLength = 2;
inline constexpr int kShortFirmwareMaxLength = 5;
inline constexpr int kShortIndexMaxLength = 2;

// `text` as one element of a path: '/', '\\' and control characters
// become '-'.
std::u16string SafeNameElement(std::u16string_view text);
// A vehicle as the folder it names: a safe element, and none at all for
// "." or "..".
std::u16string VehicleFolderName(std::u16string_view vehicle);

// The fields of the vehicle-data naming dialog.
struct VEHICLE_FILE_NAME {
    int gas = kGasLpg;
    std::u16string vehicle;  // empty: no vehicle chosen
    std::u16string model;
    std::int32_t displacement = 0;
    std::int32_t year = 0;
    std::u16string engine;
    int injector = kInjectorOther;  // entry index, -1 for none
    std::u16string firmware;
    std::int32_t index = 0;
};

// A calibration file's folder (ending with '/') and name.
struct CALIB_TARGET {
    std::u16string folder;
    std::u16string name;
};

// "<root><ecu>/<gas>/" or "<root><ecu>/<gas>/<vehicle>/" and
// "model_dd_yy_engine_injector_firmware_ii.dat", '_' in the model and the
// engine code made '-'. `root` ends with '/'.
CALIB_TARGET BuildVehicleFileName(std::u16string_view root, std::u16string_view ecuType,
                                  const VEHICLE_FILE_NAME& fields);

// The fields proposed from the current calibration's folder and name:
// the vehicle when `vehicles` lists the folder's last element, the gas from
// the folders (CNG when the last folder is "CNG", or when it is a listed
// vehicle below a "CNG" folder), model, displacement, year, engine and
// injector from the name's "_"-separated fields, the firmware from the
// ECU identification, and the index from the two characters before the
// name's first '.'.
VEHICLE_FILE_NAME ParseVehicleFileName(std::u16string_view folder, std::u16string_view name,
                                       std::u16string_view identification,
                                       std::span<const std::u16string> vehicles);
// The listed vehicle whose folder is `folderName`; empty when none.
std::u16string FindVehicleOfFolder(std::u16string_view folderName, std::span<const std::u16string> vehicles);
// The identification when it has fewer than 9 characters, else its last 8.
std::u16string FirmwareField(std::u16string_view identification);

// The fields of the short naming dialog.
struct SHORT_FILE_NAME {
    std::u16string configuration;
    std::u16string firmware;
    std::u16string index;
};

// From an identification of 8 or more characters: configuration 0-1,
// firmware 3-7 (and the index from the name's characters 7 and 8 when it
// has 9 or more); else from a name of 9 or more characters: 0-1, 2-6 and
// 7-8; else nothing.
SHORT_FILE_NAME ParseShortFileName(std::u16string_view identification, std::u16string_view name);
// "<root><ecu>/" and "<configuration><firmware><index>.dat".
CALIB_TARGET BuildShortFileName(std::u16string_view root, std::u16string_view ecuType,
                                const SHORT_FILE_NAME& fields);

// The checks of a typed field, with the texts the dialogs show: nothing
// when the field is good.
std::optional<std::u16string> CheckTextLength(std::u16string_view text, int limit);
// A whole decimal number (blanks around it and a sign allowed) from `low`
// to `high` into `value`.
std::optional<std::u16string> CheckInteger(std::u16string_view text, std::int32_t low, std::int32_t high,
                                           std::int32_t& value);

// The binary export's file name for a calibration name: its last four
// characters (".dat") replaced by ".bin"; ".bin" for four or fewer.
std::u16string ExportFileName(std::u16string_view calibName);

}  // namespace vexar::calib
