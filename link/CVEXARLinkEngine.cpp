// The link engine of CVEXARLink: finding the ECU on the COM ports with
// either protocol, its identification, the end of the link, the whole-image
// transfers, single range writes and the memory and variable services of
// the maintenance and diagnosis windows. Everything here runs on the link
// worker. Images are copied between master and link buffer under their
// lock; no protocol call runs under a lock.

#include "link/CVEXARLink.h"

#include "common/CUtilityToolbox.h"
#include "common/NoCase.h"
#include "common/Text.h"
#include "link/LinkMessages.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace vexar::link {

namespace {

// Caption text ids of the progress window.
constexpr std::uintptr_t kCaptionReadAll = 3074;
constexpr std::uintptr_t kCaptionWriteAll = 3102;

// The first protocol addresses bytes with one-byte indexes.
constexpr std::int64_t kOldProtocolSpace = 256;
constexpr std::int64_t kNewProtocolSpace = 65536;

std::u16string ComPath(unsigned port) { return Format(u"\\\\.\\COM%d", static_cast<int>(port)); }

}  // namespace

std::u16string IdentText(const std::array<std::uint8_t, 12>& buffer)
{
    const auto end = std::find(buffer.begin(), buffer.end(), std::uint8_t{0});
    return FromCp1252(std::string(buffer.begin(), end));
}

// ---- Failures and refusals ----------------------------------------------------------

void CVEXARLink::ApplyFailureRule(int result, int code)
{
    if (m_bRemoteMaster && result == RES_REMOTE_GONE)
        HandleSlaveLost();
    else
        Disconnect(code);
}

void CVEXARLink::WriteProtocolLog(const std::u16string& text)
{
    if (m_nProtocol == 0)
        m_serial.WriteLog(text);
    else
        m_serialNew.WriteLog(text);
}

bool CVEXARLink::RangeAllowed(std::int64_t address, std::int64_t count, std::int64_t limit, const char16_t* what)
{
    if (address >= 0 && count >= 0 && address + count <= limit)
        return true;
    WriteProtocolLog(Format(u"%s rifiutata: %ld byte dall'indirizzo %ld escono dall'area di %ld byte.", what,
                            static_cast<long>(count), static_cast<long>(address), static_cast<long>(limit)));
    return false;
}

bool CVEXARLink::SizeAllowed(int size, const char16_t* what)
{
    if (size >= 1 && size <= 4)
        return true;
    WriteProtocolLog(Format(u"%s rifiutata: dimensione di %d byte non ammessa (da 1 a 4).", what, size));
    return false;
}

std::int64_t CVEXARLink::OldProtocolLimit(int imageSize) const
{
    return std::min<std::int64_t>(imageSize, kOldProtocolSpace);
}

int CVEXARLink::SessionOfActiveProtocol(std::uint8_t flag)
{
    return m_nProtocol == 0 ? m_serial.Session(flag) : m_serialNew.Session(flag);
}

// ---- Connect -------------------------------------------------------------------------

void CVEXARLink::Connect()
{
    const int configured = m_nProtocol;
    int result = configured == 0 ? ScanPortsOldProtocol() : ScanPortsNewProtocol();
    if (result == LINK_READ_FAILED)
        result = configured == 0 ? ScanPortsNewProtocol() : ScanPortsOldProtocol();

    if (result == LINK_IDENT_MISMATCH) {
        // The identity check has told the view or the frame.
        Post(UiWindow::View, WM_LINK_IDLE);
        return;
    }
    if (m_bLinked) {
        m_bForceVarRefresh = 1;
        m_timer.EnableTimer(kChannelPoll);
        NotifyBoundControls(true);
        CollectPolledVariables();
    }
    const std::uint8_t linked = m_bLinked;
    Post(UiWindow::MainFrame, WM_LINK_STATE, linked, result);
    Post(UiWindow::View, WM_LINK_IDLE);
    Post(UiWindow::View, WM_LINK_STATE, linked, result);
    Post(UiWindow::MaintPage, WM_LINK_STATE, linked, result);
    RefreshDiagnosisWindow(false);
}

