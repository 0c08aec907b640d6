#include "dialogs/core/CalibFileName.h"

#include "common/LeadingNumber.h"
#include "common/Text.h"

#include <algorithm>

namespace vexar::calib {

namespace {

bool IsUnsafe(char16_t c) { return c == u'/' || c == u'\\' || c < 0x20 || c == 0x7F; }

std::u16string DashForUnderscore(std::u16string text)
{
    std::replace(text.begin(), text.end(), u'_', u'-');
    return text;
}

std::int32_t ClampField(std::int32_t value) { return std::clamp<std::int32_t>(value, 0, 99); }

// Cuts the text before the first '_' off `rest` into `field`; false, with
// both left alone, when there is no '_'.
bool CutField(std::u16string_view& rest, std::u16string_view& field)
{
    const std::size_t underscore = rest.find(u'_');
    if (underscore == std::u16string_view::npos)
        return false;
    field = rest.substr(0, underscore);
    rest.remove_prefix(underscore + 1);
    return true;
}

// The folder names of a path, trailing separators aside.
std::u16string_view LastElement(std::u16string_view path)
{
    const std::size_t slash = path.find_last_of(u'/');
    return slash == std::u16string_view::npos ? path : path.substr(slash + 1);
}

std::u16string_view DropLastElement(std::u16string_view path)
{
    const std::size_t slash = path.find_last_of(u'/');
    return slash == std::u16string_view::npos ? std::u16string_view() : path.substr(0, slash);
}

std::u16string_view TrimTrailingSlashes(std::u16string_view path)
{
    while (!path.empty() && path.back() == u'/')
        path.remove_suffix(1);
    return path;
}

}  // namespace

std::u16string SafeNameElement(std::u16string_view text)
{
    std::u16string safe(text);
    std::replace_if(safe.begin(), safe.end(), IsUnsafe, u'-');
    return safe;
}

std::u16string VehicleFolderName(std::u16string_view vehicle)
{
    if (vehicle == u"." || vehicle == u"..")
        return {};
    return SafeNameElement(vehicle);
}

CALIB_TARGET BuildVehicleFileName(std::u16string_view root, std::u16string_view ecuType,
                                  const VEHICLE_FILE_NAME& fields)
{
    const std::u16string gas = fields.gas != kGasLpg ? u"CNG" : u"LPG";
    const std::u16string vehicle = VehicleFolderName(fields.vehicle);
    CALIB_TARGET target;
    target.folder = vehicle.empty() ? Format(u"%s%s/%s/", root, ecuType, gas)
                                    : Format(u"%s%s/%s/%s/", root, ecuType, gas, vehicle);
    const std::u16string injector =
        fields.injector >= 0 && fields.injector < static_cast<int>(kInjectorCodes.size())
            ? std::u16string(kInjectorCodes[static_cast<std::size_t>(fields.injector)])
            : std::u16string();
    target.name = SafeNameElement(Format(u"%s_%02ld_%02ld_%s_%s_%s_%02ld.dat", DashForUnderscore(fields.model),
                                         fields.displacement, fields.year, DashForUnderscore(fields.engine),
                                         injector, fields.firmware, fields.index));
    return target;
}

std::u16string FindVehicleOfFolder(std::u16string_view folderName, std::span<const std::u16string> vehicles)
{
    if (folderName.empty())
        return {};
    for (const std::u16string& vehicle : vehicles)
        if (VehicleFolderName(vehicle) == folderName)
            return vehicle;
    return {};
}

std::u16string FirmwareField(std::u16string_view identification)
{
    return std::u16string(identification.size() < 9 ? identification
                                                     : identification.substr(identification.size() - 8));
}

VEHICLE_FILE_NAME ParseVehicleFileName(std::u16string_view folder, std::u16string_view name,
                                       std::u16string_view identification,
                                       std::span<const std::u16string> vehicles)
{
    VEHICLE_FILE_NAME fields;
    // The vehicle: the last folder name of the current calibration's folder.
    if (folder.find(u'/') != std::u16string_view::npos)
        fields.vehicle = FindVehicleOfFolder(LastElement(DropLastElement(folder)), vehicles);

    // The gas: a "CNG" folder last, or just above the vehicle's folder.
    const std::u16string_view folders = TrimTrailingSlashes(folder);
    const std::u16string_view last = LastElement(folders);
    const bool cngAboveVehicle = !fields.vehicle.empty() && last == VehicleFolderName(fields.vehicle) &&
                                 LastElement(DropLastElement(folders)) == u"CNG";
    fields.gas = last == u"CNG" || cngAboveVehicle ? kGasCng : kGasLpg;

    std::u16string_view rest = name;
    std::u16string_view field;
    if (CutField(rest, field))
        fields.model = std::u16string(field);
    if (CutField(rest, field))
        fields.displacement = ClampField(ReadLeadingLong(field));
    if (CutField(rest, field))
        fields.year = ClampField(ReadLeadingLong(field));
    if (CutField(rest, field))
        fields.engine = std::u16string(field);
    fields.injector = kInjectorOther;
    if (CutField(rest, field)) {
        const auto code = std::find(kInjectorCodes.begin(), kInjectorCodes.end(), field);
        if (code != kInjectorCodes.end())
            fields.injector = static_cast<int>(code - kInjectorCodes.begin());
    }
    fields.firmware = FirmwareField(identification);
    if (const std::size_t dot = rest.find(u'.'); dot != std::u16string_view::npos) {
        const std::size_t from = dot >= 2 ? dot - 2 : 0;
        fields.index = ClampField(ReadLeadingLong(rest.substr(from, dot - from)));
    }
    return fields;
}

SHORT_FILE_NAME ParseShortFileName(std::u16string_view identification, std::u16string_view name)
{
    SHORT_FILE_NAME fields;
    if (identification.size() >= 8) {
        fields.configuration = identification.substr(0, 2);
        fields.firmware = identification.substr(3, 5);
        if (name.size() >= 9)
            fields.index = name.substr(7, 2);
    } else if (name.size() >= 9) {
        fields.configuration = name.substr(0, 2);
        fields.firmware = name.substr(2, 5);
        fields.index = name.substr(7, 2);
    }
    return fields;
}

CALIB_TARGET BuildShortFileName(std::u16string_view root, std::u16string_view ecuType,
                                const SHORT_FILE_NAME& fields)
{
    return {Format(u"%s%s/", root, ecuType),
            SafeNameElement(Format(u"%s%s%s.dat", fields.configuration, fields.firmware, fields.index))};
}

std::optional<std::u16string> CheckTextLength(std::u16string_view text, int limit)
{
    if (text.size() > static_cast<std::size_t>(limit))
        return Format(u"Non digitare pi\u00f9 di %d caratteri.", limit);
    return std::nullopt;
}

std::optional<std::u16string> CheckInteger(std::u16string_view text, std::int32_t low, std::int32_t high,
                                           std::int32_t& value)
{
    std::u16string_view digits = TrimView(text);
    bool negative = false;
    if (!digits.empty() && (digits.front() == u'+' || digits.front() == u'-')) {
        negative = digits.front() == u'-';
        digits.remove_prefix(1);
    }
    const bool allDigits = !digits.empty() && digits.size() <= 9 &&
                           std::all_of(digits.begin(), digits.end(), [](char16_t c) { return c >= u'0' && c <= u'9'; });
    if (!allDigits) {
        // Ten or more digits are a number still, only out of range.
        if (digits.size() > 9 && std::all_of(digits.begin(), digits.end(),
                                             [](char16_t c) { return c >= u'0' && c <= u'9'; }))
            return Format(u"Digitare un numero intero compreso tra %d e %d.", low, high);
        return u"Digitare un numero intero.";
    }
    std::int32_t number = 0;
    for (char16_t c : digits)
        number = number * 10 + (c - u'0');
    if (negative)
        number = -number;
    if (number < low || number > high)
        return Format(u"Digitare un numero intero compreso tra %d e %d.", low, high);
    value = number;
    return std::nullopt;
}

std::u16string ExportFileName(std::u16string_view calibName)
{
    const std::u16string_view stem = calibName.size() > 4 ? calibName.substr(0, calibName.size() - 4)
                                                          : std::u16string_view();
    return SafeNameElement(stem) + u".bin";
}

}  // namespace vexar::calib
