#include "platform/ui/DialogResponder.h"

#include "platform/ui/QtDialogs.h"

namespace vexar::ui {

namespace {

DialogResponder*& Installed()
{
    static DialogResponder* responder = nullptr;
    return responder;
}

DialogResponder& Current()
{
    static QtDialogs realDialogs;
    DialogResponder* responder = Installed();
    return responder ? *responder : realDialogs;
}

}  // namespace

int DismissAnswer(unsigned style)
{
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
    case MB_YESNOCANCEL:
    case MB_RETRYCANCEL:
        return IDCANCEL;
    case MB_YESNO:
        return IDNO;
    case MB_ABORTRETRYIGNORE:
        return IDABORT;
    default:
        return IDOK;
    }
}

DialogResponder* SetDialogResponder(DialogResponder* responder)
{
    DialogResponder* previous = Installed();
    Installed() = responder;
    return previous;
}

int MessageBox(QWidget* owner, const std::u16string& text, const std::u16string& caption, unsigned style)
{
    return Current().MessageBox(MessageBoxRequest{owner, text, caption, style});
}

std::optional<std::string> FileDialog(const FileDialogRequest& request) { return Current().FileDialog(request); }

std::optional<std::string> FolderDialog(const FolderDialogRequest& request)
{
    return Current().FolderDialog(request);
}

}  // namespace vexar::ui
