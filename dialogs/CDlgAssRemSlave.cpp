#include "dialogs/CDlgAssRemSlave.h"

#include "dialogs/core/RemoteRules.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/widgets/CCWButton.h"
#include "platform/ui/CButtonMfc.h"

#include <QGridLayout>
#include <QLabel>

using namespace vexar;

namespace {

// The captions (label id, text id).
constexpr std::pair<int, int> kCaptions[] = {{1260, 3180}, {1262, 3181}, {1264, 3182}, {1265, 3183}};

}  // namespace

CDlgAssRemSlave::CDlgAssRemSlave(link::CVEXARLink& app, QWidget* parent) : CDlgAssRem(app, parent)
{
    setWindowTitle(QStringLiteral("Assistenza remota"));
    QGridLayout& grid = Grid();
    QWidget* content = grid.parentWidget();
    m_clientId = new CCtrlEditInfo(content);
    m_clientId->setObjectName(QString::number(IDC_CLIENT_ID));
    grid.addWidget(AddLabel(1260), 0, 0, 1, 2);
    grid.addWidget(m_clientId, 0, 2);
    QLabel* rule = AddLabel(IDC_RULE);
    rule->setText(QString(40, QLatin1Char('_')));
    grid.addWidget(rule, 1, 0, 1, 3);
    m_connect = new CButtonMfc(QStringLiteral("Connessione a Server"), content);
    m_connect->setObjectName(QString::number(IDC_CONNECT));
    BindCommand(*m_connect, IDC_CONNECT);
    grid.addWidget(AddLabel(1262), 2, 0, 1, 2);
    grid.addWidget(m_connect, 2, 2);
    AddLampRow(3, IDC_LED_RUNNING, 1264);
    m_led = content->findChild<CCWButton*>(QString::number(IDC_LED_RUNNING));
    QLabel* note = AddLabel(1265);
    note->setWordWrap(true);
    grid.addWidget(note, 4, 0, 1, 3);
    grid.setRowStretch(5, 1);
    grid.setColumnStretch(2, 1);
}

CDlgAssRemSlave::~CDlgAssRemSlave() = default;

QLabel& CDlgAssRemSlave::Caption(int id) const
{
    return *Grid().parentWidget()->findChild<QLabel*>(QString::number(id));
}

void CDlgAssRemSlave::LoadCaptions()
{
    setWindowTitle(LangText(IDS_TITLE));
    for (const auto& [label, text] : kCaptions)
        Caption(label).setText(LangText(text));
    m_connect->setText(LangText(m_bConnectMode ? IDS_CONNECT : IDS_CLOSE));
    m_clientId->setMinimumWidth(QFontMetrics(Font()).horizontalAdvance(QStringLiteral("DDDDDDDDDD")) + 12);
}

std::intptr_t CDlgAssRemSlave::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                         std::unique_ptr<ui::MessagePayload>& payload)
{
    if (id == link::WM_REMOTE_STATUS) {
        OnLinkStatus(wParam, lParam);
        return 0;
    }
    return CDlgAssRem::onMessage(id, wParam, lParam, payload);
}

bool CDlgAssRemSlave::onCommand(unsigned id)
{
    if (id == IDC_CONNECT) {
        OnConnectServer();
        return true;
    }
    return CDlgAssRem::onCommand(id);
}

void CDlgAssRemSlave::OnConnectServer()
{
    if (!m_bConnectMode) {
        m_app.PostLinkRequest(link::WM_LINK_REMOTE_CLOSE);
        return;
    }
    const auto id = ClientId(*m_clientId);
    if (!id)
        return;
    auto record = std::make_unique<link::REMOTE_ID>();
    record->id = remote::ComplementId(*id);
    m_app.PostLinkRequest(link::WM_LINK_REMOTE_CONNECT, 0, 0, std::move(record));
}

void CDlgAssRemSlave::OnLinkStatus(std::uintptr_t status, std::intptr_t number)
{
    switch (status) {
    case 0:
        m_connect->setText(LangText(IDS_CLOSE));
        m_bConnectMode = false;
        return;
    case 2: m_led->SetValue(true); return;
    case 3: Reset(); return;
    default: break;
    }
    std::u16string text = ConnectFailureText(status, number);
    if (status >= 10 && status <= 13) {
        constexpr int kTexts[] = {3205, 3206, 3212, 3213};
        text = LangText(kTexts[status - 10]).toStdU16String();
    }
    ShowFailure(text);
    Reset();
}

void CDlgAssRemSlave::Reset()
{
    m_led->SetValue(false);
    m_connect->setText(LangText(IDS_CONNECT));
    m_bConnectMode = true;
}
