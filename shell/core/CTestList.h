#pragma once

// The list of data the ECU test compares: every parameter a page shows
// that is bound to the parameter image, and the recovery-action lists of
// the diagnosis. The test passes when the ECU's image (the master, as the
// worker last read it) equals the program's (the working image, as the
// controls hold it) at every entry.

#include "config/RecControllo.h"

#include <cstdint>
#include <span>
#include <vector>

namespace vexar::shell {

struct INFO_PAR {
    std::int32_t position = 0;  // byte address in the parameter image
    std::int32_t count = 0;     // bytes
    std::uint32_t mask = 0;     // 0xFFFFFFFF: `count` whole bytes; else the bits of its low byte
};

class CTestList {
public:
    static constexpr std::uint32_t kWholeBytes = 0xFFFFFFFF;

    // The bytes a definition's datum spans: the type's size, times the
    // bytes of a text field, the cells of a map or the elements of a
    // recovery-action list; 0 for category 11 and codes above 21.
    static std::int32_t DatumByteSpan(const REC_CONTROLLO& record);

    // Rebuilds the list: parameter definitions (a check box, button or list
    // only when bound to a parameter), then the diagnosis's recovery-action
    // lists.
    void BuildTestList(std::span<const REC_CONTROLLO> params, std::span<const REC_CONTROLLO> diag);

    // True when both images agree at every entry (an empty list agrees).
    // An entry that reaches beyond the images counts as a difference.
    bool CompareTestParameters(std::span<const std::uint8_t> master, std::span<const std::uint8_t> work) const;

    const std::vector<INFO_PAR>& Entries() const { return m_testList; }

private:
    std::vector<INFO_PAR> m_testList;
};

}  // namespace vexar::shell
