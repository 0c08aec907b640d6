#include "pages/core/CCtrlCore.h"

#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "config/AcqSample.h"
#include "config/CUtilityCodec.h"
#include "config/CalibLine.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"

#include <algorithm>

using namespace vexar::link;

CCtrlCore::CCtrlCore(CVEXARPages& app, REC_CONTROLLO definition, bool hidden)
    : m_app(app), m_definition(std::move(definition)), m_conversion(&app), m_bCondHidden(hidden)
{
    m_conversion.SetConversion(m_definition.TIPO_CONV, m_definition.ID_GUI, &m_definition.CONVERSIONE,
                               m_definition.TIPO);
    m_lastSaved = m_definition.DEFAULT;
}

CCtrlCore::~CCtrlCore() = default;

CTRL_WND CCtrlCore::Entry() const
{
    CTRL_WND entry;
    entry.key = m_definition.ID_GUI;
    entry.category = m_definition.CATEGORIA;
    entry.access = m_definition.OPERATORE;
    entry.address = m_definition.LSB;
    entry.size = DatumSize();
    entry.hidden = m_bCondHidden ? 1 : 0;
    entry.wnd = const_cast<CCtrlCore*>(this);
    return entry;
}

bool CCtrlCore::UsesVariableImages() const
{
    return CUtility::IsLiveCategory(m_definition.CATEGORIA);
}

int CCtrlCore::DatumSize() const
{
    return CUtility::GetDatoSize(m_definition.TIPO);
}

// ---- Images ---------------------------------------------------------------------

CCtrlCore::Family CCtrlCore::ImageFamily() const
{
    if (UsesVariableImages())
        return {&m_app.m_csVarImage, m_app.m_pVarMaster.get(), m_app.m_pVarWork.get(), m_app.m_nVarSize};
    return {&m_app.m_csParImage, m_app.m_pParMaster.get(), m_app.m_pParWork.get(), m_app.m_nParSize};
}

bool CCtrlCore::DatumInside(const Family& family, int bytes) const
{
    const std::int64_t address = m_definition.LSB;
    return address >= 0 && bytes >= 0 && address + bytes <= family.size;
}

void CCtrlCore::CopyMasterToWork(const Family& family)
{
    const int bytes = DatumSize();
    if (!DatumInside(family, bytes))
        return;
    std::lock_guard lock(*family.lock);
    std::copy_n(family.master + m_definition.LSB, bytes, family.work + m_definition.LSB);
}

int CCtrlCore::EncodeValue(std::span<std::uint8_t> work, bool force)
{
    if (!IsBound())
        return 0;
    if (m_definition.FIXDEF == FIX_ON && m_bCondHidden && !force)
        return 0;
    int bytes = 0;
    if (!CUtility::WriteDatoValue(work, m_definition.LSB, RawFromShown(), bytes, m_definition.TIPO,
                                  m_definition.MASCHERA, m_app.m_bLittleEndian != 0))
        return 0;
    return bytes;
}

void CCtrlCore::PostWriteRequest(int byteCount)
{
    m_app.PostLinkRequest(WM_LINK_WRITE_RANGE, static_cast<std::uintptr_t>(m_definition.LSB), byteCount);
}

// ---- Refresh, store, write ----------------------------------------------------------------

void CCtrlCore::Refresh(std::uintptr_t wParam, bool force)
{
    const Family family = ImageFamily();
    if (!family.master || !family.work)
        return;
    CopyMasterToWork(family);
    ShowValue(wParam, force, family);
}

void CCtrlCore::ShowValue(std::uintptr_t wParam, bool force, const Family& family)
{
    if (!IsBound())
        return;
    // A hidden control of a shared datum keeps its old value; the one
    // chosen for its group is refreshed by force.
    if (m_definition.FIXDEF == FIX_ON && m_bCondHidden && !force)
        return;
    std::int32_t raw = 0;
    int bytes = 0;
    CUtility::ReadDatoValue(std::span<const std::uint8_t>(family.work, static_cast<std::size_t>(family.size)),
                            m_definition.LSB, raw, bytes, m_definition.TIPO, m_definition.MASCHERA,
                            m_app.m_bLittleEndian != 0);
    MoveShown([&] { ShowRaw(raw); });
    NotifyLinked(wParam, 1);
    if (HasDependencyLists())
        RunActions(1, true);
}

int CCtrlCore::EncodeOverMaster(const Family& family, bool force)
{
    // The datum's bytes are taken from the master image first: a flag or
    // field shares its bytes with others, and a working copy older than
    // the master (a read, another window's write) would put their old bits
    // back into the ECU with this one.
    CopyMasterToWork(family);
    return EncodeValue(std::span<std::uint8_t>(family.work, static_cast<std::size_t>(family.size)), force);
}

