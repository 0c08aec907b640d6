#pragma once

// A small modeless window that shows the user that a long operation runs
// (the progress and the wait windows). The object lives as long as its
// owner; only its window comes and goes: Create shows it centred over a
// window of the owner's and sets the created flag, Close takes it away and
// clears the flag. It has no button: Enter, Esc and the close box do
// nothing, so only its owner ends it.

#include "dialogs/CDialogBase.h"

class CModelessDialog : public CDialogBase {
public:
    explicit CModelessDialog(QWidget* parent = nullptr);
    ~CModelessDialog() override;

    // Shows the window (initialising it) centred over `centreOn`, or over
    // its screen when none, and paints it at once. The owner tests the
    // created flag first: a second Create while it is open only centres it
    // again.
    void Create(QWidget* centreOn = nullptr);
    void Close();

    // 1 while the window is open.
    unsigned char m_bCreated = 0;

protected:
    void OnOK() override {}
    void OnCancel() override {}
};
