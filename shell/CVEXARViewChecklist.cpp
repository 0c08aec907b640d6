// The checklist command: a text file of the parameters, live variables and
// diagnosis rows that the configuration's Checklist.cfg lists, as the
// program shows them. While linked only. When the file lists diagnosis rows
// the worker first reads the listed variables and rows from the ECU and
// answers WM_CHECKLIST_READY; otherwise the file is written at once from
// the values as they stand. The file is UTF-16 with its byte-order mark,
// built whole and written in one piece: a failed write is said and leaves
// any previous file as it was.
#include "shell/CVEXARView.h"

#include "common/CStdioFileEx.h"
#include "common/CUtilityToolbox.h"
#include "common/ErrorReporter.h"
#include "common/FileNameResolver.h"
#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "dialogs/CDlgDiag.h"
#include "link/LinkMessages.h"
#include "pages/core/CUtilityTables.h"
#include "platform/AtomicFile.h"
#include "platform/ui/DialogResponder.h"
#include "shell/CVEXARApp.h"
#include "shell/core/ChecklistFile.h"

#include <filesystem>
#include <utility>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr std::uint32_t kUnicodeText =
    CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode;

}  // namespace

std::string CVEXARView::ChecklistDefinitionPath() const
{
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    return ResolvePathNoCase(m_strExeFolder + "Configuration/" + ToUtf8(m_strEcuFamily) + "/" + ToUtf8(configName) +
                             "/" + kChecklistDefinitionFile);
}

void CVEXARView::OnBtnCreateChecklist()
{
    if (m_hProgram != 0 || !m_app.m_bLinked || !CalibrationLoaded())
        return;
    const std::string folder = m_strExeFolder + "Checklist/" + ToUtf8(m_strEcuFamily) + "/";
    CUtility::CreateFullPath(folder);
    const std::optional<std::string> target = AskSaveFile(folder, {}, u"Chk Files (*.txt)|*.txt|", u".txt");
    if (!target)
        return;
    std::error_code error;
    if (std::filesystem::exists(*target, error) &&
        ui::MessageBox(this, LangFormat(3078, ToUtf16(*target)), std::u16string(),
                       ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
        return;

    SetWaitCursor(true);
    BuildChecklistRequest();
    bool read = false;
    {
        std::lock_guard lock(m_app.m_csLists);
        read = !m_app.m_listBlocks.empty();
    }
    if (read) {
        // The file is written when the worker has read the values.
        m_strChecklistPath = *target;
        m_app.PostLinkRequest(link::WM_LINK_READ_LIST);
    } else {
        m_strChecklistPath.clear();
        WriteChecklistFile(*target);
    }
    SetWaitCursor(false);
}

void CVEXARView::BuildChecklistRequest()
{
    CHECKLIST_READ read = BuildChecklistRead(ReadChecklistDefinition(ChecklistDefinitionPath()), m_app.m_pVarTable,
                                             m_app.m_pDiagTable2, m_app.m_nOperator, m_app.m_nProtocol);
    std::lock_guard lock(m_app.m_csLists);
    m_app.m_listCtrls = std::move(read.controls);
    m_app.m_listBlocks = std::move(read.blocks);
}

bool CVEXARView::WriteChecklistFile(const std::string& path)
{
    std::u16string configName;
    std::u16string ecuIdent;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
        ecuIdent = m_app.m_strEcuIdent;
    }
    CStdioFileEx file;
    std::string bytes;
    bool built = file.OpenInMemory(kUnicodeText);
    if (built) {
        file.WriteString(ChecklistHeader(m_app.m_clock(), m_strEcuFamily, configName, ecuIdent));
        const std::int32_t oprator = m_app.m_nOperator;
        const CTRL_TABLE* diagnosis = m_dlgDiag && m_dlgDiag->m_bCreated ? m_app.m_pDiagTable2 : nullptr;
        for (const CHECKLIST_LINE& line : ReadChecklistDefinition(ChecklistDefinitionPath())) {
            if (line.IsHeading()) {
                file.WriteString(ChecklistHeading(line.section));
                continue;
            }
            if (line.section == ChecklistSection::Diagnosis) {
                // A row writes the lines of its error and recovery action.
                const int row = diagnosis ? FindChecklistEntry(*diagnosis, line.identifier, oprator) : -1;
                REC_CONTROLLO definition;
                if (row >= 0 && CUtility::GetCtrlDefinition((*diagnosis)[static_cast<std::size_t>(row)], definition))
                    m_dlgDiag->FormatChecklistLine(file, row, definition);
                continue;
            }
            const CTRL_TABLE* table =
                line.section == ChecklistSection::Parameters ? m_app.m_pParTable : m_app.m_pVarTable;
            if (const int found = table ? FindChecklistEntry(*table, line.identifier, oprator) : -1; found >= 0)
                CUtility::SaveCtrlValue((*table)[static_cast<std::size_t>(found)], file);
        }
        built = file.CloseInMemory(bytes);
    }
    if (!built || !platform::WriteFileAtomically(path, bytes)) {
        ReportError(Format(u"Error to write file %s!", path));
        return false;
    }
    return true;
}

void CVEXARView::OnChecklistReady()
{
    // One file per read asked for: an answer without a target writes none.
    if (m_strChecklistPath.empty())
        return;
    const std::string path = std::exchange(m_strChecklistPath, std::string());
    SetWaitCursor(true);
    WriteChecklistFile(path);
    SetWaitCursor(false);
}
