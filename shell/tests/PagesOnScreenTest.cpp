// The demonstration's pages as a workshop sees them, on the design screen
// and on a 1280 x 1024 one, in English and in Italian, with the demonstration's display settings and
// a profile that shows every page, control and text: on every configured
// page of both windows and in the parameter window's status area, every
// control and label lies inside what the window shows, with no scroll bar,
// no two of them overlap, and no caption, title, unit or free text is cut
// (its text is no wider than its label); a button's and a check box's own
// text fits the control; and every control's name shows.
#include "ShellHarness.h"

#include "config/CtrlWnd.h"
#include "pages/CCtrlStatic.h"
#include "pages/CCtrlTab.h"
#include "pages/CDlgTabSB.h"
#include "pages/CDlgTabWnd.h"
#include "pages/CUtilityFactory.h"
#include "pages/PageScroller.h"
#include "pages/core/CCtrlCore.h"
#include "pages/core/CUtilityTables.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionButton>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

// The window manager's title bar above the maximised main frame.
constexpr int kTitleBar = 25;

struct Item {
    std::string name;
    QRect rect;
};

std::string Describe(const QWidget& widget)
{
    std::ostringstream out;
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        out << "label \"" << label->text().toStdString() << "\"";
    else
        out << widget.metaObject()->className() << " " << ui::GetDlgCtrlID(widget);
    return out.str();
}

// The text a control or label draws, and whether it is cut: a label's text
// must fit its width and height, a button's caption its face, a check
// box's its width beside the box.
std::string CutText(const QWidget& widget)
{
    const QFontMetrics metrics(widget.font());
    if (const auto* label = qobject_cast<const QLabel*>(&widget)) {
        const QRect room = label->contentsRect();
        if (metrics.horizontalAdvance(label->text()) > room.width() || metrics.height() > room.height())
            return label->text().toStdString();
        return {};
    }
    if (const auto* check = qobject_cast<const QCheckBox*>(&widget)) {
        const QStyle& style = *check->style();
        const int box = style.pixelMetric(QStyle::PM_IndicatorWidth, nullptr, check) +
                        style.pixelMetric(QStyle::PM_CheckBoxLabelSpacing, nullptr, check);
        if (box + metrics.horizontalAdvance(check->text()) > check->width())
            return check->text().toStdString();
        return {};
    }
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget)) {
        if (metrics.horizontalAdvance(button->text()) + 4 > button->width())
            return button->text().toStdString();
    }
    return {};
}

// Every control of `table` shown, its conditions met (they may hide some
// at first: the page must hold them when it shows them), with the labels that show with
// them: the direct children of the controls' parent that show, less the
// unplaced controls' that never do.
std::vector<Item> ShownItems(const CTRL_TABLE& table, std::string& cut)
{
    std::vector<Item> items;
    QWidget* parent = nullptr;
    std::set<const QWidget*> controls;
    for (const CTRL_WND& entry : table) {
        if (CCtrlCore* control = CUtility::CtrlOf(entry)) {
            const std::vector<REC_VIS> conditions = control->Conditions();
            for (const REC_VIS& condition : conditions)
                control->SetVisKey(condition.key, false);
            control->ShowCtrl(true);
        }
        if (QWidget* widget = CUtility::CtrlWidget(entry)) {
            parent = widget->parentWidget();
            controls.insert(widget);
        }
    }
    if (!parent)
        return items;
    for (QWidget* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto* label = dynamic_cast<CCtrlStatic*>(child);
        if (label && label->text().isEmpty())
            continue;
        if (!controls.contains(child) && !(label && child->isVisibleTo(parent)))
            continue;
        items.push_back({Describe(*child), child->geometry()});
        const std::string text = CutText(*child);
        if (!text.empty())
            cut += " \"" + text + "\"";
    }
    return items;
}

