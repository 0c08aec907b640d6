#include "link/CVEXARLink.h"

#include "common/Text.h"
#include "config/ControlCodes.h"
#include "link/LinkMessages.h"
#include "link/SerialPort.h"

#include <algorithm>
#include <exception>
#include <system_error>

namespace vexar::link {

namespace {

// Initial periods of the channels, in ticks, in channel order.
constexpr unsigned kChannelTicks[] = {50, 50, 5, 5, 800, 10, 6000};
constexpr unsigned kMaxTicks = 65535;

// Posts WM_WORKER_ENDED when the worker body is left, whichever way.
class EndNotice {
public:
    explicit EndNotice(ILinkUiSink* sink) : m_sink(sink) {}
    ~EndNotice()
    {
        if (m_sink)
            m_sink->Post(UiWindow::MainFrame, nullptr, LinkMessage{WM_WORKER_ENDED, 0, 0, nullptr});
    }
    EndNotice(const EndNotice&) = delete;
    EndNotice& operator=(const EndNotice&) = delete;

private:
    ILinkUiSink* m_sink;
};

}  // namespace

int LinkThreadEntry(CVEXARLink* app)
{
    if (app == nullptr)
        return 1;
    app->LinkThreadProc();
    return 0;
}

CVEXARLink::CVEXARLink(LinkTiming timing)
    : m_serial(u"InfoSeriale", nullptr, timing.protocol),
      m_serialNew(u"InfoSerialeNew", nullptr, timing.protocol),
      m_timing(timing)
{
    m_serial.SetHost(&m_protocolHost);
    m_serialNew.SetHost(&m_protocolHost);
    m_protocolHost.SetBridge(&m_bridgeLine);
}

CVEXARLink::~CVEXARLink()
{
    SignalQuit();
    JoinLinkThread();
}

// ---- Thread ---------------------------------------------------------------------

bool CVEXARLink::StartLinkThread(ILinkUiSink* sink)
{
    std::lock_guard lock(m_threadLock);
    if (m_pLinkThread)
        return false;
    m_pUiSink = sink;
    try {
        m_pLinkThread = std::make_unique<std::thread>(LinkThreadEntry, this);
    } catch (const std::system_error&) {
        m_pLinkThread.reset();
        return false;
    }
    return true;
}

bool CVEXARLink::PostLinkRequest(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                 std::unique_ptr<LinkPayload> payload)
{
    {
        std::lock_guard lock(m_threadLock);
        if (!m_pLinkThread)
            return false;
    }
    m_linkQueue.Post(LinkMessage{id, wParam, lParam, std::move(payload)});
    return true;
}

void CVEXARLink::SignalQuit()
{
    std::lock_guard lock(m_threadLock);
    if (m_pLinkThread) {
        m_linkQueue.SetQuit();
        return;
    }
    // No worker will answer: continue the exit at once, once.
    if (!m_bEndPosted && m_pUiSink) {
        m_bEndPosted = true;
        m_pUiSink->Post(UiWindow::MainFrame, nullptr, LinkMessage{WM_WORKER_ENDED, 0, 0, nullptr});
    }
}

void CVEXARLink::JoinLinkThread()
{
    std::thread* thread = nullptr;
    {
        std::lock_guard lock(m_threadLock);
        thread = m_pLinkThread.get();
    }
    if (thread && thread->joinable() && thread->get_id() != std::this_thread::get_id())
        thread->join();
}

void CVEXARLink::LinkThreadProc()
{
    EndNotice endNotice(m_pUiSink);
    m_hSocket = -1;

    // Without a timer the worker still serves requests; nothing is polled
    // or sampled then.
    if (m_timer.Start(&m_linkQueue, m_timing.tickMs) != 0 && m_pUiSink)
        m_pUiSink->ShowError(CMMTimer::kStartErrorText);
    for (unsigned ticks : kChannelTicks)
        m_timer.AddTimer(ticks, true);
    m_timer.SetPeriod(kChannelObdCheck, m_timing.obdCheckTicks);

    for (;;) {
        LinkMessage request;
        const CLinkQueue::Wake wake = m_linkQueue.Wait(request);
        if (wake == CLinkQueue::Wake::Quit) {
            OnQuit();
            break;
        }
        // A failure in one piece of work (memory exhausted) loses that
        // piece only: it is logged, the window that asked gets the answer
        // of a failure, and the loop goes on.
        if (wake == CLinkQueue::Wake::Tick) {
            try {
                OnTimerChannel();
            } catch (const std::exception& failure) {
                WriteProtocolLog(Format(u"Canali del timer interrotti da un errore: %s", ToUtf16(failure.what())));
            }
        } else if (request.id >= kFirstLinkRequest && request.id <= kLastLinkRequest) {
            const FailedRequest asked = FailedRequest::Of(request);
            try {
                DispatchLinkRequest(request);
            } catch (const std::exception& failure) {
                AnswerFailedRequest(asked, failure.what());
            }
        }
    }
    CloseAuxPort();
}

CVEXARLink::FailedRequest CVEXARLink::FailedRequest::Of(const LinkMessage& request)
{
    FailedRequest asked;
    asked.id = request.id;
    if (const auto* memory = dynamic_cast<const MEMORY_REQUEST*>(request.payload.get())) {
        asked.memoryAddress = memory->address;
        asked.memorySize = memory->size;
    }
    return asked;
}

void CVEXARLink::AnswerFailedRequest(const FailedRequest& asked, const char* what)
{
    // Logging or posting may fail again for the same cause; the worker
    // goes on all the same.
    try {
        WriteProtocolLog(Format(u"Richiesta WM_APP+%u interrotta da un errore: %s",
                                static_cast<unsigned>(asked.id - WM_APP), ToUtf16(what)));
        switch (asked.id) {
        case WM_LINK_CONNECT:
        case WM_LINK_DISCONNECT:
        case WM_LINK_RUN_ECU_LOADER:
        case WM_LINK_RUN_HC08_LOADER:
        case WM_LINK_RUN_HANDHELD_WRITER:
            // The windows learn the link state as it now stands; a connect
            // also ends its attempt for the view.
            Post(UiWindow::MainFrame, WM_LINK_STATE, m_bLinked, LINK_READ_FAILED);
            if (asked.id == WM_LINK_CONNECT)
                Post(UiWindow::View, WM_LINK_IDLE);
            Post(UiWindow::View, WM_LINK_STATE, m_bLinked, LINK_READ_FAILED);
            Post(UiWindow::MaintPage, WM_LINK_STATE, m_bLinked, LINK_READ_FAILED);
            break;
        case WM_LINK_READ_ALL:
        case WM_LINK_WRITE_ALL:
        case WM_LINK_READ_LIST:
            // The progress window closes; a list read that broke off posts
            // no checklist.
            Post(UiWindow::ProgressWindow, WM_PROGRESS_CLOSE);
            break;
        case WM_LINK_READ_MEMORY: {
            auto answer = std::make_unique<MEMORY_REQUEST>();
            answer->address = asked.memoryAddress;
            answer->size = asked.memorySize;
            if (m_pUiSink)
                m_pUiSink->Post(UiWindow::MaintPage, nullptr,
                                LinkMessage{WM_LINK_READ_MEMORY, 0, RES_SERVICE_FAILED, std::move(answer)});
            break;
        }
        case WM_LINK_READ_VARIABLE:
            Post(UiWindow::MaintPage, WM_LINK_READ_VARIABLE, 0, RES_SERVICE_FAILED);
            break;
        case WM_LINK_RELOAD:
            // The view reloads its configuration on this answer only.
            Post(UiWindow::View, WM_LINK_RELOAD);
            break;
        default:
            break;
        }
    } catch (const std::exception&) {
    }
}

void CVEXARLink::OnQuit()
{
    // The ECU hears the end of its session and the port is given back
    // before the program goes; the windows learn that the link is down.
    if (m_bLinked)
        Disconnect(LINK_OK);
    if (m_bObdLinked)
        ObdDisconnect();
    if (m_hSocket.load() >= 0 || m_pRelayThread)
        RemoteClose();
    m_timer.Stop();
}

void CVEXARLink::Post(UiWindow window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam)
{
    if (m_pUiSink)
        m_pUiSink->Post(window, nullptr, LinkMessage{message, wParam, lParam, nullptr});
}

unsigned CVEXARLink::PeriodTicks(std::uint64_t milliseconds)
{
    // The timer takes 1..65535 ticks; a shorter period runs every tick.
    return static_cast<unsigned>(std::min<std::uint64_t>(milliseconds / 10, kMaxTicks));
}

// ---- Timer channels ---------------------------------------------------------------

void CVEXARLink::OnTimerChannel()
{
    for (int channel = m_timer.GetExpired(); channel != -1; channel = m_timer.GetExpired())
        ServeChannel(channel);
}

void CVEXARLink::ServeChannel(int channel)
{
    switch (channel) {
    case kChannelAcquisition:
        // Samples are taken only while the link is up; without it the
        // acquisition channel stops after this expiry.
        AcquisitionSample();
        if (m_bLinked)
            m_timer.EnableTimer(kChannelAcquisition);
        break;
    case kChannelPoll:
        PollVariables();
        if (m_bLinked)
            m_timer.EnableTimer(kChannelPoll);
        break;
    case kChannelDtrPulse:
        EndDtrPulse();
        break;
    case kChannelObdPoll:
        ObdPollStep();
        if (m_bObdLinked)
            m_timer.EnableTimer(kChannelObdPoll);
        break;
    case kChannelObdCheck:
        // Manages channels 5 and 6 itself.
        ObdLinkCheck();
        break;
    case kChannelRemoteStart:
        if (!RemoteWaitStart() && m_hSocket.load() >= 0)
            m_timer.EnableTimer(kChannelRemoteStart);
        break;
    case kChannelRemoteClose:
        if (!RemoteCheckClose(std::chrono::milliseconds(0)) && m_hSocket.load() >= 0)
            m_timer.EnableTimer(kChannelRemoteClose);
        break;
    default:
        break;
    }
}

// ---- Requests -----------------------------------------------------------------------

namespace {

// The request's record as the type it must have; null when it is missing
// or of another type (the request is then not served).
template <class Record>
std::unique_ptr<Record> TakeRecord(LinkMessage& request)
{
    if (auto* record = dynamic_cast<Record*>(request.payload.get())) {
        request.payload.release();
        return std::unique_ptr<Record>(record);
    }
    return nullptr;
}

}  // namespace

void CVEXARLink::DispatchLinkRequest(LinkMessage& request)
{
    const auto word = static_cast<unsigned>(request.wParam);
    switch (request.id) {
    case WM_LINK_WRITE_RANGE:
        if (m_bLinked)
            WriteRange(static_cast<int>(request.wParam), static_cast<int>(request.lParam));
        break;
    case WM_LINK_CONNECT:
        Connect();
        break;
    case WM_LINK_REMOTE_CONNECT:
        RemoteConnect(TakeRecord<REMOTE_ID>(request));
        break;
    case WM_LINK_REMOTE_SEND_ID:
        RemoteSendClientId(TakeRecord<REMOTE_ID>(request));
        break;
    case WM_LINK_REMOTE_CLOSE:
        if (m_bRemoteMaster && m_hSocket.load() >= 0)
            RemoteSendClose();
        RemoteClose();
        break;
    case WM_LINK_DISCONNECT:
        Disconnect(LINK_OK);
        break;
    case WM_LINK_READ_ALL:
        ReadWholeImage();
        break;
    case WM_LINK_WRITE_ALL:
        WriteWholeImage();
        break;
    case WM_LINK_ACQ_START:
        OnAcquisitionStart(word);
        break;
    case WM_LINK_ACQ_STOP:
        OnAcquisitionStop();
        break;
    case WM_LINK_WRITE_MEMORY:
        if (const auto record = TakeRecord<MEMORY_REQUEST>(request))
            ServeWriteMemory(*record);
        break;
    case WM_LINK_READ_MEMORY:
        if (auto record = TakeRecord<MEMORY_REQUEST>(request))
            ServeReadMemory(std::move(record));
        break;
    case WM_LINK_WRITE_VARIABLE:
        if (const auto record = TakeRecord<VARIABLE_WRITE>(request))
            ServeMaskedWrite(*record);
        break;
    case WM_LINK_READ_VARIABLE:
        if (const auto record = TakeRecord<VARIABLE_READ>(request))
            ServeReadVariable(*record);
        break;
    case WM_LINK_RESET_ECU:
        ResetEcu();
        break;
    case WM_LINK_DIAG_POLL_ON:
        m_bDiagPolling = 1;
        m_bForceDiagRefresh = 1;
        CollectPolledVariables();
        break;
    case WM_LINK_DIAG_POLL_OFF:
        m_bDiagPolling = 0;
        CollectPolledVariables();
        break;
    case WM_LINK_RUN_ECU_LOADER:
        Disconnect(LINK_OK);
        Post(UiWindow::View, WM_LINK_RUN_ECU_LOADER, 1);
        break;
    case WM_LINK_RELOAD:
        if (m_bLinked)
            Disconnect(LINK_OK);
        if (m_bObdLinked)
            ObdDisconnect();
        Post(UiWindow::View, WM_LINK_RELOAD);
        break;
    case WM_LINK_SET_POLL_PERIOD:
        OnSetPollPeriod(word);
        break;
    case WM_LINK_RUN_HC08_LOADER:
    case WM_LINK_RUN_HANDHELD_WRITER:
        Disconnect(LINK_OK);
        Post(UiWindow::View, request.id);
        break;
    case WM_LINK_REBUILD_POLL_LIST:
        CollectPolledVariables();
        break;
    case WM_LINK_DTR_PULSE:
        OnDtrPulse(word);
        break;
    case WM_LINK_READ_LIST:
        if (m_bLinked)
            ReadListBlocks();
        break;
    case WM_LINK_OBD_DTC_ON:
        m_bObdReadDtc = 1;
        break;
    case WM_LINK_OBD_DTC_OFF:
        m_bObdReadDtc = 0;
        break;
    case WM_LINK_OBD_CONNECT:
        ObdConnect();
        break;
    case WM_LINK_OBD_DISCONNECT:
        ObdDisconnect();
        break;
    case WM_LINK_OBD_CLEAR_DTC:
        // Its failure is not reported: the next code read shows what stands.
        if (m_hObdLib)
            m_obdApi.Service04();
        break;
    case WM_LINK_OBD_ALL_PIDS_ON:
        m_bObdAllPids = 1;
        ObdSelectPids();
        break;
    case WM_LINK_OBD_ALL_PIDS_OFF:
        m_bObdAllPids = 0;
        ObdSelectPids();
        break;
    case WM_LINK_OBD_ROUND_ROBIN:
        ObdSelectPids();
        break;
    case WM_LINK_SET_BAUD:
        SetNewProtocolBaud();
        break;
    case WM_LINK_OBD_SET_PERIOD:
        OnSetObdPeriod(word);
        break;
    default:
        // Not served yet: dropped, and its record with it.
        break;
    }
}

void CVEXARLink::OnAcquisitionStart(unsigned periodMs)
{
    m_nAcqPeriod = static_cast<int>(periodMs);
    m_nAcqElapsed = 0;
    Post(UiWindow::GraphPage, WM_ACQ_STARTED);
    BuildAcquisitionList();
    m_timer.SetPeriod(kChannelAcquisition, PeriodTicks(periodMs));
    m_timer.EnableTimer(kChannelAcquisition);
}

void CVEXARLink::OnAcquisitionStop()
{
    m_timer.DisableTimer(kChannelAcquisition);
    Post(UiWindow::AcqPage, WM_ACQ_STOPPED);
}

void CVEXARLink::OnSetPollPeriod(unsigned periodMs)
{
    m_nPollPeriod = static_cast<int>(periodMs);
    m_timer.SetPeriod(kChannelPoll, PeriodTicks(periodMs));
}

void CVEXARLink::OnSetObdPeriod(unsigned periodMs)
{
    m_nObdPeriod = static_cast<int>(periodMs);
    m_timer.SetPeriod(kChannelObdPoll, PeriodTicks(periodMs));
}

void CVEXARLink::NotifyBoundControls(bool enable)
{
    if (!m_pUiSink)
        return;
    const std::shared_ptr<const LinkCtrlTables> tables = CtrlTables();
    if (tables) {
        for (const CTRL_TABLE* table : {&tables->varTable2, &tables->parTable3})
            for (const CTRL_WND& entry : *table)
                PostToControl(entry, WM_CTRL_ENABLE, enable ? 1u : 0u);
        // A toggle starts closed so that it is never flipped offline; on a
        // parameter page nothing else would open it.
        for (const CTRL_WND& entry : tables->parTable)
            if (entry.category == CTRL_BUTTON)
                PostToControl(entry, WM_CTRL_ENABLE, enable ? 1u : 0u);
    }
    Post(UiWindow::DiagWindow, WM_CTRL_ENABLE, enable ? 1 : 0);
}

void CVEXARLink::PostToControl(const CTRL_WND& entry, unsigned message, std::uintptr_t wParam,
                               std::unique_ptr<LinkPayload> payload)
{
    if (m_pUiSink && entry.wnd)
        m_pUiSink->Post(UiWindow::Control, entry.wnd, LinkMessage{message, wParam, 0, std::move(payload)});
}

void CVEXARLink::SendToView(unsigned message, std::uintptr_t wParam)
{
    if (m_pUiSink)
        m_pUiSink->Send(UiWindow::View, LinkMessage{message, wParam, 0, nullptr});
}

// ---- What the user-interface thread publishes ----------------------------------------

void CVEXARLink::PublishCtrlTables()
{
    std::shared_ptr<const LinkCtrlTables> tables = LinkCtrlTables::Take(
        m_pParTable, m_pParTable3, m_pVarTable, m_pVarTable2, m_pAcqVarTable, m_pDiagTable2, m_pDiagTable3);
    std::lock_guard lock(m_csTables);
    m_tables = std::move(tables);
}

std::shared_ptr<const LinkCtrlTables> CVEXARLink::CtrlTables() const
{
    std::lock_guard lock(m_csTables);
    return m_tables;
}

void CVEXARLink::ResizeImages(int parSize, int varSize)
{
    parSize = std::max(parSize, 0);
    varSize = std::max(varSize, 0);
    const auto zeroed = [](int size) { return std::make_unique<std::uint8_t[]>(static_cast<std::size_t>(size)); };
    {
        std::lock_guard lock(m_csParImage);
        m_pParMaster = zeroed(parSize);
        m_pParWork = zeroed(parSize);
        m_pParLink = zeroed(parSize);
        m_nParSize = parSize;
    }
    std::lock_guard lock(m_csVarImage);
    m_pVarMaster = zeroed(varSize);
    m_pVarWork = zeroed(varSize);
    m_pVarLink = zeroed(varSize);
    m_pVarLast = zeroed(varSize);
    m_nVarSize = varSize;
}

void CVEXARLink::SetNewProtocolBaud()
{
    int requested = 0;
    {
        std::lock_guard lock(m_csBaud);
        if (m_nBaudCurrent == m_nBaudRequested)
            return;
        requested = m_nBaudRequested;
    }
    std::uint8_t code = 1;
    switch (requested) {
    case 19200:
        code = 2;
        break;
    case 38400:
        code = 3;
        break;
    case 57600:
        code = 4;
        break;
    case 115200:
        code = 5;
        break;
    default:
        break;
    }
    const int result = m_serialNew.SetBaud(code);
    std::lock_guard lock(m_csBaud);
    if (result == RES_OK)
        m_nBaudCurrent = requested;
    else
        m_nBaudRequested = m_nBaudCurrent;
}

void CVEXARLink::ResetEcu()
{
    // A failed reset leaves the link as it is.
    const int result = m_nProtocol == 0 ? m_serial.ResetEcu() : m_serialNew.ResetEcu();
    if (result == RES_REMOTE_GONE && m_bRemoteMaster)
        HandleSlaveLost();
}

// ---- DTR pulse on the auxiliary port ---------------------------------------------------

void CVEXARLink::OnDtrPulse(unsigned seconds)
{
    // A pulse still running is restarted with the new length; an expiry
    // not yet served must not end the new pulse early.
    m_timer.DisableTimer(kChannelDtrPulse);
    m_timer.SetPeriod(kChannelDtrPulse, PeriodTicks(std::uint64_t{seconds} * 1000));

    if (m_hAuxPort == 0 && m_nAuxPort > 0) {
        const std::u16string path = vexar::Format(u"\\\\.\\COM%d", m_nAuxPort);
        if (PortOpenConfig(m_nAuxPort, path.c_str(), 9600, PORT_PARITY_NONE, 8, 1, 0, 0) == PORT_OK)
            m_hAuxPort = m_nAuxPort;
    }
    if (m_hAuxPort != 0)
        PortEscapeFunction(m_hAuxPort, PORT_SETDTR);
    m_timer.EnableTimer(kChannelDtrPulse);
}

void CVEXARLink::EndDtrPulse()
{
    CloseAuxPort();
    Post(UiWindow::TestResult, WM_LINK_DTR_PULSE);
}

void CVEXARLink::CloseAuxPort()
{
    if (m_hAuxPort == 0)
        return;
    PortEscapeFunction(m_hAuxPort, PORT_CLRDTR);
    PortClose(m_hAuxPort);
    m_hAuxPort = 0;
}

}  // namespace vexar::link
