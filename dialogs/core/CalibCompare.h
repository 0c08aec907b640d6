#pragma once

// Two calibration files side by side: every line of each, its parameters
// as name and value, and the parameters whose values differ.

#include <string>
#include <string_view>
#include <vector>

namespace vexar::calib {

// A calibration file as the comparison reads it: all its lines, and from
// line 3 (after the two header lines) to the opening of the comments or
// of the change history, one parameter a line: the first tab-separated
// field is the name, the second the value (further fields ignored).
struct CALIB_LISTING {
    std::vector<std::u16string> lines;
    std::vector<std::u16string> names;
    std::vector<std::u16string> values;
};

// Reads and deciphers the file at `path`; false, with the listing empty,
// when it cannot be opened or deciphered.
bool ReadCalibListing(const std::string& path, CALIB_LISTING& listing);

// One row of the comparison: "-" stands for the side without the
// parameter.
struct CALIB_DIFF_ROW {
    std::u16string name;
    std::u16string value1;
    std::u16string value2;
};

// The parameters of file 1 in its order whose values differ in file 2
// (the first parameter of that name there) or that file 2 lacks, then the
// parameters of file 2 in its order that file 1 lacks. Names and values
// are compared as exact texts.
std::vector<CALIB_DIFF_ROW> CompareCalibListings(const CALIB_LISTING& file1, const CALIB_LISTING& file2);

// The chosen path as the dialog shows it: upper-cased, and without the
// root folder's length of leading characters when it holds the root.
std::u16string ComparisonDisplayName(std::u16string_view path, std::u16string_view root);

}  // namespace vexar::calib
