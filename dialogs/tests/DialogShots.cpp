// dialogs_shots FOLDER: shows the identification dialog linked, not
// linked and with texts longer than its fields, and the two comment
// dialogs on the display, with the shipped Italian texts (the longer ones)
// and the settings' page font, writes a picture of each into FOLDER for a
// person to look at, and checks that every control lies inside its dialog
// and every text fits its control.
// The exit status is the number of problems found.
#include "dialogs/CDlgIdentCentr.h"
#include "dialogs/CDlgInsComm.h"
#include "dialogs/CDlgViewComm.h"

#include "TempDir.h"
#include "common/CStdioFileEx.h"
#include "common/Text.h"
#include "link/CVEXARLink.h"
#include "pages/CCtrlBox.h"
#include "pages/core/CVEXARPages.h"

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScreen>
#include <QTest>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// The shipped Italian texts ("id<TAB>text" lines, UTF-8) as a language file.
bool WriteLanguage(const std::string& source, const std::string& target)
{
    std::ifstream in(source);
    CStdioFileEx out;
    if (!in || !out.Open(target, CStdioFileEx::modeCreate | CStdioFileEx::modeWrite | CStdioFileEx::modeWriteUnicode))
        return false;
    for (std::string line; std::getline(in, line);)
        out.WriteString(vexar::ToUtf16(line) + u"\n");
    return out.Close();
}

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
        if (auto* label = qobject_cast<QLabel*>(child); label && metrics.horizontalAdvance(label->text()) > label->contentsRect().width())
            report(*child, "text clipped");
        if (auto* button = qobject_cast<QAbstractButton*>(child); button && metrics.horizontalAdvance(button->text()) + 8 > button->width())
            report(*child, "text clipped");
        if (auto* field = qobject_cast<QLineEdit*>(child);
            field && !field->findChild<QPlainTextEdit*>() && metrics.horizontalAdvance(field->text()) + 8 > field->width())
            report(*child, "text clipped");
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
    return problems;
}
