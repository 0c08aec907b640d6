#pragma once

// Two calibration files side by side: each chosen file's lines in a list
// of its own, and on request the parameters whose values differ, in three
// columns (name, value in file 1, value in file 2; "-" where a file lacks
// the parameter).

#include "dialogs/CDialogBase.h"
#include "dialogs/core/CalibCompare.h"
#include "platform/ui/ColorRef.h"

#include <QFont>
#include <optional>
#include <string>

class CButtonMfc;
class CHorzListBox;
class QLineEdit;
class QTableWidget;

class CDlgCmpFilePC : public CDialogBase {
public:
    static constexpr int IDD = 324;
    static constexpr int IDC_CHOOSE_FILE1 = 1268;
    static constexpr int IDC_CHOOSE_FILE2 = 1269;
    static constexpr int IDC_COMPARE = 1270;
    static constexpr int IDC_NAME_FILE1 = 1276;
    static constexpr int IDC_NAME_FILE2 = 1277;
    static constexpr int IDC_LINES_FILE2 = 1280;
    static constexpr int IDC_LINES_FILE1 = 1281;
    static constexpr int IDC_DIFFERENCES = 1282;
    static constexpr int IDS_TITLE = 3192;
    static constexpr int IDS_END_OF_COMPARISON = 3199;

    explicit CDlgCmpFilePC(QWidget* parent = nullptr);
    ~CDlgCmpFilePC() override;

    // Inputs.
    QFont m_font;  // fixed pitch
    vexar::ui::COLORREF m_crText = vexar::ui::RGB(0, 0, 0);
    std::u16string m_strRootFolder;  // ends with '/'
    std::u16string m_strEcuType;

    void OnChooseFile1();
    void OnChooseFile2();
    // The path chosen in an Open dialog starting in the ECU type's folder,
    // and its display name; nothing on Cancel.
    struct CHOSEN_FILE {
        std::string path;
        std::u16string displayName;
    };
    std::optional<CHOSEN_FILE> ChooseFile();
    // Reads `path` into `lines` and `listing`; an unreadable file leaves
    // both empty after "Error to open file %s!".
    void LoadFile(const std::string& path, CHorzListBox& lines, vexar::calib::CALIB_LISTING& listing);
    void OnCompare();

    QLineEdit& NameField(int file) const { return file == 1 ? *m_name1 : *m_name2; }
    CHorzListBox& Lines(int file) const { return file == 1 ? *m_lines1 : *m_lines2; }
    QTableWidget& Differences() const { return *m_differences; }

protected:
    void OnInitDialog() override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void OnChooseFile(QLineEdit& name, CHorzListBox& lines, vexar::calib::CALIB_LISTING& listing);
    void OnCtlColor();
    // Each column a third of the list's width, or wider when its texts
    // need it, so every value reads in full.
    void SizeColumns();
    // Widens the dialog, up to the screen, until every column shows whole.
    void WidenToColumns();

    CButtonMfc* m_choose1;
    CButtonMfc* m_choose2;
    CButtonMfc* m_compare;
    CButtonMfc* m_ok;
    QLineEdit* m_name1;
    QLineEdit* m_name2;
    CHorzListBox* m_lines1;
    CHorzListBox* m_lines2;
    QTableWidget* m_differences;
    vexar::calib::CALIB_LISTING m_file1;
    vexar::calib::CALIB_LISTING m_file2;
};
