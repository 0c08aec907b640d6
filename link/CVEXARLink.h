#pragma once

// The link-side base of the application object: the ECU images with their
// locks, the link state, the two protocol objects, the soft-timer channels
// and the link worker, the one thread that talks to the ECU. Other threads
// reach the ECU only by posting link requests (LinkMessages.h); the worker
// answers through the user-interface sink.
//
// The worker waits on one object (CLinkQueue): the quit flag first, then
// the timer's tick, then the requests one at a time in posting order. It
// serves every expired channel at each tick, so channels that expire
// together are not delayed to later ticks.
//
// The worker reads the control tables only as the snapshot the
// user-interface thread publishes (PublishCtrlTables), and which windows
// are shown only from the flags that thread keeps current.
//
// Requests whose work is not built yet (remote assistance) are taken
// from the queue and dropped, their records freed; so is any number outside
// the request range.

#include "config/CVEXARContext.h"
#include "config/CtrlWnd.h"
#include "config/RecUpload.h"
#include "link/CLinkQueue.h"
#include "link/CMMTimer.h"
#include "link/CObdBinding.h"
#include "link/BridgeRemoteLine.h"
#include "link/CRemoteSettings.h"
#include "link/CSeriale.h"
#include "link/CSerialeNew.h"
#include "link/EcuTypes.h"
#include "link/ILinkUiSink.h"
#include "link/LinkCtrlTables.h"
#include "link/LinkMessages.h"
#include "link/LinkProtocolHost.h"
#include "link/LinkRequests.h"
#include "link/ObdRecords.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexar::link {

class CVEXARLink;

// The worker thread's body: 1 without an application object, else runs its
// worker and returns 0.
int LinkThreadEntry(CVEXARLink* app);

// The timer's tick and the protocols' waits; the defaults are the
// system's, tests shorten them.
// The waits of remote assistance; the system's values by default.
struct RemoteTiming {
    std::chrono::milliseconds connectWait{1000};  // for a connect to complete
    std::chrono::milliseconds retryPause{1000};   // after a failed attempt of a handshake
    std::chrono::milliseconds closeWait{5000};    // for the close notice after the start and a close request
    std::chrono::milliseconds receive{0};         // above 0: replaces the settings' receive time-out
    std::chrono::milliseconds frameWait{1000};    // the slave's wait for the rest of a relayed frame
};

struct LinkTiming {
    unsigned tickMs = 10;
    ProtocolTiming protocol{};
    // Ticks of failed OBD reads before the adapter link is checked.
    unsigned obdCheckTicks = 6000;
    RemoteTiming remote{};
};

// The identification as 8-bit text that ends at the first zero byte.
std::u16string IdentText(const std::array<std::uint8_t, 12>& buffer);

// The OBD binding with its PID tables and the remote-assistance settings
// stand beside the link state, for the worker to reach.
class CVEXARLink : public CVEXARContext, public CObdBinding, public CRemoteSettings {
public:

    // Soft-timer channels, added in this order when the worker starts.
    enum Channel : int {
        kChannelAcquisition = 0,
        kChannelPoll = 1,
        kChannelRemoteStart = 2,
        kChannelRemoteClose = 3,
        kChannelDtrPulse = 4,
        kChannelObdPoll = 5,
        kChannelObdCheck = 6,
    };

    explicit CVEXARLink(LinkTiming timing = {});
    // Ends the worker (as SignalQuit) and waits for it.
    ~CVEXARLink() override;

    // ---- The worker ----
    // Starts the worker thread; `sink` (not owned, may be null) receives
    // its posts and must outlive it. False when a worker already runs or the
    // thread cannot be created.
    bool StartLinkThread(ILinkUiSink* sink);
    // Queues a request for the worker; false, and the record freed, when no
    // worker has been started. Virtual so that the tests of the pages can
    // see the requests without a worker.
    virtual bool PostLinkRequest(unsigned id, std::uintptr_t wParam = 0, std::intptr_t lParam = 0,
                         std::unique_ptr<LinkPayload> payload = nullptr);
    // The main frame's close: the worker ends its links, stops the timer
    // and posts WM_WORKER_ENDED as its last act; requests still queued are
    // not served. Without a worker the end message is posted at once, so
    // the exit never waits for a thread that is not there.
    void SignalQuit();
    // Waits until the worker thread has ended (after SignalQuit).
    void JoinLinkThread();

