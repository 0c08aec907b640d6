#pragma once

#include <string>
#include <vector>

namespace vexar::platform {

// One COM port as the program sees it.
struct ComPort {
    unsigned number = 0;      // n of "COM<n>"
    std::string device;       // path to open
    std::string description;  // what the user is shown beside the number
};

// Maps COM numbers to serial devices.
//
// A folder of entries named "COM<n>" (any letter case, usually symlinks such
// as COM3 -> /dev/serial/by-id/usb-...) is the normal source; $VEXAR_COM_DIR
// names it, else it is the program folder's "COM" sub-folder. When neither
// is given and that sub-folder does not exist, the serial devices the kernel
// lists under <sysfs>/class/tty are numbered COM1, COM2, ... in a stable
// order: the on-board ports (ttyS*) first, then the others, each group in
// natural name order. The sysfs root is $VEXAR_SYSFS_ROOT when set, else
// "/sys".
class ComPortResolver {
public:
    // Ports from the entries of one folder; a missing folder has none.
    static ComPortResolver InFolder(std::string folder);
    // Ports from the kernel's serial devices under a sysfs root.
    static ComPortResolver InSysfs(std::string sysfsRoot);
    // The source the environment and the program folder select (above).
    static ComPortResolver FromEnvironment();

    // Fills `ports`, ordered by number (and by entry name within a number;
    // a folder may hold both "COM3" and "com3", and both are listed).
    // False when the source cannot be read at all; `ports` is then empty.
    bool List(std::vector<ComPort>& ports) const;

    // The device path for a COM number, or "" when there is no such port.
    // In a folder the entry itself is returned (opening follows the link);
    // "COM<n>" in upper case wins over other spellings of the same number.
    std::string DevicePath(unsigned number) const;

    // Reads "COM<n>" in any letter case with at least one digit and nothing
    // after the digits; false for anything else.
    static bool ParseComName(const std::string& name, unsigned& number);

    // The folder the ports come from; "" when they come from the kernel's
    // list.
    std::string Folder() const { return m_source == Source::Folder ? m_root : std::string(); }

private:
    enum class Source { Folder, Sysfs };
    ComPortResolver(Source source, std::string root) : m_source(source), m_root(std::move(root)) {}

    bool ListFolder(std::vector<ComPort>& ports) const;
    bool ListSysfs(std::vector<ComPort>& ports) const;

    Source m_source;
    std::string m_root;
};

}  // namespace vexar::platform
