#include "dialogs/CDlgAssRemMaster.h"

#include "common/Text.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/widgets/CCWButton.h"
#include "pages/widgets/CCWSlide.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"

#include <QGridLayout>
#include <QLabel>

using namespace vexar;

namespace {

// The lamps with their captions (label id, text id), top to bottom.
struct LampRow {
    int lamp;
    int label;
    int text;
};
constexpr LampRow kLampRows[] = {
    {CDlgAssRemMaster::IDC_LED_CONNECTED, 1248, 3163},
    {CDlgAssRemMaster::IDC_LED_GREETED, 1249, 3164},
    {CDlgAssRemMaster::IDC_LED_ID_ACK, 1255, 3168},
    {CDlgAssRemMaster::IDC_LED_STARTED, 1253, 3167},
};
// The other captions (label id, text id).
constexpr std::pair<int, int> kCaptions[] = {{1251, 3165}, {1261, 3214}, {1257, 3169}, {1258, 3170}, {1263, 3215}};

CCWSlide* MakeBar(QWidget* parent, int id, double maximum)
{
    auto* bar = new CCWSlide(parent);
    bar->setObjectName(QString::number(id));
    bar->SetLook(CCWSlide::Look::HorizontalBar);
    bar->SetRange(0, maximum);
    bar->SetBarShown(CCWSlide::BarShown::Positive);
    bar->SetInputEnabled(false);
    return bar;
}

}  // namespace

CDlgAssRemMaster::CDlgAssRemMaster(link::CVEXARLink& app, QWidget* parent) : CDlgAssRem(app, parent)
{
    setWindowTitle(QStringLiteral("Assistenza remota"));
    QGridLayout& grid = Grid();
    QWidget* content = grid.parentWidget();
    int row = 0;
    for (const LampRow& entry : kLampRows)
        AddLampRow(row++, entry.lamp, entry.label);
    m_ledConnected = &Lamp(IDC_LED_CONNECTED);
    m_ledGreeted = &Lamp(IDC_LED_GREETED);
    m_ledIdAck = &Lamp(IDC_LED_ID_ACK);
    m_ledStarted = &Lamp(IDC_LED_STARTED);

    m_connect = new CButtonMfc(QStringLiteral("Connessione a Server"), content);
    m_connect->setObjectName(QString::number(IDC_CONNECT));
    BindCommand(*m_connect, IDC_CONNECT);
    grid.addWidget(AddLabel(1251), row, 0, 1, 2);
    grid.addWidget(m_connect, row, 2, 1, 2);
    ++row;

    m_clientId = new CCtrlEditInfo(content);
    m_clientId->setObjectName(QString::number(IDC_CLIENT_ID));
    m_send = new CButtonMfc(QStringLiteral("Invio Client ID"), content);
    m_send->setObjectName(QString::number(IDC_SEND_ID));
    BindCommand(*m_send, IDC_SEND_ID);
    grid.addWidget(AddLabel(1261), row, 0, 1, 2);
    grid.addWidget(m_clientId, row, 2);
    grid.addWidget(m_send, row, 3);
    ++row;

    grid.addWidget(AddLabel(1263), row++, 0, 1, 4);
    m_average = AddLabel(IDC_AVERAGE);
    m_averageBar = MakeBar(content, IDC_AVERAGE_BAR, 2000);
    grid.addWidget(AddLabel(1257), row, 0, 1, 2);
    grid.addWidget(m_average, row, 2, Qt::AlignRight);
    grid.addWidget(m_averageBar, row, 3);
    ++row;
    m_ratio = AddLabel(IDC_RATIO);
    m_ratioBar = MakeBar(content, IDC_RATIO_BAR, 100);
    grid.addWidget(AddLabel(1258), row, 0, 1, 2);
    grid.addWidget(m_ratio, row, 2, Qt::AlignRight);
    grid.addWidget(m_ratioBar, row, 3);
    grid.setRowStretch(row + 1, 1);
    grid.setColumnStretch(3, 1);
    ui::EnableWindow(*m_send, false);
}

CDlgAssRemMaster::~CDlgAssRemMaster() = default;

CCWButton& CDlgAssRemMaster::Lamp(int id) const
{
    return *Grid().parentWidget()->findChild<CCWButton*>(QString::number(id));
}

QLabel& CDlgAssRemMaster::Caption(int id) const
{
    return *Grid().parentWidget()->findChild<QLabel*>(QString::number(id));
}

void CDlgAssRemMaster::LoadCaptions()
{
    setWindowTitle(LangText(IDS_TITLE));
    for (const LampRow& entry : kLampRows)
        Caption(entry.label).setText(LangText(entry.text));
    for (const auto& [label, text] : kCaptions)
        Caption(label).setText(LangText(text));
    m_connect->setText(LangText(m_bConnectMode ? IDS_CONNECT : IDS_CLOSE));
    m_send->setText(LangText(IDS_SEND_ID));
    // The bars' marks and labels in the window's font and text colour.
    const int line = QFontMetrics(Font()).height();
    for (CCWSlide* bar : {m_averageBar, m_ratioBar}) {
        bar->setFont(Font());
        bar->SetScaleColor(m_crText);
        bar->SetLabelColor(m_crText);
        bar->setMinimumSize(line * 14, line * 3 + 6);
    }
    m_clientId->setMinimumWidth(QFontMetrics(Font()).horizontalAdvance(QStringLiteral("DDDDDDDDDD")) + 12);
    m_statistics.Clear();
}

