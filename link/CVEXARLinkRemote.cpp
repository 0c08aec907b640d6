// Remote assistance on the link worker: the bridge handshakes of the master
// and the slave, the master's start wait and close checks, the slave-lost
// handling, the close, and the slave's relay thread.
#include "link/CVEXARLink.h"

#include "common/CUtilityToolbox.h"
#include "link/CEthernetLine.h"
#include "link/CRemoteRelay.h"
#include "link/EcuExchange.h"

#include <algorithm>
#include <array>
#include <sys/socket.h>

namespace vexar::link {

namespace {

constexpr int kConnectAttempts = 4;
constexpr int kHandshakeAttempts = 4;
constexpr std::size_t kBufferSize = 512;
constexpr std::size_t kMarkerSize = 8;

constexpr std::array<std::uint8_t, 9> kMasterGreeting{0x4A, 0x4E, 0x28, 0x14, 0x3C, 0x28, 0x5A, 0x4A, 0x4E};
constexpr std::array<std::uint8_t, 8> kGreetingAck{0x46, 0x19, 0x8C, 0xEB, 0x46, 0x19, 0x8C, 0xEB};
constexpr std::array<std::uint8_t, 8> kClientIdAck{0x41, 0x0F, 0x7B, 0xCB, 0x41, 0x0F, 0x7B, 0xCB};
constexpr std::array<std::uint8_t, 8> kStartMarker{0x4B, 0x1E, 0x5A, 0xC3, 0x4B, 0x1E, 0x5A, 0xC3};
constexpr std::uint8_t kSlaveGreetingHead = 0x50;

template <std::size_t N>
bool BeginsWith(std::span<const std::uint8_t> bytes, int count, const std::array<std::uint8_t, N>& head)
{
    return count >= static_cast<int>(N) && std::equal(head.begin(), head.end(), bytes.begin());
}

}  // namespace

std::chrono::milliseconds CVEXARLink::RemoteReceiveWait() const
{
    return m_timing.remote.receive.count() > 0 ? m_timing.remote.receive : std::chrono::seconds(m_nSocketTimeout);
}

int CVEXARLink::RemoteSend(std::span<const std::uint8_t> bytes)
{
    const int sent = CEthernetLine(m_timing.remote.connectWait).Send(m_hSocket.load(), bytes);
    if (sent > 0)
        RemoteTrace(false, bytes.first(static_cast<std::size_t>(sent)));
    return sent;
}

void CVEXARLink::RemoteTrace(bool received, std::span<const std::uint8_t> bytes)
{
    detail::TraceFrame(&m_protocolHost, received, true, bytes);
}

int CVEXARLink::RemoteReceive(std::span<std::uint8_t> buffer, std::size_t count, std::span<const std::uint8_t> stopHead)
{
    std::fill(buffer.begin(), buffer.end(), 0);
    int error = 0;
    const int got = CEthernetLine(m_timing.remote.connectWait)
                        .ReceiveCount(m_hSocket.load(), RemoteReceiveWait(), buffer, count, stopHead, error);
    if (got > 0)
        RemoteTrace(true, buffer.first(static_cast<std::size_t>(got)));
    return got;
}

void CVEXARLink::RemoteConnect(std::unique_ptr<REMOTE_ID> slaveId)
{
    if (!m_pUiSink)
        return;
    const bool master = m_bRemoteMaster != 0;
    if (master && m_bLinked)
        Disconnect(LINK_OK);
    // A connect while the bridge socket is open starts afresh.
    if (m_hSocket.load() >= 0)
        RemoteClose();

    const CEthernetLine line(m_timing.remote.connectWait);
    int socket = -1;
    int stage = 0;
    int error = 0;
    bool connected = false;
    for (int attempt = 0; attempt < kConnectAttempts && !connected; ++attempt) {
        connected = line.Connect(m_nBridgePort, m_szBridgeIp.c_str(), socket, stage, error) == 0;
        if (!connected)
            std::this_thread::sleep_for(m_timing.remote.retryPause);
    }
    if (!connected) {
        Post(RemoteWindow(), WM_REMOTE_STATUS, stage == -1 ? 4 : stage == -2 ? 5 : 6, error);
        return;
    }
    m_hSocket = socket;
    Post(RemoteWindow(), WM_REMOTE_STATUS, 0);
    Post(UiWindow::View, WM_REMOTE_STATE, 0);

    std::array<std::uint8_t, kBufferSize> buffer{};
    if (master) {
        int got = 0;
        bool acknowledged = false;
        for (int attempt = 0; attempt < kHandshakeAttempts && !acknowledged; ++attempt) {
            line.Flush(m_hSocket.load());
            if (RemoteSend(kMasterGreeting) < 0) {
                Post(RemoteWindow(), WM_REMOTE_STATUS, 7);
                RemoteClose();
                return;
            }
            got = RemoteReceive(buffer, kMarkerSize);
            acknowledged = BeginsWith<8>(buffer, got, kGreetingAck);
            if (!acknowledged)
                std::this_thread::sleep_for(m_timing.remote.retryPause);
        }
        if (!acknowledged) {
            Post(RemoteWindow(), WM_REMOTE_STATUS, got < 0 ? 8 : 9);
            RemoteClose();
            return;
        }
        Post(RemoteWindow(), WM_REMOTE_STATUS, 1);
        return;
    }

    std::array<std::uint8_t, 5> greeting{kSlaveGreetingHead};
    if (slaveId)
        std::copy(slaveId->id.begin(), slaveId->id.end(), greeting.begin() + 1);
    slaveId.reset();
    line.Flush(m_hSocket.load());
    if (RemoteSend(greeting) < 0) {
        Post(RemoteWindow(), WM_REMOTE_STATUS, 10);
        RemoteClose();
        return;
    }
    const int got = RemoteReceive(buffer, kMarkerSize);
    if (got < 0 || !BeginsWith<8>(buffer, got, kStartMarker)) {
        Post(RemoteWindow(), WM_REMOTE_STATUS, got < 0 ? 11 : 12);
        RemoteClose();
        return;
    }
    if (RemoteSend(kStartMarker) < 0) {
        Post(RemoteWindow(), WM_REMOTE_STATUS, 13);
        RemoteClose();
        return;
    }
    {
        std::lock_guard lock(m_csRemoteCounters);
        m_nRemoteBytesTx = 0;
        m_nRemoteBytesRx = 0;
    }
    Post(RemoteWindow(), WM_REMOTE_STATUS, 2);
    m_pRelayThread = std::make_unique<std::thread>([this] { RemoteRelayProc(); });
}

void CVEXARLink::RemoteSendClientId(std::unique_ptr<REMOTE_ID> id)
{
    const std::array<std::uint8_t, 4> bytes = id ? id->id : std::array<std::uint8_t, 4>{};
    id.reset();
    if (!m_pUiSink || m_hSocket.load() < 0)
        return;
    const auto sum = static_cast<std::uint8_t>(0x3C + bytes[0] + bytes[1] + bytes[2] + bytes[3]);
    const std::array<std::uint8_t, 10> frame{0x4A, 0x4E, 0x3C, bytes[0], bytes[1], bytes[2], bytes[3], sum, 0x00, 0x4A};
    const CEthernetLine line(m_timing.remote.connectWait);
    std::array<std::uint8_t, kBufferSize> buffer{};
    bool acknowledged = false;
    for (int attempt = 0; attempt < kHandshakeAttempts && !acknowledged; ++attempt) {
        line.Flush(m_hSocket.load());
        if (RemoteSend(frame) < 0) {
            Post(UiWindow::RemoteMaster, WM_REMOTE_ID_SENT, 1);
            return;
        }
        const int got = RemoteReceive(buffer, kMarkerSize);
        acknowledged = BeginsWith<8>(buffer, got, kClientIdAck);
        if (!acknowledged)
            std::this_thread::sleep_for(m_timing.remote.retryPause);
    }
    if (!acknowledged) {
        Post(UiWindow::RemoteMaster, WM_REMOTE_STATUS, 8);
        return;
    }
    Post(UiWindow::RemoteMaster, WM_REMOTE_STATUS, 2);
    line.Flush(m_hSocket.load());
    if (!RemoteWaitStart())
        m_timer.EnableTimer(kChannelRemoteStart);
}

bool CVEXARLink::RemoteWaitStart()
{
    if (m_hSocket.load() < 0 || !m_pUiSink)
        return false;
    std::array<std::uint8_t, kBufferSize> buffer{};
    const int got = RemoteReceive(buffer, kMarkerSize);
    if (got < 0) {
        // The bridge has closed the connection: no slave will start.
        RemoteClose();
        return false;
    }
    if (!BeginsWith<8>(buffer, got, kStartMarker)) {
        CEthernetLine(m_timing.remote.connectWait).Flush(m_hSocket.load());
        return false;
    }
    m_timer.DisableTimer(kChannelRemoteStart);
    const std::span<std::uint8_t> main(m_pParLink.get(), static_cast<std::size_t>(m_nParSize));
    const std::span<std::uint8_t> aux(m_pVarLink.get(), static_cast<std::size_t>(m_nVarSize));
    if (m_nProtocol == 0) {
        m_serial.SetMainImage(main);
        m_serial.SetAuxImage(aux);
    } else {
        m_serialNew.SetMainImage(main);
        m_serialNew.SetAuxImage(aux);
    }
    {
        std::lock_guard lock(m_csRemoteCounters);
        m_nRemoteBytesTx = 0;
        m_nRemoteBytesRx = 0;
    }
    // Another model or firmware at the far end would take this
    // configuration's writes at the wrong addresses: nothing is linked
    // before its identification has been read and matched.
    if (!RemoteIdentMatches()) {
        HandleSlaveLost();
        Post(UiWindow::MainFrame, WM_UNKNOWN_ECU);
        return true;
    }
    m_bLinked = 1;
    Post(UiWindow::RemoteMaster, WM_REMOTE_STATUS, 14);
    if (!RemoteCheckClose(m_timing.remote.closeWait))
        m_timer.EnableTimer(kChannelRemoteClose);
    ReadWholeImage();
    if (m_bLinked) {
        m_bForceVarRefresh = 1;
        m_timer.EnableTimer(kChannelPoll);
        NotifyBoundControls(true);
        CollectPolledVariables();
    }
    Post(UiWindow::MainFrame, WM_LINK_STATE, m_bLinked);
    Post(UiWindow::View, WM_LINK_IDLE);
    Post(UiWindow::View, WM_LINK_STATE, m_bLinked);
    Post(UiWindow::MaintPage, WM_LINK_STATE, m_bLinked);
    RefreshDiagnosisWindow(false);
    return true;
}

bool CVEXARLink::RemoteIdentMatches()
{
    std::array<std::uint8_t, 12> ident{};
    const auto identBytes = std::span<std::uint8_t, 11>(ident.data(), 11);
    const int result = m_nProtocol == 0 ? m_serial.ReadIdent(identBytes) : m_serialNew.ReadIdent(identBytes);
    const std::u16string text = result == RES_OK ? IdentText(ident) : std::u16string();
    std::lock_guard lock(m_csIdent);
    m_strIdentRead = text;
    if (result != RES_OK || !CUtility::CompareEcuCodes(m_strConfigName, text))
        return false;
    m_strEcuIdent = text;
    return true;
}

bool CVEXARLink::RemoteCheckClose(std::chrono::milliseconds wait)
{
    std::array<std::uint8_t, kBufferSize> buffer{};
    std::fill(buffer.begin(), buffer.end(), 0);
    int error = 0;
    const int got = CEthernetLine(m_timing.remote.connectWait)
                        .ReceiveCount(m_hSocket.load(), wait, buffer, kMarkerSize, kCloseNotice, error);
    if (got > 0)
        RemoteTrace(true, std::span(buffer).first(static_cast<std::size_t>(got)));
    // A bridge that has closed or reset the connection has taken the slave
    // with it.
    if (BeginsWith<8>(buffer, got, kCloseNotice) || (got < 0 && m_hSocket.load() >= 0)) {
        HandleSlaveLost();
        return true;
    }
    return false;
}

void CVEXARLink::HandleSlaveLost()
{
    for (int channel : {kChannelAcquisition, kChannelPoll, kChannelObdPoll, kChannelRemoteClose})
        m_timer.DisableTimer(channel);
    if (m_bRemoteMaster)
        Post(UiWindow::RemoteMaster, WM_REMOTE_TIMEOUT);
}

void CVEXARLink::RemoteSendClose()
{
    std::array<std::uint8_t, 12> request{};
    std::copy(kRelayPrefix.begin(), kRelayPrefix.end(), request.begin());
    std::copy(kCloseNotice.begin(), kCloseNotice.end(), request.begin() + 4);
    if (RemoteSend(request) == static_cast<int>(request.size()))
        RemoteCheckClose(m_timing.remote.closeWait);
}

void CVEXARLink::StopRelay()
{
    // The relay waits on the socket: it is taken from the relay's sight and
    // shut down, the relay joined, and only then closed, so that the relay
    // never reads a descriptor the system has given out again.
    int socket = m_hSocket.exchange(-1);
    if (socket >= 0)
        ::shutdown(socket, SHUT_RDWR);
    if (m_pRelayThread && m_pRelayThread->joinable() && m_pRelayThread->get_id() != std::this_thread::get_id())
        m_pRelayThread->join();
    m_pRelayThread.reset();
    CEthernetLine().Close(socket);
}

void CVEXARLink::RemoteClose()
{
    // The slave's own link stays up after the assistance: its polling,
    // recording and OBD go on.
    if (m_bRemoteMaster)
        for (int channel : {kChannelAcquisition, kChannelPoll, kChannelObdPoll})
            m_timer.DisableTimer(channel);
    m_timer.DisableTimer(kChannelRemoteStart);
    m_timer.DisableTimer(kChannelRemoteClose);
    if (m_hSocket.load() < 0) {
        StopRelay();  // a relay that ended on its own is joined
        return;
    }
    StopRelay();
    if (!m_pUiSink)
        return;
    if (m_bRemoteMaster) {
        // Down before anyone hears of the close.
        m_bLinked = 0;
        Post(UiWindow::RemoteMaster, WM_REMOTE_STATUS, 3);
        Post(UiWindow::MainFrame, WM_LINK_STATE, 0);
    } else {
        Post(UiWindow::RemoteSlave, WM_REMOTE_STATUS, 3);
    }
    Post(UiWindow::View, WM_REMOTE_STATE, 3);
}

void CVEXARLink::RemoteRelayProc()
{
    CRemoteRelay::Hooks hooks;
    hooks.transact = [this](std::span<const std::uint8_t> frame, std::span<std::uint8_t> reply, int& expected) {
        return m_nProtocol == 0 ? m_serial.TransactRaw(frame, reply, expected)
                                : m_serialNew.TransactRaw(frame, reply, expected);
    };
    hooks.protocol = [this] { return m_nProtocol.load(); };
    // Both ends ask the worker for the close, which joins this thread.
    hooks.closeRequested = [this] { m_linkQueue.Post(LinkMessage{WM_LINK_REMOTE_CLOSE, 0, 0, nullptr}); };
    hooks.bridgeLost = hooks.closeRequested;
    CRemoteRelay(m_hSocket, &m_protocolHost, std::move(hooks), m_timing.remote.frameWait).Run();
}

}  // namespace vexar::link
