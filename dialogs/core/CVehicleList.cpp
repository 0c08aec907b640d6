#include "dialogs/core/CVehicleList.h"

#include "common/CStdioFileEx.h"
#include "common/NoCase.h"
#include "platform/AtomicFile.h"

#include <algorithm>

namespace vexar::calib {

bool CVehicleList::Load(const std::string& path)
{
    m_names.clear();
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return false;
    std::u16string line;
    while (file.ReadString(line))
        if (!line.empty())
            Add(line);
    file.Close();
    return true;
}

std::string CVehicleList::FileBytes() const
{
    std::string bytes("\xFF\xFE", 2);
    auto put = [&bytes](char16_t c) {
        bytes.push_back(static_cast<char>(c & 0xFF));
        bytes.push_back(static_cast<char>(c >> 8));
    };
    for (const std::u16string& name : m_names) {
        if (name.empty())
            continue;
        for (char16_t c : name)
            put(c);
        put(u'\n');
    }
    return bytes;
}

bool CVehicleList::Save(const std::string& path) const
{
    return vexar::platform::WriteFileAtomically(path, FileBytes());
}

int CVehicleList::Find(const std::u16string& name) const
{
    const auto found = std::find_if(m_names.begin(), m_names.end(),
                                    [&name](const std::u16string& listed) { return EqualsNoCase(listed, name); });
    return found == m_names.end() ? -1 : static_cast<int>(found - m_names.begin());
}

int CVehicleList::Add(const std::u16string& name)
{
    const auto at = std::upper_bound(m_names.begin(), m_names.end(), name,
                                     [](const std::u16string& a, const std::u16string& b) {
                                         return CompareNoCase(a, b) < 0;
                                     });
    const auto inserted = m_names.insert(at, name);
    return static_cast<int>(inserted - m_names.begin());
}

void CVehicleList::RemoveAt(int index)
{
    if (index >= 0 && index < static_cast<int>(m_names.size()))
        m_names.erase(m_names.begin() + index);
}

}  // namespace vexar::calib
