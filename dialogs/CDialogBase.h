#pragma once

// The base of the feature dialogs: a Qt dialog that is also a window of
// the windowing layer (posted messages, commands, timers), built in code.
//
// Its initialisation (OnInitDialog) runs each time the window is shown by
// the program, after the opener has filled the input members, as the
// system initialises a dialog at every creation. Buttons send their
// command ids (IDOK, IDCANCEL, control ids) to the command map; Esc and
// the close box send IDCANCEL. OnOK and OnCancel end the dialog with that
// result unless a dialog decides otherwise.

#include "platform/ui/DialogRequests.h"
#include "platform/ui/WindowBase.h"

#include <QDialog>

#include <string>

class QAbstractButton;
class QHBoxLayout;
class QPushButton;

class CDialogBase : public QDialog, public vexar::ui::WindowBase {
public:
    explicit CDialogBase(QWidget* parent = nullptr);
    ~CDialogBase() override;

    // Shows the dialog modally; IDOK or IDCANCEL.
    int DoModal();
    void EndDialog(int result) { done(result); }

    // The language file the captions come from; the opener sets it.
    std::string m_strLangFile;

protected:
    virtual void OnInitDialog() {}
    virtual void OnOK() { EndDialog(vexar::ui::IDOK); }
    virtual void OnCancel() { EndDialog(vexar::ui::IDCANCEL); }

    // Text `id` of the language file; empty when it has none (a file that
    // cannot be read is reported by the lookup).
    QString LangText(int id) const;
    // Gives `button` the control id and sends it as a command when clicked.
    void BindCommand(QAbstractButton& button, int id);
    // Binds OK and Cancel, makes OK the default button, and returns the two
    // as a row aligned right.
    QHBoxLayout* OkCancelRow(QPushButton& ok, QPushButton& cancel);

    void reject() override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    bool m_bInitialised = false;
};