    void LinkThreadProc();
    // Serves every channel the timer reports expired, oldest first.
    void OnTimerChannel();
    // Serves one link request; the record goes with it.
    void DispatchLinkRequest(LinkMessage& request);
    // Posts WM_CTRL_ENABLE (1 link up, 0 down) to every control of the
    // variable window's placed table, then of the parameter window's
    // status area, then to every toggle of the parameter window (which
    // waits for the link to take a flip), then to the diagnosis window.
    void NotifyBoundControls(bool enable);
    // Second protocol: asks the ECU for the baud chosen in the menu; on a
    // failure the menu falls back to the speed in use.
    void SetNewProtocolBaud();
    // The reset command of the active protocol; a failure leaves the link up.
    void ResetEcu();

    // ---- Connection, identification, image transfer, memory access ----
    // Scans the ports with the configured protocol, then with the other
    // when no ECU answered; tells the frame, the view and the maintenance
    // page how it went.
    void Connect();
    // One scan of m_comPorts from the last used port; a link state code
    // (0 linked, -1 no port opened, -2 no ECU answered, -3 mismatch).
    int ScanPortsOldProtocol();
    int ScanPortsNewProtocol();
    // True when the identification read matches the selected
    // configuration; a mismatch goes to the view (auto-select) or to the
    // frame (unknown ECU), alternately.
    bool CheckEcuIdentity(const std::u16string& ident, int protocolFlag);
    // Ends the link and tells every window that shows it, with a link
    // state code (0 by the user, -1 a write failed, -2 a read failed).
    void Disconnect(int code);
    void CloseOldProtocolSession();
    void CloseNewProtocolSession();
    void RefreshDiagnosisWindow(bool startReset);
    // The whole parameter image from the ECU into the master image, with
    // progress; the master image changes only when every byte was read.
    void ReadWholeImage();
    // The whole master image to the ECU, with progress.
    void WriteWholeImage();
    // Bytes [offset, offset + count) of the master image to the ECU.
    void WriteRange(int offset, int count);
    void ServeWriteMemory(const MEMORY_REQUEST& request);
    // Answers the maintenance page with the record, its value filled in,
    // and the result in lParam: RES_OK, the protocol's failure, or
    // RES_BAD_RANGE for a range refused before anything was sent.
    void ServeReadMemory(std::unique_ptr<MEMORY_REQUEST> request);
    void ServeMaskedWrite(const VARIABLE_WRITE& request);
    void ServeReadVariable(const VARIABLE_READ& request);

    // ---- Polling, acquisition sampling, list read ----
    // Rebuilds the read blocks of the poll and the controls it refreshes
    // from the published tables and the windows shown.
    void CollectPolledVariables();
    // One poll: reads the polled blocks and refreshes the controls whose
    // bytes changed since they were last told.
    void PollVariables();
    // Reads a variable range into the variable images; false on a failure
    // (the link has then been dropped) or a refused range.
    bool ReadVariableRange(int address, int length, ProgressTarget* progress);
    // Second protocol: reads the blocks with one address-list upload.
    bool ReadVariablesByList(std::uint16_t value, const std::vector<REC_UPLD_SV>& blocks, ProgressTarget* progress);
    void BuildAcquisitionList();
    // One acquisition tick: reads the recorded variables and sends each
    // recorded control its sample.
    void AcquisitionSample();
    // Reads the checklist's blocks once and tells the view.
    void ReadListBlocks();

