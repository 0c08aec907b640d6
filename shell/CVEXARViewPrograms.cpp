// The separate programs the view starts and waits for: the configuration's
// boot loader, the two handheld programmers, the automatic calibration in
// its Java runtime, and the self-update that copies an update folder over
// the program folder. One program runs at a time; a 100 ms window timer
// per kind of program polls it, never a blocking wait.

#include "shell/CVEXARView.h"

#include "common/CFileTreeOps.h"
#include "common/CUtilityLang.h"
#include "common/Text.h"
#include "dialogs/CDlgProgPalm.h"
#include "link/LinkMessages.h"
#include "pages/CDlgTabSB.h"
#include "platform/AtomicFile.h"
#include "platform/ProcessStarter.h"
#include "platform/ProgramNames.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "shell/CVEXARApp.h"
#include "shell/core/ExternalPrograms.h"

#include <QApplication>

#include <filesystem>
#include <fstream>
#include <system_error>
#include <utility>

using namespace vexar;
using namespace vexar::shell;
namespace fs = std::filesystem;

namespace {

bool HoldsObdLibrary(const std::string& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        if (IsObdLibraryEntry(it->path().filename().string()))
            return true;
    return false;
}

bool IsFile(const std::string& path)
{
    std::error_code error;
    return !path.empty() && fs::is_regular_file(path, error);
}

std::string FolderOf(const std::string& path)
{
    const std::size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void ShowErrorBox(const std::u16string& text)
{
    ui::MessageBox(nullptr, text, u"Error", ui::MB_OK | ui::MB_ICONERROR);
}

bool CVEXARView::StartExternalProgram(const std::string& program, const std::string& folder,
                                      const std::vector<std::string>& arguments, unsigned timer)
{
    const pid_t pid = platform::StartProgram(program, folder, arguments);
    if (pid == 0)
        return false;
    m_hProgram = pid;
    m_app.m_bBusy = true;
    SetTimer(timer, kProgramTimerPeriodMs);
    return true;
}

// ---- ECU programming ----------------------------------------------------------------

void CVEXARView::OnBtnProgramEcu()
{
    if (m_hProgram != 0 || m_app.m_bBusy || !IsFile(m_strLoaderPath))
        return;
    if (m_app.m_bLinked)
        m_app.PostLinkRequest(link::WM_LINK_RUN_ECU_LOADER);
    else
        OnRunEcuLoader(0);
}

void CVEXARView::OnRunEcuLoader(std::uintptr_t lockCom)
{
    // A second answer of the worker (the command pressed twice before the
    // first came back) must not start a second loader on the same ECU.
    if (m_hProgram != 0)
        return;
    LOADER_ARGUMENT values;
    values.edition = m_app.m_nEdition;
    values.comPort = m_app.m_nComPort;
    values.firmware = m_strFirmwareName;
    values.kLine = m_app.m_bKLine;
    values.lockCom = static_cast<std::int32_t>(lockCom);
    values.langFile = m_strLangFile;
    StartExternalProgram(m_strLoaderPath, FolderOf(m_strLoaderPath), {LoaderArgument(values)}, kTimerEcuLoader);
}

// ---- Handheld programming -------------------------------------------------------------

void CVEXARView::OnBtnProgramHandheld()
{
    if (m_app.m_bBusy || m_hProgram != 0)
        return;
    CDlgProgPalm dialog(this);
    dialog.m_strLangFile = m_strLangFile;
    // The parameter window's font exists once a configuration is loaded;
    // before that the same font is made from the layout settings.
    if (m_wndParams && m_wndParams->IsCreated())
        dialog.m_font = m_wndParams->m_pageFont;
    else
        CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    dialog.SetButtonTextColour(m_layout.textColour);
    if (dialog.DoModal() != ui::IDOK)
        return;
    const unsigned request = dialog.m_nChoice == CDlgProgPalm::kHandheldLoad   ? link::WM_LINK_RUN_HANDHELD_WRITER
                             : dialog.m_nChoice == CDlgProgPalm::kFirmwareLoad ? link::WM_LINK_RUN_HC08_LOADER
                                                                               : 0;
    if (request == 0)
        return;
    if (m_app.m_bLinked)
        m_app.PostLinkRequest(request);
    else if (request == link::WM_LINK_RUN_HANDHELD_WRITER)
        OnRunHandheldWriter();
    else
        OnRunHc08Loader();
}

void CVEXARView::OnRunHandheldWriter()
{
    if (m_hProgram != 0)
        return;
    const std::string bay = m_strExeFolder + platform::kProgramBayFolder;
    StartExternalProgram(bay + "/" + platform::LinuxProgramName("hhwriter.exe"), bay,
                         {HandheldArgument(m_app.m_nEdition)}, kTimerHandheldWriter);
}

void CVEXARView::OnRunHc08Loader()
{
    if (m_hProgram != 0)
        return;
    const std::string bay = m_strExeFolder + platform::kProgramBayFolder;
    StartExternalProgram(bay + "/" + platform::LinuxProgramName("hc08flash.exe"), bay,
                         {HandheldArgument(m_app.m_nEdition)}, kTimerHc08Loader);
}

// ---- Automatic calibration ------------------------------------------------------------

void CVEXARView::OnBtnRunTarmix()
{
    if (m_hProgram != 0)
        return;
    if (m_app.m_bLinked) {
        OnDisconnect();
        m_bTarmixPending = true;
        return;
    }
    if (!StartTarmix() && m_bTarmixPending) {
        // The link was closed for a start that did not happen: the flag
        // would start tarmix at a later, unrelated disconnect. Open the
        // link again as after tarmix.
        m_bTarmixPending = false;
        OnConnect();
    }
}

bool CVEXARView::StartTarmix()
{
    const std::string folder = m_strExeFolder + kTarmixFolder;
    std::ifstream batch(folder + "/" + kTarmixBatchFile);
    std::string firstLine;
    if (!batch || !std::getline(batch, firstLine) || firstLine.empty())
        return false;
    std::vector<std::string> parameters;
    if (!TarmixParameters(firstLine, parameters))
        return false;
    int baud = 0;
    {
        std::lock_guard lock(m_app.m_csBaud);
        baud = m_app.m_nBaudCurrent;
    }
    // A settings file that cannot be written is skipped: tarmix starts
    // with the one it has.
    platform::WriteFileAtomically(folder + "/" + kTarmixSettingsFile,
                                  TarmixSettingsLine(m_app.m_nComPort, m_strLangFile, baud));
    return StartExternalProgram(platform::LinuxProgramName(kJavaWindowsName), folder, parameters, kTimerTarmix);
}

// ---- Waiting ----------------------------------------------------------------------------

void CVEXARView::OnTimer(unsigned id)
{
    if (id > kTimerEcuLoader)
        return;
    KillTimer(id);
    if (platform::ProgramRunning(m_hProgram)) {
        SetTimer(id, kProgramTimerPeriodMs);
        return;
    }
    m_hProgram = 0;
    m_app.m_bBusy = false;
    if (id == kTimerTarmix && m_bTarmixPending) {
        OnConnect();
        m_bTarmixPending = false;
    }
}

// ---- Self-update ------------------------------------------------------------------------

void CVEXARView::OnBtnAutoUpdate()
{
    if (m_hProgram != 0)
        return;
    ui::FolderDialogRequest request;
    request.owner = this;
    request.includeFiles = true;
    const std::optional<std::string> chosen = ui::FolderDialog(request);
    if (!chosen)
        return;
    std::error_code error;
    std::string item = *chosen;
    while (item.size() > 1 && item.back() == '/')
        item.pop_back();
    if (fs::is_directory(item, error)) {
        const std::string setup = item + "/" + platform::LinuxProgramName("Setup.exe");
        if (IsFile(setup)) {
            PrepareSelfUpdate(setup);
            return;
        }
        RunUpdateCopy(item);
        return;
    }
    if (IsSetupEntry(fs::path(item).filename().string()))
        PrepareSelfUpdate(item);
}

// While the adapter is linked the worker calls into the adapter library:
// an update that replaces the library waits until the worker has taken
// the link down, and its report runs the copy.
void CVEXARView::RunUpdateCopy(const std::string& source)
{
    if (m_app.m_bObdLinked && HoldsObdLibrary(source)) {
        m_strPendingUpdate = source;
        m_app.PostLinkRequest(link::WM_LINK_OBD_DISCONNECT);
        return;
    }
    std::string newProgram;
    CopyUpdateFolder(source, m_strExeFolder, newProgram);
    if (!newProgram.empty())
        PrepareSelfUpdate(newProgram);
}

void CVEXARView::RunPendingUpdate()
{
    if (m_strPendingUpdate.empty() || m_app.m_bObdLinked)
        return;
    RunUpdateCopy(std::exchange(m_strPendingUpdate, std::string()));
}

void CVEXARView::CopyUpdateFolder(const std::string& source, const std::string& programFolder,
                                  std::string& newProgram)
{
    WaitCursor wait;
    newProgram.clear();
    CFileTreeOps copier;
    copier.SetOverwrite(true);
    std::error_code error;
    std::vector<fs::path> entries;
    for (fs::directory_iterator it(source, error), end; !error && it != end; it.increment(error))
        entries.push_back(it->path());
    std::sort(entries.begin(), entries.end());
    std::string target = programFolder;
    if (!target.empty() && target.back() == '/')
        target.pop_back();
    for (const fs::path& entry : entries) {
        const std::string name = entry.filename().string();
        if (IsMainProgramEntry(name)) {
            newProgram = entry.string();
            continue;
        }
        const bool obdLibrary = IsObdLibraryEntry(name);
        if (obdLibrary)
            m_app.UnbindObdLibrary();
        const fs::path destination = fs::path(target) / name;
        std::error_code ignored;
        if (fs::is_directory(destination, ignored))
            CopyTreeRecursive(destination.string());
        else if (fs::exists(destination, ignored))
            fs::permissions(destination, fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add, ignored);
        if (!copier.Copy(entry.string(), target))
            ShowErrorBox(copier.GetErrorText());
        if (obdLibrary)
            m_app.BindObdLibrary();
    }
}

void CVEXARView::CopyTreeRecursive(const std::string& folder)
{
    std::error_code error;
    for (fs::recursive_directory_iterator it(folder, error), end; !error && it != end; it.increment(error)) {
        std::error_code ignored;
        if (it->is_regular_file(ignored))
            fs::permissions(it->path(), fs::perms::owner_read | fs::perms::owner_write, fs::perm_options::add,
                            ignored);
    }
}

void CVEXARView::PrepareSelfUpdate(const std::string& newProgram)
{
    m_app.m_strUpdateCmd = UpdateCommand(newProgram, m_strExeFolder);
    if (ui::MessageBox(this, LangText(3124), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES)
        OnBtnExit();
}
