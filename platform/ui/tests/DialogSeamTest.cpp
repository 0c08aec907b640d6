// The seam in front of message boxes and file dialogs: scripted answers in
// the tests, a failure for a dialog nobody expected, the error reporter's
// boxes, and the real Qt dialogs behind it.
#include "ScriptedResponder.h"
#include "TempDir.h"
#include "TestWindow.h"
#include "platform/ui/MessageBoxErrorReporter.h"
#include "platform/ui/QtDialogs.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <thread>

#include <sys/stat.h>

namespace vexar::uitest {
namespace {

using namespace ui;

TEST(DialogSeam, AScriptedAnswerAnswersTheMessageBoxAndTheBoxIsRecorded)
{
    ScriptedResponder dialogs;
    dialogs.ExpectMessageBox(IDNO, u"interrompere");
    QWidget owner;
    EXPECT_EQ(MessageBox(&owner, u"Vuoi interrompere il lavoro?", u"", MB_YESNO | MB_ICONQUESTION), IDNO);

    ASSERT_EQ(dialogs.shown().size(), 1u);
    const ShownDialog& shown = dialogs.shown()[0];
    EXPECT_EQ(shown.kind, ShownDialog::Kind::MessageBox);
    EXPECT_EQ(shown.owner.data(), &owner);
    EXPECT_EQ(shown.text, u"Vuoi interrompere il lavoro?");
    EXPECT_EQ(shown.style, MB_YESNO | MB_ICONQUESTION);
    EXPECT_EQ(dialogs.pending(), 0u);
}

TEST(DialogSeam, AnUnexpectedMessageBoxFailsTheTestAndIsDismissed)
{
    int answer = 0;
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedResponder dialogs;
            answer = MessageBox(nullptr, u"Sorpresa", u"", MB_YESNOCANCEL);
        },
        "unexpected message box \"Sorpresa\"");
    EXPECT_EQ(answer, IDCANCEL);

    // A box other than the one scripted fails too, and the script waits.
    ScriptedResponder dialogs;
    dialogs.ExpectMessageBox(IDOK, u"Salvato");
    EXPECT_NONFATAL_FAILURE(answer = MessageBox(nullptr, u"Errore", u"", MB_YESNO), "unexpected message box \"Errore\"");
    EXPECT_EQ(answer, IDNO);
    EXPECT_EQ(MessageBox(nullptr, u"Salvato.", u"", MB_OK), IDOK);
}

TEST(DialogSeam, AScriptedDialogThatNeverShowsFailsTheTest)
{
    EXPECT_NONFATAL_FAILURE(
        {
            ScriptedResponder dialogs;
            dialogs.ExpectMessageBox(IDOK, u"Salvato");
        },
        "never shown: Salvato");
}

TEST(DialogSeam, FileAndFolderDialogsTakeTheirScriptedPathsInOrder)
{
    ScriptedResponder dialogs;
    dialogs.ExpectFileDialog(false, "/tmp/a.dat");
    dialogs.ExpectFileDialog(true, std::nullopt);
    dialogs.ExpectFolderDialog("/tmp/update");

    FileDialogRequest open;
    open.folder = "/tmp/Parametri/ECU";
    open.filter = u"Dat Files (*.dat)|*.dat|";
    open.mustExist = true;
    EXPECT_EQ(FileDialog(open), std::optional<std::string>("/tmp/a.dat"));
    FileDialogRequest save;
    save.save = true;
    save.fileName = u"Parametri.bin";
    EXPECT_EQ(FileDialog(save), std::nullopt);
    EXPECT_EQ(FolderDialog(FolderDialogRequest{nullptr, u"", "/tmp", true}), std::optional<std::string>("/tmp/update"));

    ASSERT_EQ(dialogs.shown().size(), 3u);
    EXPECT_EQ(dialogs.shown()[0].folder, "/tmp/Parametri/ECU");
    EXPECT_EQ(dialogs.shown()[0].filter, u"Dat Files (*.dat)|*.dat|");
    EXPECT_EQ(dialogs.shown()[1].fileName, u"Parametri.bin");
    EXPECT_EQ(dialogs.shown()[2].kind, ShownDialog::Kind::Folder);

    ScriptedResponder other;
    other.ExpectFileDialog(false, "/tmp/b.dat");
    EXPECT_NONFATAL_FAILURE(EXPECT_EQ(FileDialog(save), std::nullopt), "unexpected save dialog");
    EXPECT_EQ(FileDialog(open), std::optional<std::string>("/tmp/b.dat"));
}

