#include "platform/ui/QtDialogs.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QRegularExpression>

#include <utility>
#include <vector>

namespace vexar::ui {

namespace {

using Button = QMessageBox::StandardButton;

const std::vector<std::pair<Button, int>>& ButtonsOf(unsigned style)
{
    static const std::vector<std::pair<Button, int>> ok{{QMessageBox::Ok, IDOK}};
    static const std::vector<std::pair<Button, int>> okCancel{{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}};
    static const std::vector<std::pair<Button, int>> abortRetryIgnore{
        {QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
    static const std::vector<std::pair<Button, int>> yesNoCancel{
        {QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
    static const std::vector<std::pair<Button, int>> yesNo{{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}};
    static const std::vector<std::pair<Button, int>> retryCancel{{QMessageBox::Retry, IDRETRY},
                                                                 {QMessageBox::Cancel, IDCANCEL}};
    switch (style & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return okCancel;
    case MB_ABORTRETRYIGNORE:
        return abortRetryIgnore;
    case MB_YESNOCANCEL:
        return yesNoCancel;
    case MB_YESNO:
        return yesNo;
    case MB_RETRYCANCEL:
        return retryCancel;
    default:
        return ok;
    }
}

QMessageBox::Icon IconOf(unsigned style)
{
    switch (style & MB_ICONMASK) {
    case MB_ICONERROR:
        return QMessageBox::Critical;
    case MB_ICONQUESTION:
        return QMessageBox::Question;
    case MB_ICONEXCLAMATION:
        return QMessageBox::Warning;
    case MB_ICONINFORMATION:
        return QMessageBox::Information;
    default:
        return QMessageBox::NoIcon;
    }
}

QString Qt16(const std::u16string& text) { return QString::fromStdU16String(text); }

// ".dat" or "*.hex" as Qt's suffix "dat", "hex".
QString Suffix(const std::u16string& extension)
{
    QString suffix = Qt16(extension);
    while (suffix.startsWith(u'*') || suffix.startsWith(u'.'))
        suffix.remove(0, 1);
    return suffix;
}

std::optional<std::string> Chosen(QFileDialog& dialog)
{
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

// The folder browser that shows files too: Qt's own (not the desktop's)
// file dialog whose Open takes the selected entry as it is, a folder or a
// file, or the folder shown when nothing is selected; a double click on a
// folder still opens it.
class FolderOrFileDialog : public QFileDialog {
public:
    using QFileDialog::QFileDialog;

    QString m_chosen;

    void accept() override
    {
        const QStringList selected = selectedFiles();
        QString path = selected.isEmpty() ? directory().absolutePath() : selected.first();
        if (!QFileInfo::exists(path))
            path = directory().absolutePath();
        m_chosen = path;
        QDialog::accept();
    }
};

}  // namespace

int QtDialogs::MessageBox(const MessageBoxRequest& request)
{
    QMessageBox box(IconOf(request.style), Qt16(request.caption), Qt16(request.text), QMessageBox::NoButton,
                    request.owner.data());
    box.setTextFormat(Qt::PlainText);
    const auto& buttons = ButtonsOf(request.style);
    for (const auto& [button, answer] : buttons)
        box.addButton(button);
    const std::size_t defaultIndex = (request.style & MB_DEFMASK) >> 8;
    if (defaultIndex < buttons.size())
        box.setDefaultButton(buttons[defaultIndex].first);
    const auto clicked = static_cast<Button>(box.exec());
    for (const auto& [button, answer] : buttons) {
        if (button == clicked)
            return answer;
    }
    return DismissAnswer(request.style);
}

std::optional<std::string> QtDialogs::FileDialog(const FileDialogRequest& request)
{
    QFileDialog dialog(request.owner.data(), Qt16(request.title), QString::fromStdString(request.folder));
    dialog.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(!request.save && request.mustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    // The commands ask before they overwrite, in their own words.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.setNameFilters(QtFileFilters(request.filter));
    dialog.setDefaultSuffix(Suffix(request.defaultExtension));
    if (!request.fileName.empty())
        dialog.selectFile(Qt16(request.fileName));
    return Chosen(dialog);
}

std::optional<std::string> QtDialogs::FolderDialog(const FolderDialogRequest& request)
{
    if (request.includeFiles) {
        FolderOrFileDialog dialog(request.owner.data(), Qt16(request.title), QString::fromStdString(request.folder));
        dialog.setOption(QFileDialog::DontUseNativeDialog, true);
        dialog.setFileMode(QFileDialog::ExistingFile);
        if (dialog.exec() != QDialog::Accepted || dialog.m_chosen.isEmpty())
            return std::nullopt;
        return dialog.m_chosen.toStdString();
    }
    QFileDialog dialog(request.owner.data(), Qt16(request.title), QString::fromStdString(request.folder));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly, true);
    return Chosen(dialog);
}

QStringList QtFileFilters(const std::u16string& filter)
{
    static const QRegularExpression trailingPatterns(QStringLiteral("\\s*\\([^()]*\\)\\s*$"));
    const QStringList parts = Qt16(filter).split(u'|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        if (parts[i].isEmpty() && parts[i + 1].isEmpty())
            break;
        QStringList patterns;
        for (const QString& pattern : parts[i + 1].split(u';', Qt::SkipEmptyParts)) {
            for (const QString& form : {pattern.trimmed(), pattern.trimmed().toLower(), pattern.trimmed().toUpper()}) {
                if (!patterns.contains(form))
                    patterns.append(form);
            }
        }
        QString description = parts[i];
        description.remove(trailingPatterns);
        filters.append(QStringLiteral("%1 (%2)").arg(description, patterns.join(u' ')));
    }
    return filters;
}

}  // namespace vexar::ui