int CVEXARLink::ScanPortsOldProtocol() { return ScanPorts(0); }

int CVEXARLink::ScanPortsNewProtocol() { return ScanPorts(1); }

int CVEXARLink::ScanPorts(int protocol)
{
    if (m_comPorts.empty())
        return LINK_READ_FAILED;
    int result = LINK_WRITE_FAILED;

    const auto listed = std::find(m_comPorts.begin(), m_comPorts.end(), static_cast<unsigned>(m_nComPort));
    const bool hasStart = listed != m_comPorts.end();
    const std::size_t start = hasStart ? static_cast<std::size_t>(listed - m_comPorts.begin()) : 0;
    if (!hasStart)
        m_szComPath = ComPath(m_comPorts[start]);

    // The commands of the protocol being scanned with.
    const auto open = [&](int port) {
        return protocol == 0 ? m_serial.OpenPort(port, m_szComPath, m_nBaud, 0, 8, 1, 512, 512)
                             : m_serialNew.OpenPort(port, m_szComPath, m_nBaud, 0, 8, 1, 512, 512);
    };
    const auto close = [&] { protocol == 0 ? m_serial.ClosePort(0) : m_serialNew.ClosePort(0); };

    std::size_t at = start;
    bool mismatch = false;
    for (std::size_t tried = 0; tried < m_comPorts.size() && !m_bLinked && !mismatch; ++tried) {
        const bool opened = open(static_cast<int>(m_comPorts[at])) == 0;
        if (opened) {
            std::array<std::uint8_t, 12> ident{};
            const auto identBytes = std::span<std::uint8_t, 11>(ident.data(), 11);
            const bool answered = protocol == 0
                                      ? m_serial.Session(1) == RES_OK && m_serial.ReadIdent(identBytes) == RES_OK
                                      : m_serialNew.Session(1) == RES_OK && m_serialNew.ReadIdent(identBytes) == RES_OK;
            if (!answered) {
                std::lock_guard lock(m_csAutoSelect);
                m_bAutoSelect = 1;
                result = LINK_READ_FAILED;
            } else {
                const std::u16string text = IdentText(ident);
                if (CheckEcuIdentity(text, protocol)) {
                    m_nProtocol = protocol;
                    if (protocol == 1) {
                        {
                            std::lock_guard lock(m_csBaud);
                            m_nBaudCurrent = m_nBaud;
                        }
                        SetNewProtocolBaud();
                    }
                    {
                        std::lock_guard lock(m_csIdent);
                        m_strEcuIdent = text;
                    }
                    const std::span<std::uint8_t> main(m_pParLink.get(), static_cast<std::size_t>(m_nParSize));
                    const std::span<std::uint8_t> aux(m_pVarLink.get(), static_cast<std::size_t>(m_nVarSize));
                    if (protocol == 0) {
                        m_serial.SetMainImage(main);
                        m_serial.SetAuxImage(aux);
                    } else {
                        m_serialNew.SetMainImage(main);
                        m_serialNew.SetAuxImage(aux);
                    }
                    m_bLinked = 1;
                    ReadWholeImage();
                    // A whole-image read that dropped the link leaves this
                    // port without an ECU to speak of.
                    result = m_bLinked ? LINK_OK : LINK_READ_FAILED;
                } else {
                    result = LINK_IDENT_MISMATCH;
                    mismatch = true;
                }
            }
        }
        if (opened && !m_bLinked)
            close();
        if (!m_bLinked && !mismatch) {
            at = (at + 1) % m_comPorts.size();
            m_szComPath = ComPath(m_comPorts[at]);
        }
    }

    if (hasStart && at == start)
        return result;
    m_nComPort = static_cast<int>(m_comPorts[at]);
    Post(UiWindow::View, WM_SAVE_SESSION);
    return result;
}

