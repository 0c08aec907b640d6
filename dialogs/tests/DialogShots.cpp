// dialogs_shots FOLDER: shows the identification dialog linked, not
// linked and with texts longer than its fields, the two comment dialogs,
// the two calibration naming dialogs, the comparison of two
// calibration files and the two remote-assistance windows running on the display, with the shipped Italian texts (the longer ones)
// and the settings' page font, writes a picture of each into FOLDER for a
// person to look at, and checks that every control lies inside its dialog
// and every text fits its control.
// The exit status is the number of problems found.
#include "dialogs/CDlgAssRemMaster.h"
#include "dialogs/CDlgAssRemSlave.h"
#include "dialogs/CDlgCmpFilePC.h"
#include "dialogs/CDlgIdentCentr.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CDlgNomeFilePC.h"
#include "dialogs/CDlgNomeFilePCKD01.h"
#include "dialogs/CDlgViewComm.h"

#include "TempDir.h"
#include "dialogs/tests/ShotLanguage.h"
#include "common/CCriptFile.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "link/CVEXARLink.h"
#include "link/LinkMessages.h"
#include "pages/CCtrlBox.h"
#include "pages/CCtrlEditInfo.h"
#include "pages/core/CVEXARPages.h"
#include "platform/ui/DialogResponder.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTableWidget>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The shipped Italian texts ("id<TAB>text" lines, UTF-8) as a language file.
int CheckLayout(QWidget& dialog, const char* name)
{
    int problems = 0;
    const auto report = [&](QWidget& child, const char* what) {
        std::fprintf(stderr, "%s: %s %s (%s)\n", name, child.metaObject()->className(),
                     child.objectName().toLocal8Bit().constData(), what);
        ++problems;
    };
    for (QWidget* child : dialog.findChildren<QWidget*>()) {
        if (!child->isVisible() || child->parentWidget() == nullptr || child->inherits("QScrollBar"))
            continue;
        const QRect inDialog(child->mapTo(&dialog, QPoint(0, 0)), child->size());
        if (!dialog.rect().contains(inDialog))
            report(*child, "outside the dialog");
        const QFontMetrics metrics(child->font());
        if (auto* label = qobject_cast<QLabel*>(child);
            label && !label->wordWrap() && metrics.horizontalAdvance(label->text()) > label->contentsRect().width())
            report(*child, "text clipped");
        if (auto* label = qobject_cast<QLabel*>(child);
            label && label->wordWrap() && label->heightForWidth(label->width()) > label->height())
            report(*child, "wrapped text clipped");
        if (auto* button = qobject_cast<QAbstractButton*>(child); button && metrics.horizontalAdvance(button->text()) + 8 > button->width())
            report(*child, "text clipped");
        if (auto* field = qobject_cast<QLineEdit*>(child);
            field && !field->findChild<QPlainTextEdit*>() && metrics.horizontalAdvance(field->text()) + 8 > field->width())
            report(*child, "text clipped");
        if (auto* table = qobject_cast<QTableWidget*>(child)) {
            for (int row = 0; row < table->rowCount(); ++row)
                for (int column = 0; column < table->columnCount(); ++column)
                    if (const QTableWidgetItem* item = table->item(row, column);
                        item && metrics.horizontalAdvance(item->text()) + 4 > table->columnWidth(column))
                        report(*child, "cell clipped");
        }
        if (auto* box = dynamic_cast<CCtrlBox*>(child);
            box && QFontMetrics(box->m_font).horizontalAdvance(QString::fromStdU16String(u" " + box->GetWindowText() + u" ")) +
                           box->m_nCaptionIndent >
                       box->width())
            report(*child, "caption clipped");
    }
    return problems;
}

// `typed` goes into the dialog's text editor once it shows.
int Shoot(QDialog& dialog, const std::string& folder, const char* name, const QString& typed = {})
{
    dialog.show();
    if (!QTest::qWaitForWindowExposed(&dialog)) {
        std::fprintf(stderr, "%s: not shown\n", name);
        return 1;
    }
    if (auto* editor = dialog.findChild<QPlainTextEdit*>(); editor && !typed.isEmpty())
        QTest::keyClicks(editor, typed);
    QTest::qWait(100);
    QPixmap shot = dialog.screen() ? dialog.screen()->grabWindow(dialog.winId()) : QPixmap();
    if (shot.isNull())
        shot = dialog.grab();
    const std::string file = folder + "/" + name + ".png";
    int problems = CheckLayout(dialog, name);
    if (!shot.save(QString::fromStdString(file), "PNG")) {
        std::fprintf(stderr, "%s: cannot write %s\n", name, file.c_str());
        ++problems;
    }
    dialog.hide();
    return problems;
}

