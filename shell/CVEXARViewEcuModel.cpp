// ECU model recognition: when the ECU on the bench is another model or
// firmware than the selected configuration, the installed configuration
// that fits its identification is loaded, kept in the session and
// connected with; when none fits the user is told which model and
// identification were looked for, and the frame reports the unknown ECU.
#include "shell/CVEXARView.h"

#include "common/NoCase.h"
#include "common/Text.h"
#include "link/LinkMessages.h"
#include "platform/ui/DialogResponder.h"
#include "platform/ui/Messages.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARApp.h"
#include "shell/core/EcuModel.h"

#include <QApplication>

using namespace vexar;
using namespace vexar::shell;

namespace {

// The wait cursor for the span of a search, on top of the view's own.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace

void CVEXARView::OnEcuMismatch(std::uintptr_t protocol)
{
    std::u16string identRead;
    {
        std::lock_guard lock(m_app.m_csIdent);
        identRead = m_app.m_strIdentRead;
    }
    if (SelectConfigurationForEcu(static_cast<std::int32_t>(protocol), identRead)) {
        // The connect is repeated with the chosen configuration once it is
        // loaded: after the worker has ended this attempt.
        m_bReconnectPending = true;
        RunDeferredLoad();
        return;
    }
    m_bConnecting = false;
    {
        std::lock_guard lock(m_app.m_csAutoSelect);
        m_app.m_bAutoSelect = 1;
    }
    ui::PostMessage(&m_frame, ui::WindowMessage{link::WM_UNKNOWN_ECU, 0, 0, nullptr});
    RunDeferredLoad();
}

bool CVEXARView::SelectConfigurationForEcu(std::int32_t protocol, const std::u16string& identification)
{
    std::u16string configName;
    {
        std::lock_guard lock(m_app.m_csIdent);
        configName = ToUpper(m_app.m_strConfigName);
    }
    std::u16string chosen = ToUpper(identification);
    std::u16string key;
    if (!DetectEcuModel(protocol, chosen, key))
        return false;
    // Names compare in upper case; the chosen one is spelt as on disk.
    if (ToUpper(chosen) == configName)
        return true;

    m_strEcuFamily = key;
    {
        std::lock_guard lock(m_app.m_csIdent);
        m_app.m_strConfigName = chosen;
    }
    UpdateStatusPanes();
    SetConfigurationPaths(key, chosen);
    // The images change only while the worker cannot use them; the session
    // names the new configuration once it is loaded.
    m_bLoadPending = true;
    m_bSessionPending = true;
    RunDeferredLoad();
    return true;
}

bool CVEXARView::DetectEcuModel(std::int32_t protocol, std::u16string& identification, std::u16string& key)
{
    identification = ToUpper(identification);
    std::vector<std::u16string> candidates;
    {
        WaitCursor wait;
        key = ChooseEcuModelKey(protocol, m_app.m_nEdition, identification);
        candidates = CollectEcuCandidates(m_catalogue, key, identification);
    }
    if (candidates.empty()) {
        ui::MessageBox(this, Format(LangText(3201), key, identification), std::u16string(),
                       ui::MB_OK | ui::MB_ICONEXCLAMATION);
        return false;
    }
    identification = candidates.back();
    return true;
}

void CVEXARView::AddUniqueString(std::vector<std::u16string>& list, const std::u16string& text)
{
    shell::AddUniqueString(list, text);
}