bool CVEXARLink::CheckEcuIdentity(const std::u16string& ident, int protocolFlag)
{
    std::u16string configName;
    {
        std::lock_guard lock(m_csIdent);
        m_strIdentRead.clear();
        configName = m_strConfigName;
    }
    if (CUtility::CompareEcuCodes(ToUpper(configName), ToUpper(ident)))
        return true;

    {
        std::lock_guard lock(m_csIdent);
        m_strIdentRead = ident;
    }
    bool autoSelect = false;
    {
        // Auto-select serves one reconnect; the next mismatch is reported
        // as an unknown ECU and arms it again.
        std::lock_guard lock(m_csAutoSelect);
        autoSelect = m_bAutoSelect != 0;
        m_bAutoSelect = autoSelect ? 0 : 1;
    }
    if (autoSelect)
        Post(UiWindow::View, WM_ECU_MISMATCH, static_cast<std::uintptr_t>(protocolFlag));
    else
        Post(UiWindow::MainFrame, WM_UNKNOWN_ECU);
    return false;
}

// ---- Disconnect ------------------------------------------------------------------------

void CVEXARLink::Disconnect(int code)
{
    m_timer.DisableTimer(kChannelPoll);
    m_timer.DisableTimer(kChannelAcquisition);
    if (m_nProtocol == 0)
        CloseOldProtocolSession();
    else
        CloseNewProtocolSession();
    m_bLinked = 0;
    // The diagnosis window turns its switch off without a request when it
    // hears of the loss: a reconnect must not poll behind a switch that
    // shows off.
    m_bDiagPolling = 0;
    {
        std::lock_guard lock(m_csIdent);
        m_strEcuIdent.clear();
    }
    NotifyBoundControls(false);
    Post(UiWindow::MainFrame, WM_LINK_STATE, 0, code);
    Post(UiWindow::View, WM_LINK_STATE, 0, code);
    Post(UiWindow::AcqPage, WM_ACQ_STOPPED);
    Post(UiWindow::ProgressWindow, WM_PROGRESS_CLOSE);
    Post(UiWindow::MaintPage, WM_LINK_STATE, 0, code);
}

void CVEXARLink::CloseOldProtocolSession()
{
    m_serial.Session(0);
    m_serial.ClosePort(0);
}

void CVEXARLink::CloseNewProtocolSession()
{
    m_serialNew.Session(0);
    m_serialNew.ClosePort(0);
}

void CVEXARLink::RefreshDiagnosisWindow(bool startReset)
{
    if (!m_bLinked || m_nEdition == 5)
        return;
    Post(UiWindow::DiagWindow, WM_DIAG_RESET1_RELOAD);
    Post(UiWindow::DiagWindow, WM_DIAG_RESET2_RELOAD);
    Post(UiWindow::DiagWindow, WM_DIAG_RESET3_RELOAD);
    if (startReset)
        Post(UiWindow::DiagWindow, WM_DIAG_START_RESET);
}

// ---- Whole image -----------------------------------------------------------------------

void CVEXARLink::ReadWholeImage()
{
    SendToView(WM_PROGRESS_OPEN, kCaptionReadAll);
    ProgressPoster progress(*this);
    const int size = m_nParSize;
    int result = RES_OK;
    bool refused = false;
    if (m_nProtocol == 1) {
        result = m_serialNew.ReadMain(0, static_cast<std::uint32_t>(size), &progress);
    } else if (!RangeAllowed(0, size, kOldProtocolSpace, u"Lettura dell'immagine")) {
        refused = true;
    } else {
        progress.PostRange(static_cast<std::size_t>(size));
        for (int i = 0; i < size && result == RES_OK; ++i) {
            result = m_serial.ReadByte(static_cast<std::uint8_t>(i));
            if (result == RES_OK)
                progress.PostStep(static_cast<std::size_t>(i) + 1);
        }
    }
    if (result != RES_OK) {
        // The master image keeps what it held: a half-read image is never
        // shown or saved as the ECU's.
        ApplyFailureRule(result, LINK_READ_FAILED);
    } else if (!refused) {
        std::lock_guard lock(m_csParImage);
        std::copy_n(m_pParLink.get(), size, m_pParMaster.get());
    }
    Post(UiWindow::ProgressWindow, WM_PROGRESS_CLOSE);

    if (!m_bLinked || m_nEdition == 5)
        return;
    Post(UiWindow::MainFrame, WM_BUSY_WINDOW, 1);
    if (const std::shared_ptr<const LinkCtrlTables> tables = CtrlTables()) {
        for (const CTRL_WND& entry : tables->parTable)
            if (!CUtility::IsCtrlEnabled(tables->Find(entry)))
                PostToControl(entry, WM_CTRL_REFRESH, 1);
        for (const CTRL_WND& entry : tables->diagTable3)
            if (!CUtility::IsCtrlEnabled(tables->Find(entry)))
                PostToControl(entry, WM_COMBO_REFRESH_ARRAY);
    }
    Post(UiWindow::View, WM_CTRL_FORCE_REFRESH);
    Post(UiWindow::MainFrame, WM_BUSY_WINDOW, 0);
}