    // ---- OBD adapter (CVEXARLinkObd.cpp) ----
    // A result record of the PID's form in `record`, with its packed size;
    // false, with no record and size 0, for a PID without a form.
    static bool ObdReplySize(int pid, std::unique_ptr<OBD_PID_RESULT>& record, int& size);
    // One library call for `pid`, its result copied into a live record
    // (toLive) and a second one (toAll); status 5 without a call.
    int ObdCallChannel(int pid, bool toLive, bool toAll, std::unique_ptr<OBD_PID_RESULT>& live,
                       std::unique_ptr<OBD_PID_RESULT>& all);
    // Rebuilds the poll rotation from the supported and requested PIDs
    // (every supported PID while all-PIDs is on).
    void ObdSelectPids();
    // Timer channel 5: reads the next active PID for the windows that
    // show it, then the stored codes when asked; a failure arms the check.
    void ObdPollStep();
    // Timer channel 6: reconnects the adapter; polling goes on, or the
    // link is closed and the view told (0, -2).
    void ObdLinkCheck();
    // Scans m_comPorts for the adapter and learns the supported PIDs.
    void ObdConnect();
    void ObdDisconnect();

    // ---- What the user-interface thread publishes for the worker ----
    // Takes a snapshot of the table pointers below and hands it to the
    // worker. Call after a configuration load and whenever an entry
    // changes (hidden, cursorLinked).
    void PublishCtrlTables();
    std::shared_ptr<const LinkCtrlTables> CtrlTables() const;
    // Sizes the images, zero-filled. Only while the link is down.
    void ResizeImages(int parSize, int varSize);

    // ---- Link-side state (the defaults are the system's) ----
    std::unique_ptr<std::thread> m_pLinkThread;
    // The quit event, the tick semaphore and the thread's request queue in
    // one wait object.
    CLinkQueue m_linkQueue;
    CMMTimer m_timer;
    ILinkUiSink* m_pUiSink = nullptr;

    std::atomic<std::uint8_t> m_bLinked{0};  // written only by the worker
    std::atomic<int> m_nProtocol{0};          // 0 CSeriale, 1 CSerialeNew; the connect sets the one that answered
    CSeriale m_serial;
    CSerialeNew m_serialNew;
    // Changed by the user-interface thread while the worker runs; the
    // protocols read it at every transaction through m_protocolHost.
    std::atomic<std::uint8_t> m_bKLine{0};
    // The trace window while it is open, else null: set and cleared by the
    // user-interface thread, read by the line producers (the worker, the
    // relay thread) before each line. Only its being set matters here.
    std::atomic<const void*> m_pTraceWnd{nullptr};
    LinkProtocolHost m_protocolHost{m_bKLine, m_pTraceWnd, m_pUiSink, this};
    std::uint8_t m_bLittleEndian = 0;
    int m_nComPort = 1;
    std::u16string m_szComPath = u"\\\\.\\COM1";
    std::vector<unsigned> m_comPorts;
    int m_nBaud = 9600;

    // Guards the two baud values.
    std::mutex m_csBaud;
    int m_nBaudRequested = 9600;
    int m_nBaudCurrent = 0;

    // Auxiliary COM port of the DTR pulse after a passed test (0: none).
    // The worker opens it for each pulse and closes it at the pulse's end,
    // so the port is free for an ECU scan at every other time.
    int m_nAuxPort = 0;
    int m_hAuxPort = 0;  // the auxiliary port's number while the worker holds it open, else 0

    std::uint8_t m_bListUpload = 0;

    // ECU images: master (shared, under its lock), working (user-interface
    // thread only), link buffer (worker only); the variables also keep the
    // values last announced to the controls.
    std::mutex m_csParImage;
    std::unique_ptr<std::uint8_t[]> m_pParMaster;
    std::unique_ptr<std::uint8_t[]> m_pParWork;
    std::unique_ptr<std::uint8_t[]> m_pParLink;
    int m_nParSize = 0;
    std::mutex m_csVarImage;
    std::unique_ptr<std::uint8_t[]> m_pVarMaster;
    std::unique_ptr<std::uint8_t[]> m_pVarWork;
    std::unique_ptr<std::uint8_t[]> m_pVarLink;
    std::unique_ptr<std::uint8_t[]> m_pVarLast;
    int m_nVarSize = 0;

