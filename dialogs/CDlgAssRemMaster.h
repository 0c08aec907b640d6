#pragma once

// The remote-assistance window of the assistant's side (the master): it
// connects to the bridge server and closes the connection, sends the client
// id agreed with the workshop, shows the steps of the handshake on four
// lamps and, while the slave runs, the traffic of the link each second:
// bytes received per second and received bytes as a share of those the
// relayed transactions expected, averaged over the last 20 seconds.

#include "dialogs/CDlgAssRem.h"
#include "dialogs/core/RemoteRules.h"

class CCWSlide;

class CDlgAssRemMaster : public CDlgAssRem {
public:
    static constexpr int IDD = 320;
    static constexpr int IDC_LED_CONNECTED = 1247;
    static constexpr int IDC_LED_GREETED = 1250;
    static constexpr int IDC_LED_ID_ACK = 1256;
    static constexpr int IDC_LED_STARTED = 1254;
    static constexpr int IDC_CONNECT = 1252;
    static constexpr int IDC_CLIENT_ID = 1259;
    static constexpr int IDC_SEND_ID = 1260;
    static constexpr int IDC_AVERAGE = 1262;
    static constexpr int IDC_AVERAGE_BAR = 1288;
    static constexpr int IDC_RATIO = 1264;
    static constexpr int IDC_RATIO_BAR = 1289;

    static constexpr int IDS_TITLE = 3162;
    static constexpr int IDS_CONNECT = 3166;
    static constexpr int IDS_CLOSE = 3203;
    static constexpr int IDS_SEND_ID = 3171;
    static constexpr int IDS_SEND_FAILED = 3178;

    static constexpr unsigned kStatisticsTimer = 0;
    static constexpr unsigned kStatisticsPeriod = 1000;  // ms

    explicit CDlgAssRemMaster(vexar::link::CVEXARLink& app, QWidget* parent = nullptr);
    ~CDlgAssRemMaster() override;

    // Button 1252: connect in connect mode, else close (wait cursor).
    void OnConnectServer();
    // Button 1260: the client id as typed.
    void OnSendClientId();
    // WM_REMOTE_STATUS.
    void OnLinkStatus(std::uintptr_t status, std::intptr_t number);
    // WM_REMOTE_ID_SENT: 1 the id frame could not be sent, 0 it was.
    void OnSendFailed(std::uintptr_t failed);
    // WM_REMOTE_TIMEOUT: the slave has gone; the bridge connection stays
    // and a new id may be sent.
    void OnSlaveLost();
    // Timer 0: one second's counts into the rings, the two values shown.
    void UpdateStatistics();

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;

    CCWButton& Lamp(int id) const;
    CButtonMfc& ConnectButton() const { return *m_connect; }
    CButtonMfc& SendButton() const { return *m_send; }
    CCtrlEditInfo& ClientIdField() const { return *m_clientId; }
    QLabel& AverageLabel() const { return *m_average; }
    QLabel& RatioLabel() const { return *m_ratio; }
    CCWSlide& AverageBar() const { return *m_averageBar; }
    CCWSlide& RatioBar() const { return *m_ratioBar; }
    QLabel& Caption(int id) const;
    bool TimerRunning() const { return m_bTimer; }
    const vexar::remote::RemoteStatistics& Statistics() const { return m_statistics; }

protected:
    void LoadCaptions() override;
    void OnClosing() override;

private:
    void StartTimer();
    void StopTimer();
    // The idle look: lamps off, send button off, statistics labels empty,
    // wait cursor ended, connect caption, connect mode.
    void Reset();

    CCWButton* m_ledConnected;
    CCWButton* m_ledGreeted;
    CCWButton* m_ledIdAck;
    CCWButton* m_ledStarted;
    CButtonMfc* m_connect;
    CCtrlEditInfo* m_clientId;
    CButtonMfc* m_send;
    QLabel* m_average;
    QLabel* m_ratio;
    CCWSlide* m_averageBar;
    CCWSlide* m_ratioBar;
    bool m_bTimer = false;
    vexar::remote::RemoteStatistics m_statistics;
};
