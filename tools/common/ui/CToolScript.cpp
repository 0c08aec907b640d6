#include "tools/common/ui/CToolScript.h"

#include <QString>
#include <QTimer>

#include <cstdio>
#include <cstdlib>

namespace vexar::tools {

std::unique_ptr<CToolScript> CToolScript::FromEnvironment()
{
    const char* text = std::getenv("VEXAR_TOOL_SCRIPT");
    if (!text || !*text)
        return nullptr;
    auto script = std::make_unique<CToolScript>();
    if (!script->Parse(text)) {
        std::fprintf(stderr, "VEXAR_TOOL_SCRIPT: cannot read \"%s\"\n", text);
        script->m_failed = true;
    }
    return script;
}

bool CToolScript::Parse(const std::string& text)
{
    std::size_t from = 0;
    bool first = true;
    for (;;) {
        const std::size_t comma = text.find(',', from);
        const std::string word = text.substr(from, comma == std::string::npos ? std::string::npos : comma - from);
        if (first) {
            if (word != "run")
                return false;
            m_run = true;
            first = false;
        } else if (word == "ok") {
            m_answers.push_back(ui::IDOK);
        } else if (word == "cancel") {
            m_answers.push_back(ui::IDCANCEL);
        } else if (word == "yes") {
            m_answers.push_back(ui::IDYES);
        } else if (word == "no") {
            m_answers.push_back(ui::IDNO);
        } else if (word == "retry") {
            m_answers.push_back(ui::IDRETRY);
        } else {
            return false;
        }
        if (comma == std::string::npos)
            return true;
        from = comma + 1;
    }
}

CToolScript::~CToolScript()
{
    if (m_attached)
        ui::SetDialogResponder(m_previous);
}

void CToolScript::Attach(std::function<void()> pressStart, std::function<void()> pressExit, std::function<void()> abandon)
{
    m_pressStart = std::move(pressStart);
    m_pressExit = std::move(pressExit);
    m_abandon = std::move(abandon);
    m_previous = ui::SetDialogResponder(this);
    m_attached = true;
    if (m_failed)
        QTimer::singleShot(0, [this] { m_abandon(); });
}

void CToolScript::ArgumentApplied()
{
    if (m_run && !m_started && !m_failed) {
        m_started = true;
        QTimer::singleShot(0, [this] { m_pressStart(); });
    }
}

void CToolScript::RunEnded()
{
    if (m_started && !m_failed)
        QTimer::singleShot(0, [this] { m_pressExit(); });
}

void CToolScript::Fail(const std::u16string& what)
{
    std::fprintf(stderr, "VEXAR_TOOL_SCRIPT: unexpected dialog: %s\n", QString::fromStdU16String(what).toLocal8Bit().constData());
    m_failed = true;
    QTimer::singleShot(0, [this] { m_abandon(); });
}

int CToolScript::MessageBox(const ui::MessageBoxRequest& request)
{
    if (m_answers.empty() || m_failed) {
        Fail(request.text);
        return ui::DismissAnswer(request.style);
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    std::fprintf(stderr, "VEXAR_TOOL_SCRIPT: box \"%s\" answered %d\n",
                 QString::fromStdU16String(request.text).toLocal8Bit().constData(), answer);
    return answer;
}

std::optional<std::string> CToolScript::FileDialog(const ui::FileDialogRequest& request)
{
    Fail(request.title);
    return std::nullopt;
}

std::optional<std::string> CToolScript::FolderDialog(const ui::FolderDialogRequest& request)
{
    Fail(request.title);
    return std::nullopt;
}

}  // namespace vexar::tools