void CVEXARLink::WriteWholeImage()
{
    const int size = m_nParSize;
    {
        std::lock_guard lock(m_csParImage);
        std::copy_n(m_pParMaster.get(), size, m_pParLink.get());
    }
    SendToView(WM_PROGRESS_OPEN, kCaptionWriteAll);
    ProgressPoster progress(*this);
    int result = RES_OK;
    if (m_nProtocol == 1) {
        result = m_serialNew.WriteMain(0, static_cast<std::uint32_t>(size), &progress);
    } else if (RangeAllowed(0, size, kOldProtocolSpace, u"Scrittura dell'immagine")) {
        progress.PostRange(static_cast<std::size_t>(size));
        for (int i = 0; i < size && result == RES_OK; ++i) {
            result = m_serial.WriteByte(static_cast<std::uint8_t>(i));
            if (result == RES_OK)
                progress.PostStep(static_cast<std::size_t>(i) + 1);
        }
    }
    if (result != RES_OK)
        ApplyFailureRule(result, LINK_READ_FAILED);
    if (m_bLinked) {
        // The ECU takes the new image with a new session; only a lost
        // remote slave matters here.
        if (SessionOfActiveProtocol(1) == RES_REMOTE_GONE && m_bRemoteMaster)
            HandleSlaveLost();
    }
    Post(UiWindow::ProgressWindow, WM_PROGRESS_CLOSE);
    RefreshDiagnosisWindow(true);
}

// ---- Single changes and memory access --------------------------------------------------------

void CVEXARLink::WriteRange(int offset, int count)
{
    if (!m_bLinked)
        return;
    const std::int64_t limit = m_nProtocol == 0 ? OldProtocolLimit(m_nParSize) : m_nParSize;
    if (!RangeAllowed(offset, count, limit, u"Scrittura di parametri"))
        return;
    {
        std::lock_guard lock(m_csParImage);
        std::copy_n(m_pParMaster.get() + offset, count, m_pParLink.get() + offset);
    }
    int result = RES_OK;
    if (m_nProtocol == 1) {
        result = m_serialNew.WriteMain(static_cast<std::uint32_t>(offset), static_cast<std::uint32_t>(count), nullptr);
    } else {
        for (int i = offset; i < offset + count && result == RES_OK; ++i)
            result = m_serial.WriteByte(static_cast<std::uint8_t>(i));
    }
    if (result != RES_OK)
        ApplyFailureRule(result, LINK_WRITE_FAILED);
}

void CVEXARLink::ServeWriteMemory(const MEMORY_REQUEST& request)
{
    const int size = request.size;
    if (!SizeAllowed(size, u"Scrittura in memoria"))
        return;
    if (m_nProtocol == 1) {
        if (!RangeAllowed(request.address, size, kNewProtocolSpace, u"Scrittura in memoria"))
            return;
        const int result = m_serialNew.WriteMem(request.address, static_cast<std::uint32_t>(size),
                                                std::span<const std::uint8_t>(request.value.data(), size));
        if (result != RES_OK)
            ApplyFailureRule(result, LINK_WRITE_FAILED);
        return;
    }
    if (!RangeAllowed(request.address, size, OldProtocolLimit(m_nParSize), u"Scrittura in memoria"))
        return;
    {
        std::lock_guard lock(m_csParImage);
        std::copy_n(request.value.data(), size, m_pParMaster.get() + request.address);
    }
    std::copy_n(request.value.data(), size, m_pParLink.get() + request.address);
    for (int i = 0; i < size; ++i) {
        const int result = m_serial.WriteByte(static_cast<std::uint8_t>(request.address + i));
        if (result != RES_OK) {
            ApplyFailureRule(result, LINK_WRITE_FAILED);
            return;
        }
    }
}

