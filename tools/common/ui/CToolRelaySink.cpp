#include "tools/common/ui/CToolRelaySink.h"

#include "platform/ui/DialogResponder.h"
#include "platform/ui/MessagePayload.h"

namespace vexar::tools {

CToolRelaySink::CToolRelaySink(QWidget* dialog, std::u16string boxCaption, CodeLine codeLine)
    : m_dialog(dialog), m_target(dialog), m_caption(std::move(boxCaption)), m_codeLine(std::move(codeLine))
{
}

CToolRelaySink::~CToolRelaySink()
{
    m_relay.Close();
}

void CToolRelaySink::StatusCode(int code, int port, long value)
{
    ui::WindowMessage message{WM_TOOL_STATUS, static_cast<std::uintptr_t>(code), value, nullptr};
    if (m_codeLine)
        message.payload = ui::BoxPayload(std::make_unique<std::u16string>(m_codeLine(code, port, value)));
    m_relay.Post(m_target, std::move(message));
}

void CToolRelaySink::StatusText(std::u16string text)
{
    m_relay.Post(m_target, {WM_TOOL_STATUS, 0, 0, ui::BoxPayload(std::make_unique<std::u16string>(std::move(text)))});
}

void CToolRelaySink::Progress(long written, long address)
{
    m_relay.Post(m_target, {WM_TOOL_PROGRESS, static_cast<std::uintptr_t>(written), address, nullptr});
}

void CToolRelaySink::ShowBox(const std::u16string& text, BoxButtons buttons, std::function<void(int)> answer)
{
    unsigned style = ui::MB_OK | ui::MB_ICONEXCLAMATION;
    if (buttons == BoxButtons::RetryCancel)
        style = ui::MB_RETRYCANCEL | ui::MB_ICONEXCLAMATION;
    else if (buttons == BoxButtons::YesNo)
        style = ui::MB_YESNO | ui::MB_ICONQUESTION;
    QPointer<QWidget> dialog = m_dialog;
    std::u16string caption = m_caption;
    m_relay.PostTask([dialog, text, caption, style, answer = std::move(answer)] {
        answer(ui::MessageBox(dialog, text, caption, style));
    });
}

void CToolRelaySink::PortChosen(int port)
{
    m_relay.Post(m_target, {WM_TOOL_PORT_CHOSEN, static_cast<std::uintptr_t>(port), 0, nullptr});
}

void CToolRelaySink::RunEnded()
{
    m_relay.Post(m_target, {WM_TOOL_RUN_ENDED, 0, 0, nullptr});
}

void CToolRelaySink::Succeeded()
{
    m_relay.Post(m_target, {WM_TOOL_SUCCEEDED, 0, 0, nullptr});
}

void CToolRelaySink::Close()
{
    m_relay.Close();
}

}  // namespace vexar::tools
