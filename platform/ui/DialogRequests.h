#pragma once

// What the program asks of a message box, a file dialog or a folder
// browser, with the system's style flags and answers.

#include <QPointer>
#include <QWidget>

#include <string>

namespace vexar::ui {

// Buttons.
inline constexpr unsigned MB_OK = 0x0;
inline constexpr unsigned MB_OKCANCEL = 0x1;
inline constexpr unsigned MB_ABORTRETRYIGNORE = 0x2;
inline constexpr unsigned MB_YESNOCANCEL = 0x3;
inline constexpr unsigned MB_YESNO = 0x4;
inline constexpr unsigned MB_RETRYCANCEL = 0x5;
inline constexpr unsigned MB_TYPEMASK = 0xF;
// Icons.
inline constexpr unsigned MB_ICONERROR = 0x10;
inline constexpr unsigned MB_ICONQUESTION = 0x20;
inline constexpr unsigned MB_ICONEXCLAMATION = 0x30;
inline constexpr unsigned MB_ICONINFORMATION = 0x40;
inline constexpr unsigned MB_ICONMASK = 0xF0;
// The default button.
inline constexpr unsigned MB_DEFBUTTON2 = 0x100;
inline constexpr unsigned MB_DEFBUTTON3 = 0x200;
inline constexpr unsigned MB_DEFMASK = 0xF00;

// Answers.
inline constexpr int IDOK = 1;
inline constexpr int IDCANCEL = 2;
inline constexpr int IDABORT = 3;
inline constexpr int IDRETRY = 4;
inline constexpr int IDIGNORE = 5;
inline constexpr int IDYES = 6;
inline constexpr int IDNO = 7;

struct MessageBoxRequest {
    QPointer<QWidget> owner;  // none: a box of its own
    std::u16string text;
    std::u16string caption;
    unsigned style = MB_OK;
};

// The answer that dismisses a box without agreeing to anything: Cancel
// where the box has it, else No, Abort or OK.
int DismissAnswer(unsigned style);

struct FileDialogRequest {
    QPointer<QWidget> owner;
    bool save = false;                 // a Save dialog, else an Open dialog
    std::u16string title;              // empty: the dialog's own
    std::string folder;                // where it starts
    std::u16string fileName;           // the name it proposes
    std::u16string filter;             // "Dat Files (*.dat)|*.dat|" pairs
    std::u16string defaultExtension;   // added to a typed name without one (".dat")
    bool mustExist = false;            // Open: the chosen file must exist
};

struct FolderDialogRequest {
    QPointer<QWidget> owner;
    std::u16string title;
    std::string folder;
    bool includeFiles = false;  // files are shown too
};

}  // namespace vexar::ui
