#include "ComPortResolver.h"

#include "ProgramFolder.h"

#include <algorithm>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <limits.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>

namespace vexar::platform {

namespace {

// Highest COM number we accept from a name; keeps the parse from overflowing.
constexpr unsigned kMaxComNumber = 65535;

std::vector<std::string> FolderEntries(const std::string& folder, bool& readable)
{
    std::vector<std::string> names;
    DIR* dir = ::opendir(folder.c_str());
    readable = dir != nullptr;
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir)) {
        std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(std::move(name));
    }
    ::closedir(dir);
    std::sort(names.begin(), names.end());
    return names;
}

bool IsDirectory(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool Exists(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

bool IsCharacterDevice(const std::string& path)
{
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
}

std::string LinkTarget(const std::string& path)
{
    char target[PATH_MAX];
    ssize_t n = ::readlink(path.c_str(), target, sizeof target - 1);
    return n > 0 ? std::string(target, static_cast<std::size_t>(n)) : std::string();
}

std::string FirstLine(const std::string& path)
{
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

// Splits "ttyUSB12" into ("ttyUSB", 12) so that ttyUSB2 sorts before ttyUSB10.
std::pair<std::string, unsigned long> NaturalKey(const std::string& name)
{
    std::size_t digits = name.size();
    while (digits > 0 && name[digits - 1] >= '0' && name[digits - 1] <= '9')
        --digits;
    unsigned long number = 0;
    for (std::size_t i = digits; i < name.size() && number < 100000000UL; ++i)
        number = number * 10 + static_cast<unsigned long>(name[i] - '0');
    return {name.substr(0, digits), number};
}

// The kernel lists a serial device under class/tty with a "device" link; the
// virtual terminals and ptys have none. Ports of the serial core that were
// never found on the hardware (the 8250 placeholders) report type 0.
bool IsPresentSerialDevice(const std::string& entry)
{
    if (!Exists(entry + "/device"))
        return false;
    if (Exists(entry + "/type") && FirstLine(entry + "/type") == "0")
        return false;
    return true;
}

}  // namespace

ComPortResolver ComPortResolver::InFolder(std::string folder)
{
    return ComPortResolver(Source::Folder, std::move(folder));
}

ComPortResolver ComPortResolver::InSysfs(std::string sysfsRoot)
{
    return ComPortResolver(Source::Sysfs, std::move(sysfsRoot));
}

ComPortResolver ComPortResolver::FromEnvironment()
{
    if (const char* named = std::getenv("VEXAR_COM_DIR"); named && *named)
        return InFolder(named);
    const std::string programCom = ProgramFolder() + "COM";
    if (IsDirectory(programCom))
        return InFolder(programCom);
    const char* sysfs = std::getenv("VEXAR_SYSFS_ROOT");
    return InSysfs(sysfs && *sysfs ? sysfs : "/sys");
}

bool ComPortResolver::ParseComName(const std::string& name, unsigned& number)
{
    if (name.size() < 4)
        return false;
    for (std::size_t i = 0; i < 3; ++i) {
        if ((name[i] & ~0x20) != "COM"[i])
            return false;
    }
    unsigned value = 0;
    for (std::size_t i = 3; i < name.size(); ++i) {
        const char c = name[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
        if (value > kMaxComNumber)
            return false;
    }
    if (value == 0)
        return false;
    number = value;
    return true;
}

bool ComPortResolver::List(std::vector<ComPort>& ports) const
{
    ports.clear();
    const bool ok = m_source == Source::Folder ? ListFolder(ports) : ListSysfs(ports);
    if (!ok)
        ports.clear();
    return ok;
}

bool ComPortResolver::ListFolder(std::vector<ComPort>& ports) const
{
    bool readable = false;
    const std::vector<std::string> names = FolderEntries(m_root, readable);
    if (!readable)
        return false;
    for (const std::string& name : names) {
        unsigned number = 0;
        const std::string path = m_root + "/" + name;
        // A link whose device is gone (an adapter unplugged) is not a port.
        if (!ParseComName(name, number) || !IsCharacterDevice(path))
            continue;
        std::string target = LinkTarget(path);
        ports.push_back({number, path, target.empty() ? path : target});
    }
    std::stable_sort(ports.begin(), ports.end(),
                     [](const ComPort& a, const ComPort& b) { return a.number < b.number; });
    return true;
}

bool ComPortResolver::ListSysfs(std::vector<ComPort>& ports) const
{
    const std::string ttyClass = m_root + "/class/tty";
    bool readable = false;
    std::vector<std::string> names = FolderEntries(ttyClass, readable);
    if (!readable)
        return false;
    std::erase_if(names, [&](const std::string& name) { return !IsPresentSerialDevice(ttyClass + "/" + name); });
    std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
        const bool aOnBoard = a.starts_with("ttyS");
        const bool bOnBoard = b.starts_with("ttyS");
        return std::make_tuple(!aOnBoard, NaturalKey(a), a) < std::make_tuple(!bOnBoard, NaturalKey(b), b);
    });
    unsigned number = 0;
    for (const std::string& name : names) {
        std::string description = "/dev/" + name;
        std::string driver = LinkTarget(ttyClass + "/" + name + "/device/driver");
        if (!driver.empty())
            description += " (" + driver.substr(driver.find_last_of('/') + 1) + ")";
        ports.push_back({++number, "/dev/" + name, description});
    }
    return true;
}

std::string ComPortResolver::DevicePath(unsigned number) const
{
    std::vector<ComPort> ports;
    List(ports);
    const ComPort* found = nullptr;
    for (const ComPort& port : ports) {
        if (port.number != number)
            continue;
        if (m_source == Source::Folder && port.device.ends_with("/COM" + std::to_string(number)))
            return port.device;
        if (!found)
            found = &port;
    }
    return found ? found->device : std::string();
}

}  // namespace vexar::platform
