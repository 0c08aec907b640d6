#pragma once

// The petrol live-values window: a small always-on-top window, opened by
// the view while the OBD adapter is linked, that lists the PIDs both
// requested and supported with description, value and unit, the values
// updated by the worker's posts. It keeps its place, size and column
// widths in Benz.cfg and writes the PIDs it shows to PID.cfg. Only its
// owner closes it: the close button, Enter and Esc do nothing.

#include "link/ObdRecords.h"
#include "pages/core/LayoutSettings.h"
#include "platform/ui/WindowBase.h"

#include <QFont>
#include <QRect>
#include <QWidget>

#include <array>
#include <memory>
#include <string>

class CCtrlList;
class CVEXARPages;
class QTreeWidget;

namespace vexar::ui {
class MessagePayload;
}

// The PID result a WM_OBD_PID_VALUE carries, taken out of the message;
// null for any other record. The message keeps nothing.
std::unique_ptr<vexar::link::OBD_PID_RESULT> TakePidResult(std::unique_ptr<vexar::ui::MessagePayload>& payload);

namespace CUtility {
// The row of `pid` in `list` (item data = PID), or -1.
int FindPidRow(const QTreeWidget& list, int pid);
// Sets the row's image (1 good, 2 failed, 3 new) and value text; nothing
// when the list has no row for the PID.
void SetPidListText(QTreeWidget& list, int pid, int image, const std::u16string& text);
// Shows a result on its row: the value and image 1, or the error text and
// image 2.
void ShowPidResult(QTreeWidget& list, int pid, const vexar::link::OBD_PID_RESULT& result);
// A posted result for `list`; the record is the caller's and goes with it.
void OnPidResult(QTreeWidget& list, int pid, std::unique_ptr<vexar::link::OBD_PID_RESULT> record);
// The image of a row (the item's decoration role index).
int PidRowImage(const QTreeWidget& list, int row);
// The four columns of a petrol list (PID, description, value, unit):
// grid lines, full-row selection, fixed widths.
void SetupPidList(QTreeWidget& list);
// The width inside the list's frame, from the list's own size: before a
// window first shows, its viewport keeps the size of an earlier layout.
int ListClientWidth(const QTreeWidget& list);
// The PID column at least `design` wide and wide enough for what its rows
// hold (check box, row image and the two digits in the list's font).
int FitPidColumn(QTreeWidget& list, int design);
}  // namespace CUtility

class CDlgDinamSVBenz : public QWidget, public vexar::ui::WindowBase {
public:
    static constexpr int IDD = 341;
    static constexpr int IDS_COL_PID = 3285;
    static constexpr int IDS_COL_DESC = 3286;
    static constexpr int IDS_COL_VALUE = 3287;
    static constexpr int IDS_COL_UNIT = 3288;

    explicit CDlgDinamSVBenz(CVEXARPages& app);
    ~CDlgDinamSVBenz() override;

    // What the view hands over before Create.
    std::string m_strLangFile;
    LAYOUT_SETTINGS m_settings;
    QRect m_statusBarRect;  // the main frame's status bar, screen coordinates

    // Makes and shows the window at its stored place with the rows of the
    // PIDs requested and supported.
    bool Create(QWidget* owner);
    bool IsCreated() const { return m_bCreated; }
    // Saves the layout, writes PID.cfg for the privileged profiles, and
    // takes the window away.
    void Close();

    void FillRows();
    void ShowPid(int pid, bool show);
    void AddPid(int pid);
    void RemovePidRow(int pid);
    // Profiles 0, 4 and 5 write PID.cfg from the rows shown.
    void SavePidList();
    void WritePidFile();
    void LoadLayout();
    void SaveLayout();

    CCtrlList& List() const { return *m_list; }
    std::string PidFilePath() const;
    std::string LayoutFilePath() const;

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<vexar::ui::MessagePayload>& payload) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void InsertPidRow(int pid);
    QRect DefaultPlace() const;
    std::array<long, 4> ColumnWidths() const;
    std::u16string Companion(int pid, char16_t which) const;

    CVEXARPages& m_app;
    bool m_bCreated = false;
    CCtrlList* m_list = nullptr;
    // The column widths are the defaults, not Benz.cfg's.
    bool m_bDefaultWidths = false;
    QRect m_place;
    std::array<long, 4> m_widths{};
};
