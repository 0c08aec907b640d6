#pragma once

#include "platform/ui/WindowBase.h"
#include "tools/common/CIniFile.h"
#include "tools/common/LoaderImage.h"
#include "tools/hhwriter/CHandheldLink.h"
#include "tools/hhwriter/CHandheldSender.h"

#include <QDialog>

#include <memory>
#include <string>

class QCheckBox;
class QLabel;
class QListWidget;
class QProgressBar;
class QPushButton;

namespace vexar::tools {

class CToolScript;

// hhwriter's main dialog: the three items (language file, KD01 and KD02
// firmware) with their check boxes and choice buttons, and Start, which
// sends the ticked items one after the other on the dialog's own thread,
// dispatching the window's messages after every block.
class CHandheldWriterDlg : public QDialog, public ui::WindowBase, private IHandheldSendView {
public:
    enum {
        IDC_EXIT = 1, IDC_COM_CFG = 1008, IDC_ABOUT = 1024, IDC_LANG = 1050, IDC_START = 1053, IDC_FW_KD01 = 1054,
        IDC_STOP = 1068, IDC_FW_KD02 = 1101
    };
    enum Item { ITEM_LANG = 0, ITEM_KD01 = 1, ITEM_KD02 = 2 };

    // `replyTimeout`: the handheld's 2 s; `clock`: the item's elapsed time.
    CHandheldWriterDlg(std::string argument, std::string toolFolder, double replyTimeout = 2.0,
                       CHandheldSender::Clock clock = {}, QWidget* parent = nullptr);
    ~CHandheldWriterDlg() override;

    void OnExit();
    void OnComCfg();
    void OnAbout();
    void OnChoose(Item item);
    void OnStart();
    void OnStop();

    QPushButton* Button(int id) const;
    QCheckBox* Check(Item item) const { return m_items[item].check; }
    QString FileText(Item item) const;
    QListWidget* StatusList() const { return m_status; }
    QProgressBar* CurrentBar() const { return m_current; }
    QProgressBar* OverallBar() const { return m_overall; }
    QString CurrentText() const;
    QString OverallText() const;
    bool Sending() const { return m_sending; }
    void AttachScript(CToolScript* script) { m_script = script; }
    static const char* IniFileName() { return "hhwriter.ini"; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void reject() override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    struct ItemControls {
        std::string path;
        std::string name;
        int send = 0;
        QCheckBox* check = nullptr;
        QLabel* file = nullptr;
        QPushButton* choose = nullptr;
    };

    void BuildControls();
    void ReadSettings();
    void WriteSettings();
    void ApplyStartArgument();
    void ShowItem(Item item);
    void SetTitle();
    void AddStatus(const std::u16string& line);
    void EnableButtons(bool enable);
    void ItemDone(int done, int ticked);
    bool SendLanguage();
    bool SendKd01();
    bool SendKd02();
    void EndDialog(bool writeSettings);

    // IHandheldSendView
    void ItemBegins(long barMaximum) override;
    bool BlockSent(long lastByte, const std::u16string& progressText) override;
    void StatusLine(const std::u16string& line) override { AddStatus(line); }
    void ErrorBox(const std::u16string& text) override;

    std::string m_argument;
    std::string m_toolFolder;
    std::string m_iniPath;
    CIniFile m_ini{IniLastLine::Open};
    CHandheldLink m_link;
    CHandheldSender m_sender;

    int m_logo = 0;
    ItemControls m_items[3];
    std::vector<std::uint8_t> m_language;
    LOADER_IMAGE m_kd01;
    LOADER_IMAGE m_kd02;
    bool m_stop = false;
    bool m_sending = false;
    bool m_closePending = false;   // a close came while sending: end when it is over
    bool m_rejectPending = false;  // Escape came while sending
    bool m_ended = false;
    CToolScript* m_script = nullptr;

    QListWidget* m_status = nullptr;
    QProgressBar* m_current = nullptr;
    QLabel* m_currentText = nullptr;
    QProgressBar* m_overall = nullptr;
    QLabel* m_overallText = nullptr;
    QPushButton* m_start = nullptr;
    QPushButton* m_stopButton = nullptr;
    QPushButton* m_comCfg = nullptr;
    QPushButton* m_about = nullptr;
    QPushButton* m_exit = nullptr;
};

}  // namespace vexar::tools
