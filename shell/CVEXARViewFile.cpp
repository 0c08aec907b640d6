// The commands that move a calibration between the program and files:
// save with a comment, load (and write to the ECU), the automatic load of
// the start file, reset to the defaults, the comments viewer, the
// comparison of two files and the binary export. The checklist is in
// CVEXARViewChecklist.cpp.
//
// Save, load and reset are refused without a word during a long operation,
// and every command but the comments viewer while an external program
// runs. The commands that use the images are refused while no
// configuration is loaded.
#include "shell/CVEXARView.h"

#include "common/CUtilityToolbox.h"
#include "common/ErrorReporter.h"
#include "common/Text.h"
#include "dialogs/CDlgCmpFilePC.h"
#include "dialogs/CDlgDiag.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CDlgNomeFilePC.h"
#include "dialogs/CDlgNomeFilePCKD01.h"
#include "dialogs/CDlgViewComm.h"
#include "dialogs/core/CalibFileName.h"
#include "link/LinkMessages.h"
#include "pages/core/CUtilityTables.h"
#include "platform/AtomicFile.h"
#include "platform/ui/CUtilityUi.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/core/ShellMessages.h"

#include <cstring>
#include <filesystem>
#include <vector>

using namespace vexar;
using namespace vexar::shell;

namespace {

constexpr std::u16string_view kDatFilter = u"Dat Files (*.dat)|*.dat|";

bool FileExists(const std::string& path)
{
    std::error_code error;
    return std::filesystem::exists(path, error);
}

std::u16string FolderOfPath(const std::u16string& path)
{
    const std::size_t slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

std::u16string NameOfPath(const std::u16string& path)
{
    const std::size_t slash = path.find_last_of(u'/');
    return slash == std::u16string::npos ? path : path.substr(slash + 1);
}

}  // namespace

bool CVEXARView::CalibrationLoaded() const
{
    return m_app.m_pParTable != nullptr && m_app.m_pParWork != nullptr && m_app.m_nParSize > 0;
}

std::string CVEXARView::EcuParamFolder() const
{
    const std::string folder = m_strParamFolder + ToUtf8(m_strEcuFamily) + "/";
    CUtility::CreateFullPath(folder);
    return folder;
}

std::u16string CVEXARView::LangFormat(int id, const std::u16string& text) const
{
    return Format(LangText(id), text);
}

void CVEXARView::PostDiagRefreshSplit()
{
    if (m_dlgDiag && m_dlgDiag->m_bCreated)
        ui::PostMessage(m_dlgDiag.get(), ui::WindowMessage{link::WM_DIAG_REFRESH_SPLIT, 0, 0, nullptr});
}

std::optional<std::string> CVEXARView::AskSaveFile(const std::string& folder, std::u16string_view name,
                                                std::u16string_view filter, std::u16string_view extension)
{
    // The commands ask about an existing file themselves.
    ui::FileDialogRequest request;
    request.owner = this;
    request.save = true;
    request.folder = folder;
    request.fileName = name;
    request.filter = filter;
    request.defaultExtension = extension;
    return ui::FileDialog(request);
}

// ---- Naming ------------------------------------------------------------------------

bool CVEXARView::AskParameterFileName()
{
    std::u16string identification;
    {
        std::lock_guard lock(m_app.m_csIdent);
        identification = m_app.m_bLinked ? m_app.m_strEcuIdent : m_app.m_strConfigName;
    }
    QFont font;
    CUtility::CreateFontPt(font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    auto fill = [&](auto& dialog) {
        dialog.m_strLangFile = m_strLangFile;
        dialog.m_font = font;
        dialog.m_crText = m_layout.textColour;
        dialog.m_crValue = m_layout.valueColour;
        dialog.m_strRootFolder = ToUtf16(m_strParamFolder);
        dialog.m_strCalibFolder = m_strCalibFolder;
        dialog.m_strCalibName = m_strCalibName;
        dialog.m_strEcuType = m_strEcuFamily;
        dialog.m_strEcuIdent = identification;
    };
    auto take = [this](auto& dialog) {
        if (dialog.DoModal() != ui::IDOK)
            return false;
        m_strCalibFolder = dialog.m_strNewFolder;
        m_strCalibName = dialog.m_strNewName;
        return true;
    };
    if (m_app.m_nProtocol == 0) {
        CDlgNomeFilePCKD01 dialog(this);
        fill(dialog);
        return take(dialog);
    }
    CDlgNomeFilePC dialog(this);
    fill(dialog);
    dialog.m_strExeFolder = m_strExeFolder;
    return take(dialog);
}

// ---- Save ------------------------------------------------------------------------

void CVEXARView::OnBtnSaveCurrentConfiguration()
{
    if (m_hProgram != 0 || m_app.m_bBusy || !CalibrationLoaded())
        return;
    CCommenti& comments = m_parFile.GetCommenti();
    std::optional<COMMENTO> typed;
    {
        CDlgInsComm dialog(m_app, this);
        dialog.m_strLangFile = m_strLangFile;
        CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize,
                               m_layout.pageFontBold != 0);
        dialog.m_crButtonText = m_layout.textColour;
        dialog.m_crEditText = m_layout.valueColour;
        if (dialog.DoModal() == ui::IDOK) {
            typed = COMMENTO{dialog.m_strComment, m_app.m_clock()};
            comments.AddComment(*typed);
        }
    }

    std::string target;
    if (AskParameterFileName()) {
        CUtility::CreateFullPath(ToUtf8(m_strCalibFolder));
        target = ToUtf8(m_strCalibFolder + m_strCalibName);
    } else {
        if (const std::optional<std::string> path =
                AskSaveFile(EcuParamFolder(), m_strCalibName.empty() ? u"Parametri.dat" : m_strCalibName,
                            kDatFilter, u".dat")) {
            target = *path;
            m_strCalibName = NameOfPath(ToUtf16(target));
        }
    }
    SetCalibrationNameField();
    if (target.empty())
        return;

    if (FileExists(target)) {
        if (ui::MessageBox(this, LangFormat(3078, ToUtf16(target)), std::u16string(),
                           ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
            return;
        SetWaitCursor(true);
        const bool saved = SaveParameterFile(target);
        SetWaitCursor(false);
        if (!saved)
            ReportError(Format(u"Error to write file %s!", target));
        return;
    }
    // A new file holds only the comment just typed; until it is written the
    // loaded comments stay, so that a failed save loses none of them.
    const CCommenti loaded = comments;
    comments.RemoveAll();
    if (typed)
        comments.AddComment(*typed);
    SetWaitCursor(true);
    const bool saved = SaveParameterFile(target);
    SetWaitCursor(false);
    if (!saved) {
        comments = loaded;
        ReportError(Format(u"Error to write file %s!", target));
    }
}

// ---- Load ------------------------------------------------------------------------

bool CVEXARView::ReadParameterFile(const std::string& path, std::u16string& fileFirmware, bool& nameFound)
{
    // What a failed read must put back.
    std::vector<std::uint8_t> master;
    std::vector<std::uint8_t> work;
    {
        std::lock_guard lock(m_app.m_csParImage);
        const auto size = static_cast<std::size_t>(std::max(m_app.m_nParSize, 0));
        if (m_app.m_pParMaster)
            master.assign(m_app.m_pParMaster.get(), m_app.m_pParMaster.get() + size);
        if (m_app.m_pParWork)
            work.assign(m_app.m_pParWork.get(), m_app.m_pParWork.get() + size);
    }
    const CCommenti comments = m_parFile.GetCommenti();
    const CModifica history = m_parFile.GetModifiche();

    auto count = [](const CTRL_TABLE* table) { return table ? static_cast<std::int32_t>(table->size()) : 0; };
    auto entries = [](const CTRL_TABLE* table) { return table ? table->data() : nullptr; };
    m_parFile.SetFileName(path);
    m_parFile.SetControls(count(m_app.m_pParTable), entries(m_app.m_pParTable), count(m_app.m_pDiagTable3),
                          entries(m_app.m_pDiagTable3));
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    if (m_parFile.Read(m_strEcuFamily, configName, fileFirmware, std::string(), nameFound) == 0) {
        CUtility::RefreshAllCtrls(*m_app.m_pParTable);
        CUtility::ShowOneCtrlPerGroup(m_app, *m_app.m_pParTable, false);
        return true;
    }
    {
        std::lock_guard lock(m_app.m_csParImage);
        if (m_app.m_pParMaster && master.size() == static_cast<std::size_t>(m_app.m_nParSize))
            std::memcpy(m_app.m_pParMaster.get(), master.data(), master.size());
        if (m_app.m_pParWork && work.size() == static_cast<std::size_t>(m_app.m_nParSize))
            std::memcpy(m_app.m_pParWork.get(), work.data(), work.size());
    }
    m_parFile.GetCommenti() = comments;
    m_parFile.GetModifiche() = history;
    // Every control shows the image again: what the broken file gave them
    // goes.
    for (const CTRL_TABLE* table : {m_app.m_pParTable, m_app.m_pDiagTable3})
        if (table)
            for (const CTRL_WND& entry : *table)
                if (entry.wnd)
                    m_app.PostToControl(entry.wnd, link::WM_CTRL_FORCE_REFRESH);
    return false;
}

void CVEXARView::OnBtnLoadNewConfiguration()
{
    if (m_hProgram != 0 || m_app.m_bBusy || !CalibrationLoaded())
        return;
    ui::FileDialogRequest request;
    request.owner = this;
    request.save = false;
    request.folder = EcuParamFolder();
    request.filter = kDatFilter;
    request.defaultExtension = u".dat";
    request.mustExist = true;
    const std::optional<std::string> chosen = ui::FileDialog(request);
    if (!chosen)
        return;
    const std::string path = *chosen;

    bool writeToEcu = false;
    if (m_app.m_bLinked && m_app.m_nEdition != 5)
        writeToEcu =
            ui::MessageBox(this, LangText(3103), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES;

    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    std::u16string fileFirmware;
    if (m_parFile.CheckFirmware(path, configName, fileFirmware) != 0 && !fileFirmware.empty()) {
        if (ui::MessageBox(this, Format(LangText(3125), fileFirmware, configName), std::u16string(),
                           ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
            return;
    }

    ui::SendMessage(&m_frame, ui::WindowMessage{link::WM_BUSY_WINDOW, 1, 0, nullptr});
    bool nameFound = false;
    fileFirmware.clear();
    if (ReadParameterFile(path, fileFirmware, nameFound)) {
        // The names, the start file and Calib.cfg follow a read that
        // succeeded only.
        const std::u16string path16 = ToUtf16(path);
        if (path16.find(u'/') != std::u16string::npos) {
            m_strCalibName = NameOfPath(path16);
            m_strCalibFolder = FolderOfPath(path16);
            UpdateTitle();
            m_strStartFolder = m_strCalibFolder;
            m_strStartName = m_strCalibName;
            m_strStartFirmware.clear();
            CParametriFile header("", u"InfoFileParametri");
            std::u16string firmware;
            if (header.ReadHeader(path, firmware) == 0)
                m_strStartFirmware = firmware;
            WriteCalibSettings();
        }
        if (!nameFound)
            SetCalibrationNameField();
        if (writeToEcu)
            ui::PostMessage(this, ui::WindowMessage{WM_WRITE_ALL_REQUEST, 0, 0, nullptr});
        PostDiagRefreshSplit();
    } else {
        ui::MessageBox(this, LangText(fileFirmware.empty() ? 3106 : 3207), std::u16string(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
    }
    ui::SendMessage(&m_frame, ui::WindowMessage{link::WM_BUSY_WINDOW, 0, 0, nullptr});
}

void CVEXARView::LoadParameterFile()
{
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    const std::u16string& start = m_strStartFirmware;
    const bool suits = start.size() >= 11 && configName.size() >= 11 && start[0] == configName[0] &&
                       start[1] == configName[1] && start[2] == configName[2] && start[10] == configName[10];
    if (!suits) {
        m_strStartFolder.clear();
        m_strStartName.clear();
        m_strStartFirmware.clear();
        return;
    }
    if (!CalibrationLoaded())
        return;
    std::u16string fileFirmware;
    bool nameFound = false;
    if (!ReadParameterFile(ToUtf8(m_strStartFolder + m_strStartName), fileFirmware, nameFound))
        return;
    m_strCalibFolder = m_strStartFolder;
    m_strCalibName = m_strStartName;
    UpdateTitle();
    if (!nameFound)
        SetCalibrationNameField();
}

// ---- Reset ------------------------------------------------------------------------

void CVEXARView::OnBtnResetMemory()
{
    if (m_hProgram != 0 || m_app.m_bBusy || !CalibrationLoaded())
        return;
    if (ui::MessageBox(this, LangText(3104), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
        return;
    SetWaitCursor(true);
    for (const CTRL_TABLE* table : {m_app.m_pParTable, m_app.m_pDiagTable3})
        if (table)
            for (const CTRL_WND& entry : *table)
                if (entry.wnd)
                    m_app.PostToControl(entry.wnd, link::WM_CTRL_SET_DEFAULT);
    CUtility::ShowOneCtrlPerGroup(m_app, *m_app.m_pParTable, false);
    SetWaitCursor(false);
    if (m_app.m_bLinked && m_app.m_nEdition != 5 &&
        ui::MessageBox(this, LangText(3103), std::u16string(), ui::MB_YESNO | ui::MB_ICONQUESTION) == ui::IDYES)
        ui::PostMessage(this, ui::WindowMessage{WM_WRITE_ALL_REQUEST, 0, 0, nullptr});
    PostDiagRefreshSplit();
}

// ---- Comments, comparison, export ------------------------------------------------------

std::u16string CVEXARView::BuildCommentsText() const
{
    std::u16string text;
    for (const COMMENTO& comment : m_parFile.GetCommenti().GetList())
        text += FormatLocalTime(comment.time, u"%A, %d/%m/%Y") + u"\r\n" + FormatLocalTime(comment.time, u"%H:%M:%S") +
                u"\r\n" + Trim(comment.text) + u"\r\n";
    return text;
}

void CVEXARView::OnComments()
{
    CDlgViewComm dialog(m_app, this);
    dialog.m_strLangFile = m_strLangFile;
    CUtility::CreateFontPt(dialog.m_font, m_layout.pageFontFace, m_layout.pageFontSize, m_layout.pageFontBold != 0);
    dialog.m_crButtonText = m_layout.textColour;
    dialog.m_strComment = BuildCommentsText();
    dialog.DoModal();
}

void CVEXARView::OnCompareParameterFiles()
{
    if (m_hProgram != 0)
        return;
    CDlgCmpFilePC dialog(this);
    dialog.m_strLangFile = m_strLangFile;
    CUtility::CreateFontPt(dialog.m_font, u"Courier New", m_layout.pageFontSize, m_layout.pageFontBold != 0);
    // Where the face is not installed, any fixed-pitch face.
    dialog.m_font.setStyleHint(QFont::TypeWriter);
    dialog.m_font.setFixedPitch(true);
    dialog.m_crText = m_layout.textColour;
    dialog.m_strRootFolder = ToUtf16(m_strParamFolder);
    dialog.m_strEcuType = m_strEcuFamily;
    dialog.DoModal();
}

void CVEXARView::OnExportBinary()
{
    if (m_hProgram != 0 || !CalibrationLoaded())
        return;
    std::string target;
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = m_app.m_strConfigName;
    }
    const std::string dialogFolder = m_strParamFolder + ToUtf8(m_strEcuFamily) + "/" + ToUtf8(configName) + "/";
    if (m_strCalibName.empty()) {
        CUtility::CreateFullPath(dialogFolder);
        const std::optional<std::string> path =
            AskSaveFile(dialogFolder, u"Parametri.bin", u"Bin Files (*.bin)|*.bin|", u".bin");
        if (!path)
            return;
        target = *path;
    } else {
        // Beside the calibration, never in whatever folder the process
        // happens to run in.
        std::string folder = !m_strCalibFolder.empty() ? ToUtf8(m_strCalibFolder) : dialogFolder;
        if (folder.back() != '/')
            folder += '/';
        CUtility::CreateFullPath(folder);
        target = folder + ToUtf8(calib::ExportFileName(m_strCalibName));
    }
    if (FileExists(target) && ui::MessageBox(this, LangFormat(3078, ToUtf16(target)), std::u16string(),
                                             ui::MB_YESNO | ui::MB_ICONQUESTION) != ui::IDYES)
        return;
    if (!platform::WriteFileAtomically(target, m_app.m_pParWork.get(), static_cast<std::size_t>(m_app.m_nParSize)))
        ReportError(Format(u"Error to write file %s!", target));
}
