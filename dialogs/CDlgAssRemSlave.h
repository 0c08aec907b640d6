#pragma once

// The remote-assistance window of the workshop's side (the slave): the
// user types the client id the assistant gave and connects; the lamp is on
// while the relay runs, that is while the assistant drives this
// workstation's ECU. Either side may close.

#include "dialogs/CDlgAssRem.h"

class CDlgAssRemSlave : public CDlgAssRem {
public:
    static constexpr int IDD = 321;
    static constexpr int IDC_CONNECT = 1267;
    static constexpr int IDC_CLIENT_ID = 1266;
    static constexpr int IDC_LED_RUNNING = 1263;
    static constexpr int IDC_RULE = 1261;

    static constexpr int IDS_TITLE = 3179;
    static constexpr int IDS_CONNECT = 3184;
    static constexpr int IDS_CLOSE = 3204;

    explicit CDlgAssRemSlave(vexar::link::CVEXARLink& app, QWidget* parent = nullptr);
    ~CDlgAssRemSlave() override;

    // Button 1267: in connect mode the complemented id goes with the
    // connect request (nothing for an id that is not 8 hexadecimal
    // digits); else the close.
    void OnConnectServer();
    // WM_REMOTE_STATUS.
    void OnLinkStatus(std::uintptr_t status, std::intptr_t number);

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;

    CCWButton& Lamp() const { return *m_led; }
    CButtonMfc& ConnectButton() const { return *m_connect; }
    CCtrlEditInfo& ClientIdField() const { return *m_clientId; }
    QLabel& Caption(int id) const;

protected:
    void LoadCaptions() override;

private:
    // The idle look: lamp off, connect caption, connect mode.
    void Reset();

    CButtonMfc* m_connect;
    CCtrlEditInfo* m_clientId;
    CCWButton* m_led;
};