// The controls of `table` whose name shows nowhere: a check box and a
// button show it as their own text, every other control in a caption or
// title label beginning with it.
std::string Unnamed(const CTRL_TABLE& table, const std::vector<Item>& items)
{
    std::string unnamed;
    for (const CTRL_WND& entry : table) {
        const QWidget* widget = CUtility::CtrlWidget(entry);
        const CCtrlCore* control = CUtility::CtrlOf(entry);
        if (!widget || !control || qobject_cast<const QAbstractButton*>(widget))
            continue;
        const std::string name = QString::fromStdU16String(control->GetDefinition().ETICHETTA).toStdString();
        const bool named = std::any_of(items.begin(), items.end(), [&name](const Item& item) {
            return item.name.starts_with("label \"" + name);
        });
        if (!named)
            unnamed += " \"" + name + "\"";
    }
    return unnamed;
}

// The overlaps of `items` and what lies outside `shown`, one line each.
std::string Faults(const std::vector<Item>& items, const QRect& shown)
{
    std::string faults;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (!shown.contains(items[i].rect))
            faults += "\n  outside: " + items[i].name;
        for (std::size_t j = i + 1; j < items.size(); ++j)
            if (items[i].rect.intersects(items[j].rect))
                faults += "\n  overlap: " + items[i].name + " / " + items[j].name;
    }
    return faults;
}

}  // namespace

TEST(PagesOnScreen, EveryCaptionTitleAndValueHasItsOwnPlace)
{
    for (const auto& [screen, language] :
         {std::pair{QSize(1024, 768), u"English.lng"}, std::pair{QSize(1280, 1024), u"English.lng"},
          std::pair{QSize(1024, 768), u"Italiano.lng"}, std::pair{QSize(1280, 1024), u"Italiano.lng"}}) {
        ShellHarness shell;
        shell.MakeApp();
        shell.App().m_screenSize = [screen] { return screen; };
        shell.StartWithConfiguration("VXG4", "VXG4_R0107", [&](const fixtures::SyntheticConfiguration& installed) {
            std::string error;
            ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
            shell.Folder().WriteSession(language, {}, u"OPR_REM");
        });
        // The frame as the window manager maximises it, under its title
        // bar; the page windows are made again for it, as at every load.
        shell.Frame().setGeometry(0, kTitleBar, screen.width(), screen.height() - kTitleBar);
        shell.View().LoadConfiguration();
        const std::string where = std::to_string(screen.width()) + " x " + std::to_string(screen.height()) + ", " +
                                  QString::fromUtf16(language).toStdString();
        for (CDlgTabSB* host : {shell.View().m_wndParams.get(), shell.View().m_wndVars.get()}) {
            ASSERT_NE(host, nullptr);
            host->show();
            const std::vector<CDlgTabWnd*> pages = host->ConfiguredPages();
            ASSERT_FALSE(pages.empty());
            for (std::size_t i = 0; i < pages.size(); ++i) {
                CDlgTabWnd& page = *pages[i];
                host->ShowPage(static_cast<int>(i));
                std::string cut;
                const std::vector<Item> items = ShownItems(page.m_table, cut);
                EXPECT_FALSE(items.empty());
                const std::string name = host->windowTitle().toStdString() + ", page " + std::to_string(i + 1);
                EXPECT_EQ(Faults(items, page.rect()), "") << name << " on " << where;
                EXPECT_TRUE(page.Scroller().Horizontal()->isHidden()) << name << " on " << where;
                EXPECT_TRUE(page.Scroller().Vertical()->isHidden()) << name << " on " << where;
                EXPECT_EQ(cut, "") << name << " on " << where;
                EXPECT_EQ(Unnamed(page.m_table, items), "") << name << " on " << where;
            }
            if (!host->m_statusTable.empty()) {
                const int top = host->Strip().geometry().bottom() + 1;
                std::string cut;
                const std::vector<Item> items = ShownItems(host->m_statusTable, cut);
                const std::string name = host->windowTitle().toStdString() + ", status area";
                EXPECT_EQ(Faults(items, QRect(0, top, host->width(), host->height() - top)), "")
                    << name << " on " << where;
                EXPECT_EQ(cut, "") << name << " on " << where;
                EXPECT_EQ(Unnamed(host->m_statusTable, items), "") << name << " on " << where;
            }
            host->hide();
        }
        EXPECT_EQ(shell.Exit(), 0);
    }
}
