#pragma once

// The wait message of the main frame, shown while the link worker reads
// the whole image: one centred line (language text 3101) in a window
// without caption bar.

#include "dialogs/CModelessDialog.h"

#include <string>

class QLabel;

class CDlgWaitMsg : public CModelessDialog {
public:
    static constexpr int IDD = 264;
    static constexpr int IDC_MESSAGE = 1194;
    static constexpr int IDS_MESSAGE = 3101;

    explicit CDlgWaitMsg(QWidget* parent = nullptr);
    ~CDlgWaitMsg() override;

    // The text shown.
    std::u16string m_strMessage;

    QLabel& MessageLabel() const { return *m_label; }

protected:
    void OnInitDialog() override;

private:
    QLabel* m_label;
};