    std::atomic<int> m_nPollPeriod{500};
    std::atomic<int> m_nAcqPeriod{500};
    std::atomic<int> m_nAcqElapsed{0};
    std::atomic<std::uint8_t> m_bForceVarRefresh{0};
    std::atomic<std::uint8_t> m_bDiagPolling{0};
    std::atomic<std::uint8_t> m_bForceDiagRefresh{0};

    // Read lists of the poll, the acquisition sample and the checklist.
    std::vector<REC_UPLD_SV> m_pollBlocks;
    CTRL_TABLE m_pollVarCtrls;
    CTRL_TABLE m_pollDiagCtrls;
    std::vector<REC_UPLD_SV> m_acqBlocks;
    CTRL_TABLE m_acqCtrls;
    // The checklist's blocks and controls, filled by the view under
    // m_csLists before it posts WM_LINK_READ_LIST.
    std::mutex m_csLists;
    std::vector<REC_UPLD_SV> m_listBlocks;
    CTRL_TABLE m_listCtrls;

    // Which windows are shown, kept current by the user-interface thread:
    // the variable window with one of its configured pages, the parameter
    // window, the diagnosis window.
    std::atomic<bool> m_bVarPageShown{false};
    std::atomic<bool> m_bParWindowShown{false};
    std::atomic<bool> m_bDiagWindowShown{false};

    // Control tables of the loaded configuration, owned by the page
    // windows; null until a configuration is loaded. User-interface
    // thread only: the worker sees them through PublishCtrlTables.
    CTRL_TABLE* m_pParTable2 = nullptr;
    CTRL_TABLE* m_pParTable3 = nullptr;
    CTRL_TABLE* m_pVarTable = nullptr;
    CTRL_TABLE* m_pVarTable2 = nullptr;
    CTRL_TABLE* m_pAcqVarTable = nullptr;
    CTRL_TABLE* m_pDiagTable2 = nullptr;

    std::mutex m_csAutoSelect;
    std::uint8_t m_bAutoSelect = 1;
    std::mutex m_csIdent;
    std::u16string m_strConfigName;
    std::u16string m_strEcuIdent;
    std::u16string m_strIdentRead;
    int m_nEdition = 1;

    // ---- Remote assistance (link worker, and the slave's relay thread) ----
    void RemoteConnect(std::unique_ptr<REMOTE_ID> slaveId);
    void RemoteSendClientId(std::unique_ptr<REMOTE_ID> id);
    // Master: true when the start marker came and the link now runs
    // through the bridge.
    bool RemoteWaitStart();
    // Master: true when the close notice came within `wait`.
    bool RemoteCheckClose(std::chrono::milliseconds wait);
    void RemoteSendClose();
    void RemoteClose();
    int RemoteSend(std::span<const std::uint8_t> bytes);
    void RemoteTrace(bool received, std::span<const std::uint8_t> bytes);
    void RemoteRelayProc();

    std::atomic<std::uint8_t> m_bObdLinked{0};
    std::atomic<std::uint8_t> m_bObdReadDtc{0};
    std::atomic<std::uint8_t> m_bObdAllPids{0};
    std::atomic<int> m_nObdPeriod{100};
    // Written by the worker before it reports the link up.
    OBD_SUPPORTED_DATA m_obdData;
    // The petrol windows as the poll step needs them, kept current by the
    // user-interface thread: the view exists; the live-values window is
    // created; the acquisition page is created, visible and not minimised;
    // the trouble-code page is visible and not minimised.
    std::atomic<bool> m_bObdViewExists{false};
    std::atomic<bool> m_bPetrolWindowCreated{false};
    std::atomic<bool> m_bPetrolAcqShown{false};
    std::atomic<bool> m_bPetrolDtcShown{false};

protected:
    // The bridge reported that the remote slave has left while this
    // workstation drives it: the link stays up and the master window is
    // told. Remote assistance fills this in; without a bridge the protocols
    // never report it.
    virtual void HandleSlaveLost();

private:
    // Posts the steps of a long transfer to the progress window.
    class ProgressPoster : public ProgressTarget {
    public:
        explicit ProgressPoster(CVEXARLink& app) : m_app(app) {}
        void PostRange(std::size_t steps) override { m_app.Post(UiWindow::ProgressWindow, WM_PROGRESS_RANGE, steps); }
        void PostStep(std::size_t done) override { m_app.Post(UiWindow::ProgressWindow, WM_PROGRESS_STEP, done); }

