#include "dialogs/core/CalibCompare.h"

#include "common/CCriptFile.h"
#include "common/CUtilityToolbox.h"
#include "common/NoCase.h"
#include "config/CParametriFile.h"

#include <unordered_map>
#include <unordered_set>

namespace vexar::calib {

namespace {

inline constexpr std::u16string_view kMissing = u"-";

}  // namespace

bool ReadCalibListing(const std::string& path, CALIB_LISTING& listing)
{
    listing = CALIB_LISTING{};
    CCriptFile file;
    if (file.Open(path, 1) == 0)
        return false;
    std::u16string line;
    bool inParameters = true;
    for (int number = 1; file.ReadLine(line); ++number) {
        listing.lines.push_back(line);
        if (number < 3 || !inParameters)
            continue;
        if (CParametriFile::EndsParameters(line)) {
            inParameters = false;
            continue;
        }
        std::u16string rest = line;
        std::u16string name;
        std::u16string value;
        CUtility::ExtractTabField(rest, name);
        CUtility::ExtractTabField(rest, value);
        listing.names.push_back(std::move(name));
        listing.values.push_back(std::move(value));
    }
    file.Close();
    return true;
}

std::vector<CALIB_DIFF_ROW> CompareCalibListings(const CALIB_LISTING& file1, const CALIB_LISTING& file2)
{
    // The first parameter of each name in file 2, and the names of file 1.
    std::unordered_map<std::u16string_view, std::size_t> firstIn2;
    for (std::size_t i = 0; i < file2.names.size(); ++i)
        firstIn2.try_emplace(file2.names[i], i);
    std::unordered_set<std::u16string_view> namesOf1(file1.names.begin(), file1.names.end());

    std::vector<CALIB_DIFF_ROW> rows;
    for (std::size_t i = 0; i < file1.names.size(); ++i) {
        const auto match = firstIn2.find(file1.names[i]);
        if (match == firstIn2.end())
            rows.push_back({file1.names[i], file1.values[i], std::u16string(kMissing)});
        else if (file1.values[i] != file2.values[match->second])
            rows.push_back({file1.names[i], file1.values[i], file2.values[match->second]});
    }
    for (std::size_t i = 0; i < file2.names.size(); ++i)
        if (!namesOf1.contains(file2.names[i]))
            rows.push_back({file2.names[i], std::u16string(kMissing), file2.values[i]});
    return rows;
}

std::u16string ComparisonDisplayName(std::u16string_view path, std::u16string_view root)
{
    std::u16string upper = ToUpper(path);
    if (!root.empty() && upper.find(ToUpper(root)) != std::u16string::npos)
        return upper.substr(root.size());
    return upper;
}

}  // namespace vexar::calib
