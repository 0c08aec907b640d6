#pragma once

// What a checklist is made of, without a window: the lists of the
// configuration's "Checklist.cfg", the controls a profile may list, the
// variable and diagnosis data to read from the ECU before the file is
// written, and the file's header line.

#include "config/CtrlWnd.h"
#include "config/RecUpload.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace vexar::shell {

inline constexpr char kChecklistDefinitionFile[] = "Checklist.cfg";

enum class ChecklistSection { Parameters, Variables, Diagnosis };

// One line of Checklist.cfg that counts: a section heading (no identifier)
// or the identifier of a control listed in that section.
struct CHECKLIST_LINE {
    ChecklistSection section = ChecklistSection::Parameters;
    std::u16string identifier;

    bool IsHeading() const { return identifier.empty(); }
    friend bool operator==(const CHECKLIST_LINE&, const CHECKLIST_LINE&) = default;
};

// The lines of Checklist.cfg in file order. Every line is trimmed at both
// ends and empty lines are skipped; nothing counts before "[Parameters]";
// from there "[Parameters]", "[Variables]" and "[Diagnosis]" open their
// lists and every other line is an identifier of the list open (compared
// exactly later). A missing or unreadable file gives no lines.
std::vector<CHECKLIST_LINE> ReadChecklistDefinition(const std::string& path);

// The heading a section writes in the checklist: "[Parameters]\n\n" for the
// first, the others after an empty line.
std::u16string_view ChecklistHeading(ChecklistSection section);

// Whether the profile may list the entry: the privileged profiles (1, 2
// and the development profile 3) every entry, the public profile 0 only
// the public ones.
bool ChecklistMayList(std::int32_t oprator, const CTRL_WND& entry);

// The first entry of `table` that the profile may list and whose control's
// definition carries `identifier`; -1 when none.
int FindChecklistEntry(const CTRL_TABLE& table, std::u16string_view identifier, std::int32_t oprator);

// What the worker reads before the checklist is written: the listed
// variable and diagnosis entries, and the read blocks of their data.
struct CHECKLIST_READ {
    CTRL_TABLE controls;
    std::vector<REC_UPLD_SV> blocks;
};

// The read of a checklist: each listed variable (searched in `variables`)
// and diagnosis row (in `diagnosis`) joins the controls, and its {address,
// size} pair the read list once. Only a file that reaches "[Diagnosis]"
// gives blocks, merged for the protocol (0 the first, else the second):
// without one the file is written from the values as they stand.
CHECKLIST_READ BuildChecklistRead(const std::vector<CHECKLIST_LINE>& lines, const CTRL_TABLE* variables,
                                  const CTRL_TABLE* diagnosis, std::int32_t oprator, int protocol);

// The first line of a checklist: the date ("Sunday, 29/03/2026") and time
// in English whatever the locale, the ECU folder, the configuration and
// the ECU's identification, tab-separated, then an empty line.
std::u16string ChecklistHeader(std::time_t when, std::u16string_view ecuFolder, std::u16string_view configName,
                               std::u16string_view ecuIdent);

}  // namespace vexar::shell