void CCtrlCore::WriteValue(bool post, bool force)
{
    const Family family = ImageFamily();
    if (!family.master || !family.work)
        return;
    const int bytes = EncodeOverMaster(family, force);
    if (bytes <= 0 || !DatumInside(family, bytes))
        return;
    {
        std::lock_guard lock(*family.lock);
        std::copy_n(family.work + m_definition.LSB, bytes, family.master + m_definition.LSB);
    }
    // Offline the master image keeps the value; the next whole-image
    // write carries it to the ECU.
    if (post && m_app.m_bLinked)
        PostWriteRequest(bytes);
}

void CCtrlCore::Store()
{
    WriteValue(false, true);
}

void CCtrlCore::CommitEdit()
{
    WriteValue(true, false);
    if (HasDependencyLists())
        RunActions(1, false);
    NotifyLinked(0, 1);
}

void CCtrlCore::UserEdit()
{
    m_previous = m_current;
    CommitEdit();
    m_current = Shown();
}

void CCtrlCore::Undo()
{
    PutShown(m_previous);
    CommitEdit();
    m_current = Shown();
}

void CCtrlCore::SetDefault()
{
    MoveShown([&] { ShowDefault(); });
    const Family family = ImageFamily();
    if (family.master && family.work) {
        const int bytes = EncodeOverMaster(family, false);
        if (bytes > 0 && DatumInside(family, bytes)) {
            std::lock_guard lock(*family.lock);
            std::copy_n(family.work + m_definition.LSB, bytes, family.master + m_definition.LSB);
        }
    }
    if (HasDependencyLists())
        RunActions(0, false);
    NotifyLinked(0, 0);
}

std::int32_t CCtrlCore::ReadRawValue()
{
    const Family family = ImageFamily();
    if (!family.master || !family.work)
        return 0;
    CopyMasterToWork(family);
    std::int32_t raw = 0;
    int bytes = 0;
    CUtility::ReadDatoValue(std::span<const std::uint8_t>(family.work, static_cast<std::size_t>(family.size)),
                            m_definition.LSB, raw, bytes, m_definition.TIPO, m_definition.MASCHERA,
                            m_app.m_bLittleEndian != 0);
    return raw;
}

double CCtrlCore::ReadImageValue()
{
    return m_conversion.ToPhysical(ReadRawValue());
}

void CCtrlCore::NotifyLinked(std::uintptr_t refreshWParam, std::uintptr_t storeWParam)
{
    CUtility::NotifyLinkedCtrls(m_app, m_app.m_bNotifyLinked, m_linked, refreshWParam, storeWParam);
}

// ---- Visibility -------------------------------------------------------------------------

void CCtrlCore::AddVisKey(std::int32_t key)
{
    const bool known = std::any_of(m_conditions.begin(), m_conditions.end(),
                                   [key](const REC_VIS& condition) { return condition.key == key; });
    if (!known)
        m_conditions.push_back(REC_VIS{key, 0});
}

int CCtrlCore::MetConditions() const
{
    return static_cast<int>(std::count_if(m_conditions.begin(), m_conditions.end(),
                                          [](const REC_VIS& condition) { return condition.visible == 1; }));
}

bool CCtrlCore::ProfileShows() const
{
    const std::int32_t profile = m_app.m_nOperator;
    return profile == OPR_PRV || profile == OPR_REM || (profile == OPR_PBL && m_definition.OPERATORE == OPR_PBL);
}

bool CCtrlCore::SetVisKey(std::int32_t key, bool hide)
{
    const auto condition = std::find_if(m_conditions.begin(), m_conditions.end(),
                                        [key](const REC_VIS& c) { return c.key == key; });
    if (condition == m_conditions.end())
        return false;
    condition->visible = hide ? 0 : 1;
    const bool wasHidden = m_bCondHidden;
    if (MetConditions() != static_cast<int>(m_conditions.size())) {
        ShowCtrl(false);
        m_bCondHidden = true;
    } else {
        // Every condition is met: the conditions no longer hide the
        // control, whatever the profile; it shows only where the profile
        // lets it, so a later change of profile can show it.
        m_bCondHidden = false;
        if (ProfileShows())
            ShowCtrl(true);
    }
    return wasHidden != m_bCondHidden;
}

void CCtrlCore::ShowCtrl(bool show)
{
    if (m_bCondHidden)
        return;
    ShowWindow(show);
}

// ---- Enabling -------------------------------------------------------------------------------

void CCtrlCore::EnableForLevel(std::int32_t profile)
{
    if (!TakesProfileEnable())
        return;
    bool enable = true;
    if (profile == OPR_LIMIT)
        enable = false;
    else if (profile != OPR_PRV && profile != OPR_REM && profile != OPR_SVIL)
        enable = Abilitato() != ABIL_NO;
    SetProfileEnabled(enable);
}

void CCtrlCore::SetProfileEnabled(bool enable)
{
    m_bProfileEnabled = enable;
    ApplyEnabled();
}

void CCtrlCore::EnableForLink(bool enable)
{
    m_bLinkEnabled = enable;
    ApplyEnabled();
}

void CCtrlCore::ApplyEnabled()
{
    ShowEnabled(m_bProfileEnabled, m_bLinkEnabled);
}