TEST(DialogSeam, TheErrorReporterShowsAnExclamationBoxOwnedByTheMainWindow)
{
    ScriptedResponder dialogs;
    MessageBoxErrorReporter reporter;
    QWidget frame;
    reporter.SetOwner(&frame);
    dialogs.ExpectMessageBox(IDOK, u"Error to open file /x/VEXAR.cfg!");
    reporter.ShowError(u"Error to open file /x/VEXAR.cfg!");
    ASSERT_EQ(dialogs.shown().size(), 1u);
    EXPECT_EQ(dialogs.shown()[0].owner.data(), &frame);
    EXPECT_EQ(dialogs.shown()[0].caption, u"");
    EXPECT_EQ(dialogs.shown()[0].style, MB_OK | MB_ICONEXCLAMATION);
}

TEST(DialogSeam, AnErrorReportedOnAnotherThreadShowsLaterOnTheUiThread)
{
    ScriptedResponder dialogs;
    MessageBoxErrorReporter reporter;
    dialogs.ExpectMessageBox(IDOK, u"from the worker");
    std::thread([&] { reporter.ShowError(u"from the worker"); }).join();
    EXPECT_TRUE(dialogs.shown().empty());
    ASSERT_TRUE(ProcessUntil([&] { return dialogs.shown().size() == 1; }));
}

TEST(DialogSeam, DismissingABoxAgreesToNothing)
{
    EXPECT_EQ(DismissAnswer(MB_OK), IDOK);
    EXPECT_EQ(DismissAnswer(MB_OKCANCEL | MB_ICONQUESTION), IDCANCEL);
    EXPECT_EQ(DismissAnswer(MB_YESNOCANCEL), IDCANCEL);
    EXPECT_EQ(DismissAnswer(MB_RETRYCANCEL), IDCANCEL);
    EXPECT_EQ(DismissAnswer(MB_YESNO | MB_DEFBUTTON2), IDNO);
    EXPECT_EQ(DismissAnswer(MB_ABORTRETRYIGNORE), IDABORT);
}

TEST(QtDialogs, FiltersOfTheSystemsFormBecomeQtFiltersThatIgnoreLetterCase)
{
    EXPECT_EQ(QtFileFilters(u"Dat Files (*.dat)|*.dat|"), QStringList{"Dat Files (*.dat *.DAT)"});
    EXPECT_EQ(QtFileFilters(u"Application file (*.hex)|*.hex|Application file (*.bin)|*.bin||"),
              (QStringList{"Application file (*.hex *.HEX)", "Application file (*.bin *.BIN)"}));
    EXPECT_EQ(QtFileFilters(u"Srecord file (*.s19)|*.s19|All Files (*.*)|*.*||"),
              (QStringList{"Srecord file (*.s19 *.S19)", "All Files (*.*)"}));
    EXPECT_EQ(QtFileFilters(u"Images|*.Hex;*.bin|"), QStringList{"Images (*.Hex *.hex *.HEX *.bin *.BIN)"});
    EXPECT_TRUE(QtFileFilters(u"").isEmpty());
}

struct BoxCase {
    unsigned style;
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton;
    QMessageBox::Icon icon;
    QMessageBox::StandardButton clicked;
    int answer;
};

class RealMessageBox : public ::testing::TestWithParam<BoxCase> {};

// The real box, answered by a click once it shows.
TEST_P(RealMessageBox, ShowsTheStylesButtonsAndIconAndAnswersWithTheClickedButton)
{
    const BoxCase& row = GetParam();
    std::vector<QMessageBox::StandardButton> buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QTimer clicker;
    clicker.setInterval(10);
    QObject::connect(&clicker, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        clicker.stop();
        for (QAbstractButton* button : box->buttons())
            buttons.push_back(box->standardButton(button));
        defaultButton = box->defaultButton() ? box->standardButton(box->defaultButton()) : QMessageBox::NoButton;
        icon = box->icon();
        text = box->text();
        box->button(row.clicked)->click();
    });
    clicker.start();
    QtDialogs real;
    EXPECT_EQ(real.MessageBox(MessageBoxRequest{nullptr, u"Testo <b>1</b>", u"", row.style}), row.answer);
    std::sort(buttons.begin(), buttons.end());
    std::vector<QMessageBox::StandardButton> expected = row.buttons;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(buttons, expected);
    EXPECT_EQ(defaultButton, row.defaultButton);
    EXPECT_EQ(icon, row.icon);
    EXPECT_EQ(text, "Testo <b>1</b>");
}

