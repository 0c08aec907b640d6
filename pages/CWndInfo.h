#pragma once

// One page of a page host's page list: a configured page that the host
// built and deletes, or a fixed page (a feature dialog) that belongs to
// the host; who may see its tab, and its tab's title without the
// "F%d - " prefix.

#include <cstdint>
#include <string>

class QWidget;

class CWndInfo {
public:
    CWndInfo() = default;
    CWndInfo(std::uint8_t flag, std::int32_t type, std::u16string name, QWidget* window)
        : flag(flag), type(type), name(std::move(name)), window(window)
    {
    }
    virtual ~CWndInfo() = default;
    CWndInfo(const CWndInfo&) = default;
    CWndInfo& operator=(const CWndInfo&) = default;

    // Every field zero, the name empty.
    void Reset()
    {
        flag = 0;
        type = 0;
        name.clear();
        window = nullptr;
    }

    std::uint8_t flag = 0;   // 1: a configured page the host deletes; 0: a fixed page
    std::int32_t type = 0;   // 0: shown to every profile; else only to the profiles 1 and 2
    std::u16string name;
    QWidget* window = nullptr;
};
