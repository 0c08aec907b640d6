#include "shell/core/ChecklistFile.h"

#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/ControlCodes.h"
#include "config/CUtilityCodec.h"
#include "config/CUtilityCtrl.h"
#include "config/RecControllo.h"

#include <optional>

namespace vexar::shell {

namespace {

std::optional<ChecklistSection> HeadingOf(std::u16string_view line)
{
    if (line == u"[Parameters]")
        return ChecklistSection::Parameters;
    if (line == u"[Variables]")
        return ChecklistSection::Variables;
    if (line == u"[Diagnosis]")
        return ChecklistSection::Diagnosis;
    return std::nullopt;
}

}  // namespace

std::vector<CHECKLIST_LINE> ReadChecklistDefinition(const std::string& path)
{
    std::vector<CHECKLIST_LINE> lines;
    CStdioFileEx file;
    if (!file.Open(path, CStdioFileEx::modeRead | CStdioFileEx::typeText | CStdioFileEx::shareDenyNone))
        return lines;
    std::optional<ChecklistSection> open;
    std::u16string line;
    while (file.ReadString(line)) {
        const std::u16string text = Trim(line);
        if (text.empty())
            continue;
        if (const std::optional<ChecklistSection> heading = HeadingOf(text)) {
            if (open || *heading == ChecklistSection::Parameters) {
                open = heading;
                lines.push_back({*heading, {}});
            }
        } else if (open) {
            lines.push_back({*open, text});
        }
    }
    return lines;
}

std::u16string_view ChecklistHeading(ChecklistSection section)
{
    switch (section) {
    case ChecklistSection::Parameters: return u"[Parameters]\n\n";
    case ChecklistSection::Variables: return u"\n[Variables]\n\n";
    case ChecklistSection::Diagnosis: return u"\n[Diagnosis]\n\n";
    }
    return {};
}

bool ChecklistMayList(std::int32_t oprator, const CTRL_WND& entry)
{
    if (oprator == OPR_PRV || oprator == OPR_REM || oprator == OPR_SVIL)
        return true;
    return oprator == OPR_PBL && entry.access == OPR_PBL;
}

int FindChecklistEntry(const CTRL_TABLE& table, std::u16string_view identifier, std::int32_t oprator)
{
    REC_CONTROLLO definition;
    for (std::size_t i = 0; i < table.size(); ++i) {
        if (!ChecklistMayList(oprator, table[i]))
            continue;
        if (CUtility::GetCtrlDefinition(table[i], definition) && definition.IDENTIFICATORE == identifier)
            return static_cast<int>(i);
    }
    return -1;
}

CHECKLIST_READ BuildChecklistRead(const std::vector<CHECKLIST_LINE>& lines, const CTRL_TABLE* variables,
                                  const CTRL_TABLE* diagnosis, std::int32_t oprator, int protocol)
{
    CHECKLIST_READ read;
    std::vector<REC_UPLD_SV> pairs;
    bool diagnosisReached = false;
    for (const CHECKLIST_LINE& line : lines) {
        if (line.section == ChecklistSection::Parameters)
            continue;
        if (line.IsHeading()) {
            diagnosisReached = diagnosisReached || line.section == ChecklistSection::Diagnosis;
            continue;
        }
        const CTRL_TABLE* table = line.section == ChecklistSection::Variables ? variables : diagnosis;
        if (!table)
            continue;
        const int found = FindChecklistEntry(*table, line.identifier, oprator);
        if (found < 0)
            continue;
        const CTRL_WND& entry = (*table)[static_cast<std::size_t>(found)];
        read.controls.push_back(entry);
        if (CUtility::IsPairMissing(entry.address, entry.size, pairs))
            pairs.push_back({entry.address, entry.size});
    }
    if (diagnosisReached)
        CUtility::BuildUploadBlocks(protocol, pairs, read.blocks);
    return read;
}

std::u16string ChecklistHeader(std::time_t when, std::u16string_view ecuFolder, std::u16string_view configName,
                               std::u16string_view ecuIdent)
{
    return Format(u"%s\t%s\t%s\t%s\t%s\n\n", FormatLocalTime(when, u"%A, %d/%m/%Y"), FormatLocalTime(when, u"%H:%M:%S"),
                  ecuFolder, configName, ecuIdent);
}

}  // namespace vexar::shell
