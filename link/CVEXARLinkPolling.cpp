// Variable polling, acquisition sampling and the checklist read of
// CVEXARLink, on the link worker: which variables the shown windows need,
// merged into read blocks; every poll reads them and refreshes only the
// controls whose bytes changed since they were last told.

#include "link/CVEXARLink.h"

#include "config/CUtilityCodec.h"
#include "link/LinkMessages.h"

#include <algorithm>
#include <cstring>

namespace vexar::link {

namespace {

constexpr std::uintptr_t kCaptionReadList = 3269;
constexpr std::int64_t kOldProtocolSpace = 256;
constexpr std::int64_t kNewProtocolSpace = 65536;
// A first-protocol block read answers with its bytes in one frame of at
// most 255 bytes.
constexpr std::int64_t kOldProtocolBlock = 250;

void AddPair(std::vector<REC_UPLD_SV>& pairs, const CTRL_WND& entry)
{
    if (CUtility::IsPairMissing(entry.address, entry.size, pairs))
        pairs.push_back({entry.address, entry.size});
}

bool HasPair(const std::vector<REC_UPLD_SV>& pairs, const CTRL_WND& entry)
{
    return !CUtility::IsPairMissing(entry.address, entry.size, pairs);
}

}  // namespace

// ---- The polled lists ---------------------------------------------------------------------

void CVEXARLink::CollectPolledVariables()
{
    const std::shared_ptr<const LinkCtrlTables> tables = CtrlTables();
    if (!tables || !tables->varTable2Set)
        return;
    m_pollBlocks.clear();
    m_pollVarCtrls.clear();
    m_pollDiagCtrls.clear();
    std::vector<REC_UPLD_SV> pairs;

    if (m_bVarPageShown) {
        for (const CTRL_WND& entry : tables->varTable2)
            if (!entry.hidden)
                AddPair(pairs, entry);
    }
    if (m_bParWindowShown) {
        for (const CTRL_WND& entry : tables->varTable)
            if (entry.cursorLinked)
                AddPair(pairs, entry);
        for (const CTRL_WND& entry : tables->parTable3)
            if (!entry.hidden)
                AddPair(pairs, entry);
    }

    // Every control whose datum is read is refreshed, hidden or not: a
    // shared pair brings in all its controls.
    for (const CTRL_WND& entry : tables->varTable2)
        if (HasPair(pairs, entry))
            m_pollVarCtrls.push_back(entry);
    for (const CTRL_WND& entry : tables->varTable) {
        const bool listed = std::any_of(m_pollVarCtrls.begin(), m_pollVarCtrls.end(), [&](const CTRL_WND& polled) {
            return polled.key == entry.key && polled.address == entry.address && polled.size == entry.size;
        });
        if (HasPair(pairs, entry) && !listed)
            m_pollVarCtrls.push_back(entry);
    }
    for (const CTRL_WND& entry : tables->parTable3)
        if (HasPair(pairs, entry))
            m_pollVarCtrls.push_back(entry);

    if (m_bDiagPolling && m_bDiagWindowShown) {
        for (const CTRL_WND& entry : tables->diagTable2) {
            AddPair(pairs, entry);
            m_pollDiagCtrls.push_back(entry);
        }
    }
    CUtility::BuildUploadBlocks(m_nProtocol, pairs, m_pollBlocks);
}

void CVEXARLink::BuildAcquisitionList()
{
    m_acqCtrls.clear();
    m_acqBlocks.clear();
    m_acqTables = CtrlTables();
    if (!m_acqTables)
        return;
    std::vector<REC_UPLD_SV> pairs;
    for (const CTRL_WND& entry : m_acqTables->acqVarTable) {
        AddPair(pairs, entry);
        m_acqCtrls.push_back(entry);
    }
    CUtility::BuildUploadBlocks(m_nProtocol, pairs, m_acqBlocks);
}

// ---- Reading variables ------------------------------------------------------------------

bool CVEXARLink::ReadVariableRange(int address, int length, ProgressTarget* progress)
{
    if (!RangeAllowed(address, length, m_nVarSize, u"Lettura di variabili"))
        return false;
    int result = RES_OK;
    if (m_nProtocol == 0) {
        if (!RangeAllowed(address, length, kOldProtocolSpace, u"Lettura di variabili") ||
            !RangeAllowed(0, length, kOldProtocolBlock, u"Lettura di variabili (lunghezza)"))
            return false;
        result = m_serial.ReadAuxBlock(static_cast<std::uint8_t>(address), static_cast<std::uint8_t>(length));
    } else {
        if (!RangeAllowed(address, length, kNewProtocolSpace, u"Lettura di variabili"))
            return false;
        result = m_serialNew.ReadAux(static_cast<std::uint32_t>(address), static_cast<std::uint32_t>(length), progress);
    }
    {
        std::lock_guard lock(m_csVarImage);
        std::copy_n(m_pVarLink.get() + address, length, m_pVarMaster.get() + address);
    }
    if (result != RES_OK) {
        ApplyFailureRule(result, LINK_READ_FAILED);
        return false;
    }
    return true;
}

bool CVEXARLink::ReadVariablesByList(std::uint16_t value, const std::vector<REC_UPLD_SV>& blocks,
                                     ProgressTarget* progress)
{
    for (const REC_UPLD_SV& block : blocks)
        if (!RangeAllowed(block.address, block.length, m_nVarSize, u"Lettura di variabili per lista"))
            return false;
    const int result = m_serialNew.UploadList(value, blocks, progress);
    if (result != RES_OK) {
        ApplyFailureRule(result, LINK_READ_FAILED);
        return false;
    }
    std::lock_guard lock(m_csVarImage);
    for (const REC_UPLD_SV& block : blocks)
        std::copy_n(m_pVarLink.get() + block.address, block.length, m_pVarMaster.get() + block.address);
    return true;
}

bool CVEXARLink::ReadPolledBlocks(const std::vector<REC_UPLD_SV>& blocks, std::uint16_t value,
                                  ProgressTarget* progress)
{
    if (blocks.empty())
        return true;
    if (m_nProtocol == 0) {
        for (const REC_UPLD_SV& block : blocks)
            if (!ReadVariableRange(block.address, block.length, nullptr))
                return false;
        return true;
    }
    if (m_bListUpload)
        return ReadVariablesByList(value, blocks, progress);
    // One range that covers every block.
    std::int64_t end = 0;
    for (const REC_UPLD_SV& block : blocks)
        end = std::max<std::int64_t>(end, std::int64_t{block.address} + block.length);
    const std::int32_t start = blocks.front().address;
    return ReadVariableRange(start, static_cast<int>(end - start), progress);
}

// ---- The poll ------------------------------------------------------------------------------

bool CVEXARLink::BytesChanged(const CTRL_WND& entry) const
{
    if (entry.address < 0 || entry.size < 0 || std::int64_t{entry.address} + entry.size > m_nVarSize)
        return false;
    return std::memcmp(m_pVarLink.get() + entry.address, m_pVarLast.get() + entry.address,
                       static_cast<std::size_t>(entry.size)) != 0;
}

void CVEXARLink::PollVariables()
{
    if (m_nVarSize < 1 || !m_bLinked || m_pollBlocks.empty())
        return;
    ReadPolledBlocks(m_pollBlocks, static_cast<std::uint16_t>(m_nPollPeriod.load()), nullptr);
    {
        std::lock_guard lock(m_csVarImage);
        std::copy_n(m_pVarLink.get(), m_nVarSize, m_pVarMaster.get());
    }
    if (m_bLinked) {
        for (const CTRL_WND& entry : m_pollVarCtrls)
            if (m_bForceVarRefresh || BytesChanged(entry))
                PostToControl(entry, WM_CTRL_REFRESH);
        m_bForceVarRefresh = 0;
        for (const CTRL_WND& entry : m_pollDiagCtrls)
            if (m_bForceDiagRefresh || BytesChanged(entry))
                PostToControl(entry, WM_CTRL_REFRESH);
        m_bForceDiagRefresh = 0;
    }
    // A change is announced once: the last values take the new bytes.
    for (const REC_UPLD_SV& block : m_pollBlocks) {
        if (block.address < 0 || std::int64_t{block.address} + block.length > m_nVarSize)
            continue;
        std::copy_n(m_pVarLink.get() + block.address, block.length, m_pVarLast.get() + block.address);
    }
}

// ---- Acquisition --------------------------------------------------------------------------

void CVEXARLink::AcquisitionSample()
{
    if (!m_bLinked || m_acqBlocks.empty())
        return;
    const int period = m_nAcqPeriod;
    m_nAcqElapsed += period;
    ReadPolledBlocks(m_acqBlocks, static_cast<std::uint16_t>(period), nullptr);
    if (!m_bLinked)
        return;

    // The recorded controls decode a copy of the variable bytes taken under
    // the lock, never the shared image itself.
    {
        std::lock_guard lock(m_csVarImage);
        m_varCopy.assign(m_pVarMaster.get(), m_pVarMaster.get() + m_nVarSize);
    }
    const double seconds = m_nAcqElapsed / 1000.0;
    for (std::size_t i = 0; i < m_acqCtrls.size(); ++i) {
        const CTRL_WND& entry = m_acqCtrls[i];
        auto sample = std::make_unique<ACQ_SAMPLE_MESSAGE>();
        sample->sample.time = seconds;
        sample->sample.raw = CUtility::GetCtrlRawValue(m_acqTables ? m_acqTables->Find(entry) : nullptr, m_varCopy,
                                                       m_bLittleEndian != 0);
        sample->sample.marker = i + 1 == m_acqCtrls.size() ? 4 : 3;
        PostToControl(entry, WM_ACQ_SAMPLE, 0, std::move(sample));
    }
    Post(UiWindow::AcqPage, WM_ACQ_TICK);
}

// ---- Checklist ------------------------------------------------------------------------------

void CVEXARLink::ReadListBlocks()
{
    std::vector<REC_UPLD_SV> blocks;
    CTRL_TABLE controls;
    {
        std::lock_guard lock(m_csLists);
        blocks = m_listBlocks;
        controls = m_listCtrls;
    }
    if (!m_bLinked || blocks.empty())
        return;
    SendToView(WM_PROGRESS_OPEN, kCaptionReadList);
    ProgressPoster progress(*this);
    bool read = true;
    if (m_nProtocol == 0) {
        progress.PostRange(blocks.size());
        for (std::size_t i = 0; i < blocks.size() && read; ++i) {
            read = ReadVariableRange(blocks[i].address, blocks[i].length, nullptr);
            if (read)
                progress.PostStep(i + 1);
        }
    } else {
        read = ReadPolledBlocks(blocks, static_cast<std::uint16_t>(m_nPollPeriod.load()), &progress);
    }
    Post(UiWindow::ProgressWindow, WM_PROGRESS_CLOSE);
    // A checklist is written only from values that were all read.
    if (!read)
        return;
    for (const CTRL_WND& entry : controls)
        PostToControl(entry, WM_CTRL_REFRESH);
    Post(UiWindow::View, WM_CHECKLIST_READY);
}

}  // namespace vexar::link