// ---- Dependencies --------------------------------------------------------------------------------

void CCtrlCore::RunActions(std::uintptr_t storeWParam, bool refresh)
{
    const std::vector<DependencyState> states = DependencyStates();
    if (states.empty())
        return;
    const std::int32_t own = m_definition.ID_GUI;
    bool hiddenChanged = false;
    for (const DependencyState& state : states) {
        for (const std::int32_t key : state.keys->ID_PAR) {
            hiddenChanged |= CUtility::SetCtrlValue(m_app.m_pParTable2, key, state.current, own);
            CUtility::PostCtrlRefresh(m_app, m_app.m_pParTable2, key, state.current, refresh, storeWParam);
        }
        for (const std::int32_t key : state.keys->ID_VAR) {
            hiddenChanged |= CUtility::SetCtrlValue(m_app.m_pVarTable2, key, state.current, own);
            hiddenChanged |= CUtility::SetCtrlValue(m_app.m_pParTable3, key, state.current, own);
        }
    }
    // The visible variable controls may have changed: the worker polls
    // only what shows.
    m_app.RequestPollRebuild(hiddenChanged);
}

void CCtrlCore::ApplyLinks()
{
    const std::int32_t own = m_definition.ID_GUI;
    for (const DependencyState& state : DependencyStates()) {
        for (const std::int32_t key : state.keys->ID_PAR)
            CUtility::AddVisibilityLink(m_app.m_pParTable2, key, own);
        for (const std::int32_t key : state.keys->ID_VAR) {
            CUtility::AddVisibilityLink(m_app.m_pVarTable2, key, own);
            CUtility::AddVisibilityLink(m_app.m_pParTable3, key, own);
        }
    }
}

// ---- Calibration and export lines ---------------------------------------------------------------

bool CCtrlCore::SaveParam(CCriptFile& file, CModifica& history)
{
    file.Write(CalibLine::Format(m_definition.IDENTIFICATORE, ValueText(), m_definition.COMMENTO));
    if (!IsBound() || !KeepsHistory())
        return true;
    const std::u16string now = vexar::Trim(HistoryValueText());
    const std::u16string before = vexar::Trim(m_lastSaved);
    if (!before.empty() && DiffersFromSaved(before, now)) {
        m_modifica.IDENTIFICATORE = m_definition.IDENTIFICATORE;
        m_modifica.PRECEDENTE = before;
        m_modifica.CORRENTE = now;
        m_modifica.time = m_app.m_clock();
        history.AddModification(m_modifica);
        m_lastSaved = now;
    }
    return true;
}

bool CCtrlCore::LoadParam(std::u16string line)
{
    std::u16string text = CalibLine::Split(line).value;
    if (!LoadValueText(text))
        return false;
    if (HasDependencyLists())
        RunActions(0, false);
    NotifyLinked(1, 1);
    if (IsBound())
        m_lastSaved = text;
    return true;
}

void CCtrlCore::ExportText(CStdioFileEx& file) const
{
    if (!HasExportLine())
        return;
    file.WriteString(m_definition.IDENTIFICATORE + u"\t" + m_definition.ETICHETTA + u"\t" + ExportValueText() +
                     u"\n");
}

// ---- Samples ------------------------------------------------------------------------------------

bool CCtrlCore::RecordsSamples() const
{
    return CUtility::IsLiveCategory(m_definition.CATEGORIA);
}

void CCtrlCore::OnAcqSample(const ACQ_SAMPLE& sample)
{
    GRAPH_POINT point;
    const bool live = m_app.m_bLiveSampleTarget;
    if (!CUtility::RecordAcqSample(m_app.m_acqFile, sample, m_conversion.ToPhysical(sample.raw), m_definition,
                                   live ? &point : nullptr))
        return;
    if (live) {
        auto message = std::make_unique<GRAPH_POINT_MESSAGE>();
        message->point = point;
        m_app.PostToWindow(UiWindow::View, WM_LIVE_SAMPLE, 0, 0, std::move(message));
    }
}

// ---- Messages -----------------------------------------------------------------------------------

bool CCtrlCore::HandleMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam, const LinkPayload* payload)
{
    switch (id) {
    case WM_CTRL_REFRESH:
        Refresh(wParam, false);
        return true;
    case WM_CTRL_FORCE_REFRESH:
        Refresh(1, true);
        return true;
    case WM_CTRL_STORE_WRITE:
        WriteValue(wParam != 0, lParam != 0);
        return true;
    case WM_CTRL_STORE:
        Store();
        return true;
    case WM_CTRL_ENABLE:
        EnableForLink(wParam != 0);
        return true;
    case WM_CTRL_SET_DEFAULT:
        SetDefault();
        return true;
    case WM_ACQ_SAMPLE:
        if (const auto* sample = dynamic_cast<const ACQ_SAMPLE_MESSAGE*>(payload); sample && RecordsSamples())
            OnAcqSample(sample->sample);
        return true;
    default:
        return false;
    }
}
