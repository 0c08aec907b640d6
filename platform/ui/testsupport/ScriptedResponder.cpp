#include "ScriptedResponder.h"

#include "common/Text.h"

#include <gtest/gtest.h>

namespace vexar::uitest {

namespace {

std::string Describe(const ShownDialog& dialog)
{
    switch (dialog.kind) {
    case ShownDialog::Kind::MessageBox:
        return "message box \"" + ToUtf8(dialog.text) + "\"";
    case ShownDialog::Kind::File:
        return std::string(dialog.save ? "save" : "open") + " dialog in \"" + dialog.folder + "\"";
    case ShownDialog::Kind::Folder:
        return "folder dialog in \"" + dialog.folder + "\"";
    }
    return {};
}

}  // namespace

ScriptedResponder::ScriptedResponder() : m_previous(ui::SetDialogResponder(this)) {}

ScriptedResponder::~ScriptedResponder()
{
    ui::SetDialogResponder(m_previous);
    for (const Step& step : m_script) {
        ADD_FAILURE() << "a scripted " << (step.kind == ShownDialog::Kind::MessageBox ? "message box" : "dialog")
                      << " was never shown" << (step.textPart.empty() ? "" : ": ") << ToUtf8(step.textPart);
    }
}

void ScriptedResponder::ExpectMessageBox(int answer, std::u16string textPart)
{
    m_script.push_back({ShownDialog::Kind::MessageBox, false, std::move(textPart), answer, std::nullopt});
}

void ScriptedResponder::ExpectFileDialog(bool save, std::optional<std::string> path)
{
    m_script.push_back({ShownDialog::Kind::File, save, {}, 0, std::move(path)});
}

void ScriptedResponder::ExpectFolderDialog(std::optional<std::string> path)
{
    m_script.push_back({ShownDialog::Kind::Folder, false, {}, 0, std::move(path)});
}

std::optional<ScriptedResponder::Step> ScriptedResponder::Take(const ShownDialog& dialog)
{
    m_shown.push_back(dialog);
    const bool fits = !m_script.empty() && m_script.front().kind == dialog.kind &&
                      m_script.front().save == dialog.save &&
                      dialog.text.find(m_script.front().textPart) != std::u16string::npos;
    if (!fits) {
        ADD_FAILURE() << "unexpected " << Describe(dialog);
        return std::nullopt;
    }
    Step step = std::move(m_script.front());
    m_script.pop_front();
    return step;
}

int ScriptedResponder::MessageBox(const ui::MessageBoxRequest& request)
{
    ShownDialog dialog;
    dialog.owner = request.owner;
    dialog.text = request.text;
    dialog.caption = request.caption;
    dialog.style = request.style;
    const auto step = Take(dialog);
    return step ? step->answer : ui::DismissAnswer(request.style);
}

std::optional<std::string> ScriptedResponder::FileDialog(const ui::FileDialogRequest& request)
{
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::File;
    dialog.owner = request.owner;
    dialog.text = request.title;
    dialog.save = request.save;
    dialog.folder = request.folder;
    dialog.fileName = request.fileName;
    dialog.filter = request.filter;
    const auto step = Take(dialog);
    return step ? step->path : std::nullopt;
}

std::optional<std::string> ScriptedResponder::FolderDialog(const ui::FolderDialogRequest& request)
{
    ShownDialog dialog;
    dialog.kind = ShownDialog::Kind::Folder;
    dialog.owner = request.owner;
    dialog.text = request.title;
    dialog.folder = request.folder;
    const auto step = Take(dialog);
    return step ? step->path : std::nullopt;
}

}  // namespace vexar::uitest
