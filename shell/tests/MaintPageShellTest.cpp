// The memory maintenance page in the program: the view gives it to the
// variable window, a load with a privileged profile lists the variables
// and the diagnosis window's rows on it, and what the worker posts to the
// page reaches it; another load lists afresh.
#include "ShellHarness.h"

#include "common/Text.h"
#include "config/CUtilityCtrl.h"
#include "dialogs/CDlgMaint.h"
#include "link/EcuTypes.h"
#include "link/LinkMessages.h"
#include "link/LinkRequests.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CCtrlCombo.h"
#include "pages/CCtrlStatic.h"
#include "pages/CDlgTabSB.h"
#include "shell/CVEXARView.h"
#include "shell/core/OperatorProfile.h"

#include <QPushButton>
#include <QTest>

#include <gtest/gtest.h>

#include <set>

using namespace vexar;
using namespace vexar::shell;
using namespace vexar::shelltest;

namespace {

std::set<std::u16string> Texts(const CCtrlCombo& list)
{
    std::set<std::u16string> texts;
    for (int i = 0; i < list.count(); ++i)
        texts.insert(list.itemText(i).toStdU16String());
    return texts;
}

// Every entry of `table` with a definition, as the lists show it.
void AddTexts(const CTRL_TABLE* table, std::set<std::u16string>& texts)
{
    if (!table)
        return;
    for (const CTRL_WND& entry : *table) {
        REC_CONTROLLO definition;
        if (CUtility::GetCtrlDefinition(entry, definition))
            texts.insert(Format(u"%s [0x%08x]", definition.IDENTIFICATORE, definition.LSB));
    }
}

// What the worker posts to the page: a memory read's record and result.
void PostMemoryRead(CVEXARApp& app, std::uint8_t high, std::uint8_t low, int result)
{
    auto record = std::make_unique<link::MEMORY_REQUEST>();
    record->address = 20;
    record->size = 2;
    record->value = {high, low, 0, 0};
    app.Sink().Post(link::UiWindow::MaintPage, nullptr,
                    link::LinkMessage{link::WM_LINK_READ_MEMORY, 0, result, std::move(record)});
}

TEST(MaintPageInTheView, ALoadListsTheVariablesAndRowsAndTheWorkersPostsReachThePage)
{
    ShellHarness shell;
    shell.StartWithConfiguration();
    CVEXARView& view = shell.View();
    CVEXARApp& app = shell.App();
    view.SetProfile(ProfileOfCombined(1));
    view.LoadConfiguration();
    ASSERT_NE(view.m_pDlgMaint, nullptr);
    CDlgMaint& page = *view.m_pDlgMaint;
    ASSERT_TRUE(page.IsCreated());
    EXPECT_EQ(view.m_wndVars->FixedPages().maint.get(), &page);

    ASSERT_NE(app.m_pDiagTable, nullptr) << "the load opens the diagnosis window";
    std::set<std::u16string> expected;
    AddTexts(app.m_pVarTable, expected);
    AddTexts(app.m_pDiagTable, expected);
    EXPECT_EQ(Texts(page.List(CDlgMaint::IDC_READ_VAR)), expected);
    EXPECT_EQ(Texts(page.List(CDlgMaint::IDC_WRITE_VAR)), expected);

    // The worker's link state and memory reads reach the page: only a read
    // that succeeded shows its value.
    app.Sink().Post(link::UiWindow::MaintPage, nullptr, link::LinkMessage{link::WM_LINK_STATE, 1, 0, nullptr});
    PostMemoryRead(app, 0x12, 0x34, link::RES_OK);
    EXPECT_TRUE(QTest::qWaitFor([&] { return page.ValueLabel().text() == QStringLiteral("4660"); }, 2000));
    EXPECT_TRUE(page.Button(CDlgMaint::IDC_RESET_ECU).isEnabled());
    PostMemoryRead(app, 0xAB, 0xCD, link::RES_BAD_RANGE);
    QTest::qWait(50);
    EXPECT_EQ(page.ValueLabel().text(), QStringLiteral("4660"));

    // A diagnosis row chosen, then another load: the rows go, the lists
    // are made again from the new tables.
    CCtrlCombo& list = page.List(CDlgMaint::IDC_READ_VAR);
    std::set<std::u16string> rows;
    AddTexts(app.m_pDiagTable, rows);
    ASSERT_FALSE(rows.empty());
    list.setCurrentIndex(list.findText(QString::fromStdU16String(*rows.begin())));
    ASSERT_GE(list.currentIndex(), 0);
    view.LoadConfiguration();
    ASSERT_TRUE(view.m_pDlgMaint && view.m_pDlgMaint->IsCreated());
    expected.clear();
    AddTexts(app.m_pVarTable, expected);
    AddTexts(app.m_pDiagTable, expected);
    EXPECT_EQ(Texts(view.m_pDlgMaint->List(CDlgMaint::IDC_READ_VAR)), expected);
    EXPECT_EQ(view.m_pDlgMaint->List(CDlgMaint::IDC_READ_VAR).currentIndex(), -1);
    EXPECT_EQ(shell.Exit(), 0);
}

}  // namespace