// Answers the comparison's Open dialogs with the queued paths and its
// boxes with OK.
class ShotResponder : public vexar::ui::DialogResponder {
public:
    std::deque<std::string> paths;
    int MessageBox(const vexar::ui::MessageBoxRequest&) override { return vexar::ui::IDOK; }
    std::optional<std::string> FileDialog(const vexar::ui::FileDialogRequest&) override
    {
        if (paths.empty())
            return std::nullopt;
        std::string path = paths.front();
        paths.pop_front();
        return path;
    }
    std::optional<std::string> FolderDialog(const vexar::ui::FolderDialogRequest&) override { return std::nullopt; }
};

bool WriteCalib(const std::string& path, const std::u16string& parameters)
{
    CCriptFile file;
    if (!file.Open(path, 0))
        return false;
    file.Write(u"<CODICE_ECU>\t\tKD02_ECU\t\t</CODICE_ECU>\n<ID_FIRMWARE>\t\tVXG4_R01070\t\t</ID_FIRMWARE>\n");
    file.Write(parameters);
    file.Write(u"<COMMENTO>\n<DATA>\t\tMonday, 03/11/2008\t</DATA>\n<ORA>\t\t14:05:09\t</ORA>\n<TESTO>\nconsegna\n"
               u"</TESTO>\n</COMMENTO>\n");
    return file.Close();
}

int ShootCalibrationDialogs(const std::string& folder, const std::string& home, const std::string& language,
                            const QFont& font, vexar::ui::COLORREF text)
{
    int problems = 0;
    const std::string root = home + "/Parameter/";
    std::filesystem::create_directories(root + "KD02_ECU/LPG/PANDA");
    {
        CDlgNomeFilePC dialog;
        dialog.m_strLangFile = language;
        dialog.m_font = font;
        dialog.m_crText = text;
        dialog.m_crValue = vexar::ui::RGB(128, 0, 0);
        dialog.m_strRootFolder = vexar::ToUtf16(root);
        dialog.m_strCalibFolder = vexar::ToUtf16(root) + u"KD02_ECU/LPG/PANDA/";
        dialog.m_strCalibName = u"SEDAN_12_05_E16X1_Lm_R01070_03.dat";
        dialog.m_strEcuType = u"KD02_ECU";
        dialog.m_strEcuIdent = u"VXG4_R01070";
        dialog.m_strExeFolder = home + "/";
        problems += Shoot(dialog, folder, "calib_naming");
    }
    {
        CDlgNomeFilePCKD01 dialog;
        dialog.m_strLangFile = language;
        dialog.m_font = font;
        dialog.m_crText = text;
        dialog.m_strRootFolder = vexar::ToUtf16(root);
        dialog.m_strEcuType = u"KD01";
        dialog.m_strEcuIdent = u"AB-12345XY";
        dialog.m_strCalibName = u"AB1234507.dat";
        problems += Shoot(dialog, folder, "calib_naming_short");
    }
    const std::string before = root + "KD02_ECU/LPG/PANDA/prima.dat";
    const std::string after = root + "KD02_ECU/LPG/PANDA/dopo.dat";
    std::u16string one;
    std::u16string two;
    for (int i = 0; i < 40; ++i) {
        const std::u16string name = vexar::Format(u"Parametro_%02d", i);
        one += vexar::Format(u"%s\t%d\t\tDescrizione del parametro %d\n", name, i * 10, i);
        if (i % 7 != 5)
            two += vexar::Format(u"%s\t%d\t\tDescrizione del parametro %d\n", name, i % 4 == 1 ? i * 10 + 5 : i * 10, i);
    }
    one += u"Mappa_Anticipo\t0.0 1.5 3.0 4.5 6.0 7.5 9.0 10.5 12.0 13.5 15.0 16.5 18.0 19.5 21.0 22.5\n";
    two += u"Mappa_Anticipo\t0.0 1.5 3.0 4.5 6.0 7.5 9.0 10.5 12.0 13.5 15.0 16.5 18.0 19.5 21.0 23.0\n";
    two += u"Nome_Calibrazione\t\"CITY 1.2 GPL\"\n";
    if (!WriteCalib(before, one) || !WriteCalib(after, two)) {
        std::fprintf(stderr, "cannot write the calibration files\n");
        return problems + 1;
    }
    ShotResponder responder;
    vexar::ui::DialogResponder* previous = vexar::ui::SetDialogResponder(&responder);
    {
        CDlgCmpFilePC dialog;
        dialog.m_strLangFile = language;
        dialog.m_font = QFont(QStringLiteral("Courier New"), font.pointSize());
        dialog.m_font.setStyleHint(QFont::TypeWriter);
        dialog.m_crText = text;
        dialog.m_strRootFolder = vexar::ToUtf16(root);
        dialog.m_strEcuType = u"KD02_ECU";
        dialog.show();
        responder.paths = {before, after};
        dialog.OnChooseFile1();
        dialog.OnChooseFile2();
        dialog.OnCompare();
        if (dialog.Differences().rowCount() == 0) {
            std::fprintf(stderr, "calib_compare: no differences listed\n");
            ++problems;
        }
        problems += Shoot(dialog, folder, "calib_compare");
    }
    vexar::ui::SetDialogResponder(previous);
    return problems;
}

