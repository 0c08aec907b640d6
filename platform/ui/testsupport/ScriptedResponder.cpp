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
    const auto step = Take({.kind = ShownDialog::Kind::MessageBox,
                            .owner = request.owner,
                            .text = request.text,
                            .caption = request.caption,
                            .style = request.style});
    return step ? step->answer : ui::DismissAnswer(request.style);
}

std::optional<std::string> ScriptedResponder::FileDialog(const ui::FileDialogRequest& request)
{
    const auto step = Take({.kind = ShownDialog::Kind::File,
                            .owner = request.owner,
                            .text = request.title,
                            .save = request.save,
                            .folder = request.folder,
                            .fileName = request.fileName,
                            .filter = request.filter});
    return step ? step->path : std::nullopt;
}

std::optional<std::string> ScriptedResponder::FolderDialog(const ui::FolderDialogRequest& request)
{
    const auto step = Take({.kind = ShownDialog::Kind::Folder, .owner = request.owner, .text = request.title,
                            .folder = request.folder});
    return step ? step->path : std::nullopt;
}

}  // namespace vexar::uitest