    private:
        CVEXARLink& m_app;
    };

    void Post(UiWindow window, unsigned message, std::uintptr_t wParam = 0, std::intptr_t lParam = 0);
    void PostToControl(const CTRL_WND& entry, unsigned message, std::uintptr_t wParam = 0,
                       std::unique_ptr<LinkPayload> payload = nullptr);
    void SendToView(unsigned message, std::uintptr_t wParam);
    // A failed protocol call: the slave-lost handling while remote master,
    // else the link ends with `code`.
    void ApplyFailureRule(int result, int code);
    // Refuses a range that does not lie within [0, limit): writes why to
    // the active protocol's log and returns false.
    bool RangeAllowed(std::int64_t address, std::int64_t count, std::int64_t limit, const char16_t* what);
    // Refuses a datum size outside 1..4 bytes the same way.
    bool SizeAllowed(int size, const char16_t* what);
    void WriteProtocolLog(const std::u16string& text);
    int ScanPorts(int protocol);
    int SessionOfActiveProtocol(std::uint8_t flag);
    // Step 2 of a poll: reads `blocks` with the active protocol.
    bool ReadPolledBlocks(const std::vector<REC_UPLD_SV>& blocks, std::uint16_t value, ProgressTarget* progress);
    bool BytesChanged(const CTRL_WND& entry) const;
    // The largest range the first protocol's one-byte indexes reach.
    std::int64_t OldProtocolLimit(int imageSize) const;
    void ServeChannel(int channel);
    int ReadMemoryInto(MEMORY_REQUEST& request);
    // What the worker keeps of a request while serving it, to answer it
    // when its service fails.
    struct FailedRequest {
        unsigned id = 0;
        std::uint16_t memoryAddress = 0;
        std::int32_t memorySize = 0;
        static FailedRequest Of(const LinkMessage& request);
    };
    void AnswerFailedRequest(const FailedRequest& asked, const char* what);
    void OnQuit();
    // Ticks for a period in milliseconds.
    static unsigned PeriodTicks(std::uint64_t milliseconds);

    void OnAcquisitionStart(unsigned periodMs);
    void OnAcquisitionStop();
    void OnSetPollPeriod(unsigned periodMs);
    void OnSetObdPeriod(unsigned periodMs);
    void OnDtrPulse(unsigned seconds);
    void EndDtrPulse();
    void CloseAuxPort();

    // The role's window of remote assistance.
    UiWindow RemoteWindow() const { return m_bRemoteMaster ? UiWindow::RemoteMaster : UiWindow::RemoteSlave; }
    std::chrono::milliseconds RemoteReceiveWait() const;
    // Receives up to `count` bytes with the receive time-out, traced.
    int RemoteReceive(std::span<std::uint8_t> buffer, std::size_t count, std::span<const std::uint8_t> stopHead = {});
    // Master, after the start marker: reads the identification through the
    // bridge; false (nothing linked) when it fails or names another ECU.
    bool RemoteIdentMatches();
    void StopRelay();

    LinkTiming m_timing;
    BridgeRemoteLine m_bridgeLine{*this, m_timing.remote.receive};
    std::unique_ptr<std::thread> m_pRelayThread;
    mutable std::mutex m_csTables;
    std::shared_ptr<const LinkCtrlTables> m_tables;  // guarded by m_csTables
    std::shared_ptr<const LinkCtrlTables> m_acqTables;  // worker only: the tables of the running acquisition
    std::vector<std::uint8_t> m_varCopy;  // worker only: the variable master bytes a sample decodes
    bool m_bEndPosted = false;  // guarded by m_threadLock
    std::mutex m_threadLock;
};

}  // namespace vexar::link