// The two remote-assistance windows as they look while the assistance
// runs: every lamp of the master on, its traffic shown, the slave's lamp on.
int ShootRemoteWindows(const std::string& folder, const std::string& language, vexar::ui::COLORREF text)
{
    int problems = 0;
    vexar::link::CVEXARLink link;
    link.m_szBridgeIp = "127.0.0.1";
    link.m_nBridgePort = 4455;
    const auto prepare = [&](CDlgAssRem& window) {
        window.m_strLangFile = language;
        window.m_crText = text;
        window.m_crValue = vexar::ui::RGB(128, 0, 0);
    };
    {
        CDlgAssRemMaster master(link);
        prepare(master);
        master.Create();
        for (std::uintptr_t status : {0u, 1u, 2u, 14u})
            master.OnLinkStatus(status, 0);
        master.ClientIdField().setText(QStringLiteral("1234ABCD"));
        for (const auto& [expected, received] : {std::pair{1320, 1320}, {1584, 1320}}) {
            {
                std::lock_guard lock(link.m_csRemoteCounters);
                link.m_nRemoteBytesTx = expected;
                link.m_nRemoteBytesRx = received;
            }
            master.UpdateStatistics();
        }
        problems += Shoot(master, folder, "remote_master");
    }
    {
        CDlgAssRemSlave slave(link);
        prepare(slave);
        slave.Create();
        slave.ClientIdField().setText(QStringLiteral("1234ABCD"));
        slave.OnLinkStatus(0, 0);
        slave.OnLinkStatus(2, 0);
        problems += Shoot(slave, folder, "remote_slave");
    }
    return problems;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: dialogs_shots FOLDER\n");
        return 2;
    }
    const std::string folder = argv[1];
    std::filesystem::create_directories(folder);
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    const std::string language = home.file("Italiano.lng");
    if (!WriteLanguage(VEXAR_LANG_SOURCE, language)) {
        std::fprintf(stderr, "cannot write the language file\n");
        return 1;
    }
    const QFont font(QStringLiteral("DejaVu Sans"), 9);
    const vexar::ui::COLORREF text = vexar::ui::RGB(0, 0, 128);

    int problems = 0;
    vexar::link::CVEXARLink link;
    const struct {
        const char* name;
        bool linked;
        std::u16string ident;
        std::u16string calib;
    } idents[] = {
        {"ident_linked", true, u"VXG4_R01170", u"CITY 1.4 GPL"},
        {"ident_not_linked", false, u"VXG4_R01170", u"CITY 1.4 GPL"},
        // Longer than their fields: wrapped, the first scrolling.
        {"ident_long", true, u"VXG4_R01170 boot 2.03 hardware 7 serie 0123456789 prodotto il 03/11/2008 collaudo 17",
         u"CALIBRAZIONE_CITTADINA_1400_GPL_INIETTORI_MAGGIORATI"},
    };
    for (const auto& ident : idents) {
        link.m_bLinked = ident.linked ? 1 : 0;
        CDlgIdentCentr dialog(link);
        dialog.m_strLangFile = language;
        dialog.m_font = font;
        dialog.m_crText = text;
        dialog.m_strEcuIdent = ident.ident;
        dialog.m_strCalibName = ident.calib;
        problems += Shoot(dialog, folder, ident.name);
    }
    CVEXARPages app;
    {
        CDlgInsComm dialog(app);
        dialog.m_strLangFile = language;
        dialog.m_font = font;
        dialog.m_crEditText = text;
        problems += Shoot(dialog, folder, "comment_entry", QStringLiteral("Iniettori sostituiti\rRiduttore tarato"));
    }
    {
        CDlgViewComm dialog(app);
        dialog.m_strLangFile = language;
        dialog.m_font = font;
        dialog.m_strComment = u"Lunedì 03/11/2008 14:05:09\nIniettori sostituiti\n\nMartedì 04/11/2008 09:12:44\n"
                              u"Riduttore tarato a 1,2 bar, una riga più lunga delle altre per la barra orizzontale";
        problems += Shoot(dialog, folder, "comment_view");
    }
    problems += ShootCalibrationDialogs(folder, home.path(), language, font, text);
    problems += ShootRemoteWindows(folder, language, text);
    return problems;
}