INSTANTIATE_TEST_SUITE_P(
    Styles, RealMessageBox,
    ::testing::Values(
        BoxCase{MB_OK | MB_ICONEXCLAMATION, {QMessageBox::Ok}, QMessageBox::Ok, QMessageBox::Warning, QMessageBox::Ok,
                IDOK},
        BoxCase{MB_YESNO | MB_ICONQUESTION, {QMessageBox::Yes, QMessageBox::No}, QMessageBox::Yes,
                QMessageBox::Question, QMessageBox::No, IDNO},
        BoxCase{MB_YESNOCANCEL | MB_DEFBUTTON2, {QMessageBox::Yes, QMessageBox::No, QMessageBox::Cancel},
                QMessageBox::No, QMessageBox::NoIcon, QMessageBox::Cancel, IDCANCEL},
        BoxCase{MB_RETRYCANCEL | MB_ICONERROR, {QMessageBox::Retry, QMessageBox::Cancel}, QMessageBox::Retry,
                QMessageBox::Critical, QMessageBox::Retry, IDRETRY},
        BoxCase{MB_ABORTRETRYIGNORE | MB_DEFBUTTON3 | MB_ICONINFORMATION,
                {QMessageBox::Abort, QMessageBox::Retry, QMessageBox::Ignore}, QMessageBox::Ignore,
                QMessageBox::Information, QMessageBox::Ignore, IDIGNORE}));

// Runs `answer` on the first modal dialog of type T once it shows.
template <class T>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(T&)> answer) : m_answer(std::move(answer))
    {
        m_timer.setInterval(10);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
                m_timer.stop();
                m_answer(*dialog);
            }
        });
        m_timer.start();
    }

private:
    std::function<void(T&)> m_answer;
    QTimer m_timer;
};

class RealFileDialog : public ::testing::Test {
protected:
    void SetUp() override
    {
        testing::WriteAll(home.file("PARAM.DAT"), "x");
        testing::WriteAll(home.file("notes.txt"), "x");
        ASSERT_EQ(::mkdir(home.file("Update").c_str(), 0777), 0);
    }
    testing::TempDir home;
    QtDialogs real;
};

TEST_F(RealFileDialog, AnOpenDialogStartsInItsFolderAndFiltersWithoutRegardToCase)
{
    QStringList filters;
    QString folder;
    QFileDialog::FileMode mode{};
    ModalAnswer<QFileDialog> answer([&](QFileDialog& dialog) {
        filters = dialog.nameFilters();
        folder = dialog.directory().absolutePath();
        mode = dialog.fileMode();
        dialog.selectFile("PARAM.DAT");
        static_cast<QDialog&>(dialog).accept();
    });
    FileDialogRequest request;
    request.folder = home.path();
    request.filter = u"Dat Files (*.dat)|*.dat|";
    request.mustExist = true;
    EXPECT_EQ(real.FileDialog(request), std::optional<std::string>(home.file("PARAM.DAT")));
    EXPECT_EQ(filters, QStringList{"Dat Files (*.dat *.DAT)"});
    EXPECT_EQ(folder, QString::fromStdString(home.path()));
    EXPECT_EQ(mode, QFileDialog::ExistingFile);
}

TEST_F(RealFileDialog, ASaveDialogAddsTheDefaultExtensionAndCancelGivesNothing)
{
    {
        ModalAnswer<QFileDialog> answer([](QFileDialog& dialog) { static_cast<QDialog&>(dialog).accept(); });
        FileDialogRequest request;
        request.save = true;
        request.folder = home.path();
        request.fileName = u"Parametri";
        request.filter = u"Bin Files (*.bin)|*.bin|";
        request.defaultExtension = u".bin";
        EXPECT_EQ(real.FileDialog(request), std::optional<std::string>(home.file("Parametri.bin")));
    }
    ModalAnswer<QFileDialog> cancel([](QFileDialog& dialog) { dialog.reject(); });
    EXPECT_EQ(real.FileDialog(FileDialogRequest{}), std::nullopt);
}

// The browser that shows files gives the chosen folder or file, or the
// folder shown when nothing is chosen; the folders-only browser gives a
// folder.
TEST_F(RealFileDialog, AFolderBrowserGivesTheChosenFolderOrFile)
{
    const struct {
        bool includeFiles;
        std::string select;  // empty: nothing
        std::string expected;
    } cases[] = {
        {true, home.file("Update"), home.file("Update")},
        {true, home.file("notes.txt"), home.file("notes.txt")},
        {true, "", home.path()},
        {false, home.file("Update"), home.file("Update")},
    };
    for (const auto& c : cases) {
        bool showsFiles = false;
        ModalAnswer<QFileDialog> answer([&](QFileDialog& dialog) {
            showsFiles = !dialog.testOption(QFileDialog::ShowDirsOnly) && dialog.fileMode() != QFileDialog::Directory;
            if (!c.select.empty())
                dialog.selectFile(QString::fromStdString(c.select));
            static_cast<QDialog&>(dialog).accept();
        });
        EXPECT_EQ(real.FolderDialog(FolderDialogRequest{nullptr, u"", home.path(), c.includeFiles}),
                  std::optional<std::string>(c.expected))
            << c.select;
        EXPECT_EQ(showsFiles, c.includeFiles) << c.select;
    }
}

}  // namespace
}  // namespace vexar::uitest
