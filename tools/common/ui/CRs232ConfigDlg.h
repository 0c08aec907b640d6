#pragma once

#include <QDialog>

class QComboBox;

namespace vexar::tools {

// "RS232 Config": a port list (COM1 to COM256) and a baud list (9600,
// 19200). It always opens on the first port, and on 9600 or, for the tools
// that ask so, 19200; the current settings are not preselected.
class CRs232ConfigDlg : public QDialog {
public:
    enum { IDC_PORT = 1000, IDC_BAUD = 1001 };

    CRs232ConfigDlg(QWidget* parent, bool preferHigherBaud);

    // Valid after OK.
    int m_nPort = 1;
    long m_nBaud = 9600;

    QComboBox* PortList() const { return m_port; }
    QComboBox* BaudList() const { return m_baud; }

protected:
    void accept() override;

private:
    QComboBox* m_port;
    QComboBox* m_baud;
};

}  // namespace vexar::tools
