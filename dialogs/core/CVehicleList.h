#pragma once

// The vehicles of the naming dialog, kept in "Vehicle.cfg" beside the
// program: one name a line, UTF-16 LE with a byte-order mark. The list is
// sorted without regard to case, as the dialog's drop-down list shows it,
// and two names differing only in case are one vehicle.

#include <string>
#include <vector>

namespace vexar::calib {

class CVehicleList {
public:
    // Replaces the list with every non-empty line of the file (UTF-16 with
    // a byte-order mark, or ANSI text); false, the list emptied, when the
    // file does not open.
    bool Load(const std::string& path);
    // Writes the file whole or not at all, in list order, empty names left
    // out; false when it could not be written (the previous file is kept).
    bool Save(const std::string& path) const;
    // The bytes Save writes.
    std::string FileBytes() const;

    // The index of the name equal to `name` letter case aside; -1 when none.
    int Find(const std::u16string& name) const;
    // Inserts the name after every name that does not sort after it; its
    // index.
    int Add(const std::u16string& name);
    void RemoveAt(int index);

    const std::vector<std::u16string>& Names() const { return m_names; }

private:
    std::vector<std::u16string> m_names;
};

}  // namespace vexar::calib
