// The shipped display settings lay the pages of the demonstration's
// configuration out on a 1024 x 768 screen: the program's own page
// arithmetic, with the settings as the program reads them from the built
// VEXAR.cfg, gives pages no wider than the screen and no taller than what
// the frame, the tab strip and the control bar leave, and a control bar
// whose content fits its height.
#include "DefinitionFixtures.h"
#include "TempDir.h"
#include "config/CControlliConfigurati.h"
#include "config/CInterfacciaParametri.h"
#include "shell/core/CSettingsFile.h"
#include "shell/core/PageLayout.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <variant>

namespace {

using namespace vexar;

// What the main frame (caption, menu, status bar) and the page host's tab
// strip take of the screen's height.
constexpr int kFrameAndTabs = 100;
// A character of the 9-point window font is at most this wide.
constexpr int kCharWidth = 8;
constexpr int kTextHeight = 16;
// A map cell of that font with its lines.
constexpr int kCellHeight = 24;

std::vector<REC_CONTROLLO> LoadDefinitions(const std::string& path)
{
    std::u16string language = u"English";
    CControlliConfigurati file(path, u"InfoControlli");
    EXPECT_EQ(file.Load(language, {u"English", u"Italiano"}), 0) << path;
    const REC_CONTROLLO* records = nullptr;
    file.GetControls(records);
    return records ? std::vector<REC_CONTROLLO>(records, records + file.CountControls()) : std::vector<REC_CONTROLLO>{};
}

TEST(PageFit, TheDemonstrationPagesFitA1024By768Screen)
{
    vexar::testing::TempDir home;
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    fixtures::SyntheticConfiguration installed;
    std::string error;
    ASSERT_TRUE(fixtures::InstallSyntheticConfiguration(home.path() + "/", installed, error)) << error;

    shell::SETTINGS_VALUES values;
    std::vector<std::u16string> tail;
    ASSERT_EQ(shell::CSettingsFile::ReadSettings(std::string(SHIPPED_SETTINGS), values, tail),
              shell::CSettingsFile::ReadResult::Read);
    const LAYOUT_SETTINGS& settings = values.layout;

    const std::string stem = installed.folder + installed.revision;
    const std::vector<REC_CONTROLLO> params = LoadDefinitions(stem + ".PAR");
    const std::vector<REC_CONTROLLO> vars = LoadDefinitions(stem + ".VAR");
    ASSERT_FALSE(params.empty());
    ASSERT_FALSE(vars.empty());

    const shell::TextMeasure measure = [](std::u16string_view text) {
        return shell::PIXEL_SIZE{static_cast<std::int32_t>(text.size()) * kCharWidth, kTextHeight};
    };
    // A map: its cells with a heading column, a heading row and a caption
    // line, within the settings' limits.
    const shell::GridMeasure gridSize = [](const REC_CONTROLLO& record, const LAYOUT_SETTINGS& s) {
        const auto* grid = std::get_if<GridBlock>(&record.GRAFICA);
        const int rows = grid ? grid->NUM_RIGHE : 0;
        const int columns = grid ? grid->NUM_COLONNE : 0;
        return shell::PIXEL_SIZE{std::min((columns + 1) * s.gridColumnWidth, s.gridMax.width),
                                 std::min((rows + 2) * kCellHeight, s.gridMax.height)};
    };
    struct Window {
        const char* extension;
        const std::vector<REC_CONTROLLO>& windowRecords;
    };
    for (const Window& window : {Window{".GPC", params}, Window{".GVS", vars}}) {
        REC_INTERFACCIA layout;
        CInterfacciaParametri file(stem + window.extension, layout, u"InfoInterfacce");
        std::u16string language = u"English";
        ASSERT_EQ(file.LoadLayout(language, {u"English", u"Italiano"}), 0) << window.extension;
        shell::MeasureLayout(layout, window.windowRecords, vars, settings, measure, measure, gridSize,
                             shell::SCROLL_BARS{17, 17});
        const bool hasBar = layout.PRESENTE == PRES_SI;
        const int pageHeight = 768 - kFrameAndTabs - (hasBar ? settings.barHeight : 0);
        for (const REC_CARTELLA& tab : layout.CARTELLE) {
            EXPECT_LE(tab.PAGINA.LARGHEZZA_PAGINA, 1024) << window.extension << " tab " << tab.ID_TAB;
            EXPECT_LE(tab.PAGINA.ALTEZZA_PAGINA, pageHeight) << window.extension << " tab " << tab.ID_TAB;
        }
        if (hasBar) {
            EXPECT_LE(layout.BARRA_STATO.LARGHEZZA_PAGINA, 1024) << window.extension;
            EXPECT_LE(layout.BARRA_STATO.ALTEZZA_PAGINA, settings.barHeight) << window.extension;
        }
    }
    unsetenv("VEXAR_HOME");
}

}  // namespace