std::intptr_t CDlgAssRemMaster::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                          std::unique_ptr<ui::MessagePayload>& payload)
{
    switch (id) {
    case link::WM_REMOTE_STATUS: OnLinkStatus(wParam, lParam); return 0;
    case link::WM_REMOTE_ID_SENT: OnSendFailed(wParam); return 0;
    case link::WM_REMOTE_TIMEOUT: OnSlaveLost(); return 0;
    case ui::WM_TIMER:
        if (wParam == kStatisticsTimer && m_bTimer)
            UpdateStatistics();
        return 0;
    default: return CDlgAssRem::onMessage(id, wParam, lParam, payload);
    }
}

bool CDlgAssRemMaster::onCommand(unsigned id)
{
    switch (id) {
    case IDC_CONNECT: OnConnectServer(); return true;
    case IDC_SEND_ID: OnSendClientId(); return true;
    default: return CDlgAssRem::onCommand(id);
    }
}

void CDlgAssRemMaster::OnConnectServer()
{
    if (m_bConnectMode) {
        m_app.PostLinkRequest(link::WM_LINK_REMOTE_CONNECT);
        return;
    }
    SetWaitCursor(true);
    m_app.PostLinkRequest(link::WM_LINK_REMOTE_CLOSE);
}

void CDlgAssRemMaster::OnSendClientId()
{
    const auto id = ClientId(*m_clientId);
    if (!id)
        return;
    auto record = std::make_unique<link::REMOTE_ID>();
    record->id = *id;
    m_app.PostLinkRequest(link::WM_LINK_REMOTE_SEND_ID, 0, 0, std::move(record));
}

void CDlgAssRemMaster::OnLinkStatus(std::uintptr_t status, std::intptr_t number)
{
    switch (status) {
    case 0:
        m_ledConnected->SetValue(true);
        m_connect->setText(LangText(IDS_CLOSE));
        m_bConnectMode = false;
        return;
    case 1:
        m_ledGreeted->SetValue(true);
        ui::EnableWindow(*m_send, true);
        return;
    case 2:
        m_ledIdAck->SetValue(true);
        ui::EnableWindow(*m_send, false);
        return;
    case 14:
        m_ledStarted->SetValue(true);
        m_statistics.Clear();
        StartTimer();
        return;
    case 3: Reset(); return;
    default: break;
    }
    StopTimer();
    std::u16string text = ConnectFailureText(status, number);
    if (status >= 7 && status <= 9)
        text = LangText(static_cast<int>(3175 + (status - 7))).toStdU16String();
    ShowFailure(text);
    Reset();
}

void CDlgAssRemMaster::OnSendFailed(std::uintptr_t failed)
{
    if (failed == 1) {
        ShowFailure(LangText(IDS_SEND_FAILED).toStdU16String());
        m_ledIdAck->SetValue(false);
        return;
    }
    m_ledIdAck->SetValue(true);
}

void CDlgAssRemMaster::OnSlaveLost()
{
    StopTimer();
    m_ledStarted->SetValue(false);
    m_ledIdAck->SetValue(false);
    ui::EnableWindow(*m_send, true);
}

void CDlgAssRemMaster::UpdateStatistics()
{
    std::int32_t expected = 0;
    std::int32_t received = 0;
    {
        std::lock_guard lock(m_app.m_csRemoteCounters);
        expected = m_app.m_nRemoteBytesTx;
        received = m_app.m_nRemoteBytesRx;
        m_app.m_nRemoteBytesTx = 0;
        m_app.m_nRemoteBytesRx = 0;
    }
    m_statistics.Add(expected, received);
    const std::int32_t average = m_statistics.AverageReceived();
    const std::int32_t ratio = m_statistics.ReceivedRatio();
    m_average->setText(QString::fromStdU16String(Format(u"%ld", static_cast<long>(average))));
    m_averageBar->SetValue(average);
    m_averageBar->SetBarValue(CCWSlide::BarItem::Positive, average);
    m_ratio->setText(QString::fromStdU16String(Format(u"%ld%%", static_cast<long>(ratio))));
    m_ratioBar->SetValue(ratio);
    m_ratioBar->SetBarValue(CCWSlide::BarItem::Positive, ratio);
}

void CDlgAssRemMaster::Reset()
{
    StopTimer();
    for (CCWButton* lamp : {m_ledConnected, m_ledGreeted, m_ledIdAck, m_ledStarted})
        lamp->SetValue(false);
    ui::EnableWindow(*m_send, false);
    m_average->clear();
    m_ratio->clear();
    SetWaitCursor(false);
    m_connect->setText(LangText(IDS_CONNECT));
    m_bConnectMode = true;
}

void CDlgAssRemMaster::StartTimer()
{
    SetTimer(kStatisticsTimer, kStatisticsPeriod);
    m_bTimer = true;
}

void CDlgAssRemMaster::StopTimer()
{
    if (m_bTimer)
        KillTimer(kStatisticsTimer);
    m_bTimer = false;
}

void CDlgAssRemMaster::OnClosing() { StopTimer(); }