void CVEXARLink::ServeReadMemory(std::unique_ptr<MEMORY_REQUEST> request)
{
    // Every read is answered, refused ones too, so the page never waits;
    // lParam carries the result and the value stays zero unless read.
    const int result = ReadMemoryInto(*request);
    if (m_pUiSink)
        m_pUiSink->Post(UiWindow::MaintPage, nullptr,
                        LinkMessage{WM_LINK_READ_MEMORY, 0, result, std::unique_ptr<LinkPayload>(request.release())});
}

int CVEXARLink::ReadMemoryInto(MEMORY_REQUEST& request)
{
    const int size = request.size;
    const int address = request.address;
    if (!SizeAllowed(size, u"Lettura di memoria"))
        return RES_BAD_RANGE;
    if (m_nProtocol == 1) {
        if (!RangeAllowed(address, size, kNewProtocolSpace, u"Lettura di memoria"))
            return RES_BAD_RANGE;
        std::array<std::uint8_t, 256> bytes{};
        const int result = m_serialNew.ReadMem(request.address, static_cast<std::uint32_t>(size), bytes);
        if (result == RES_OK)
            std::copy_n(bytes.begin(), size, request.value.begin());
        else
            ApplyFailureRule(result, LINK_READ_FAILED);
        return result;
    }
    if (!RangeAllowed(address, size, OldProtocolLimit(m_nParSize), u"Lettura di memoria"))
        return RES_BAD_RANGE;
    int result = RES_OK;
    for (int i = 0; i < size && result == RES_OK; ++i) {
        result = m_serial.ReadByte(static_cast<std::uint8_t>(address + i));
        if (result != RES_OK)
            ApplyFailureRule(result, LINK_READ_FAILED);
    }
    if (m_bLinked) {
        std::copy_n(m_pParLink.get() + address, size, request.value.begin());
        std::lock_guard lock(m_csParImage);
        std::copy_n(m_pParLink.get() + address, size, m_pParMaster.get() + address);
    }
    return result;
}

void CVEXARLink::ServeMaskedWrite(const VARIABLE_WRITE& request)
{
    if (m_nProtocol == 1) {
        const int result = m_serialNew.MaskedWrite(static_cast<std::uint16_t>(request.address & 0xFFFF),
                                                   request.mask, request.value);
        // Any other failure leaves the link up.
        if (result == RES_REMOTE_GONE && m_bRemoteMaster)
            HandleSlaveLost();
        return;
    }
    if (!SizeAllowed(request.size, u"Scrittura di variabile") ||
        !RangeAllowed(request.address, request.size, kOldProtocolSpace, u"Scrittura di variabile"))
        return;
    // The bytes of both words in memory order are those to apply from the
    // address on.
    std::array<std::uint8_t, 4> keep{};
    std::array<std::uint8_t, 4> value{};
    std::memcpy(keep.data(), &request.mask, keep.size());
    std::memcpy(value.data(), &request.value, value.size());
    for (int i = 0; i < request.size; ++i) {
        const int result = m_serial.MaskedWriteAuxByte(static_cast<std::uint8_t>(request.address + i),
                                                       keep[static_cast<std::size_t>(i)],
                                                       value[static_cast<std::size_t>(i)]);
        if (result == RES_REMOTE_GONE && m_bRemoteMaster) {
            HandleSlaveLost();
            return;
        }
    }
}

void CVEXARLink::ServeReadVariable(const VARIABLE_READ& request)
{
    ReadVariableRange(request.address, request.length, nullptr);
    if (m_bLinked)
        Post(UiWindow::MaintPage, WM_LINK_READ_VARIABLE);
}

}  // namespace vexar::link
