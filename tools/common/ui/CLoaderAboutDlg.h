#pragma once

#include <QDialog>

#include <string>

class QLabel;

namespace vexar::tools {

// "Version information": the company of the brand (LOGO), the program's
// comment, its version and its copyright.
class CLoaderAboutDlg : public QDialog {
public:
    // `program`: the tool's file name; `withComment` false for hhwriter.
    CLoaderAboutDlg(QWidget* parent, int logo, const std::string& program, bool withComment = true);

    QString CompanyText() const;
    QString CommentText() const;
    QString VersionText() const;
    QString CopyrightText() const;

private:
    QLabel* m_company;
    QLabel* m_comment;
    QLabel* m_version;
    QLabel* m_copyright;
};

}  // namespace vexar::tools
