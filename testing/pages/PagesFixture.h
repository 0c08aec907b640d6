#pragma once

// The pages of the synthetic configuration loaded as the view loads a
// configuration, for the tests of the page hosts and for the pages
// program: the configuration and the test installation's languages
// installed under a program folder, the definitions and the two window
// layouts read, the page sizes filled (a stand-in for the view's rule that
// measures the controls), the images sized, both hosts created and built,
// the application's table pointers set, the table operations run over the
// new tables in the view's order, and the tables published.
//
// The variable host gets recording fixed pages unless told otherwise.

#include "config/RecControllo.h"
#include "config/RecInterfaccia.h"
#include "pages/CDlgTabSB.h"
#include "pages/core/LayoutSettings.h"

#include <QRect>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

class CVEXARPages;

namespace vexar::pagesfixture {

class RecordingFixedPage;

struct PagesFixtureOptions {
    std::int32_t profile = OPR_PRV;  // the application's m_nOperator
    int edition = 1;                 // editions 2 and 4 have no fixed pages
    std::u16string language = u"English";
    bool fixedPages = true;          // recording pages for the variable host
    QRect window{0, 0, 900, 600};    // the main view's area, where both hosts stand
    LAYOUT_SETTINGS settings = Settings();
    // Other values of the configuration's tags, such as the protocol
    // ("PROTO").
    std::vector<std::pair<std::string, std::string>> tags;
    // The variable host's maintenance page in place of a recording one.
    std::function<std::unique_ptr<IFixedPage>()> maintPage;

    // The workstation's settings, with a status area as high as its
    // gauges with their margins.
    static LAYOUT_SETTINGS Settings()
    {
        LAYOUT_SETTINGS settings;
        settings.barHeight = settings.rpm.height + 2 * settings.margin + 10;
        return settings;
    }
};

class PagesFixture {
public:
    // `programFolder` is the program's folder ($VEXAR_HOME, where the
    // session logs go), without a trailing slash.
    PagesFixture(CVEXARPages& app, std::string programFolder, PagesFixtureOptions options = {});
    // Closes and frees both hosts.
    ~PagesFixture();
    PagesFixture(const PagesFixture&) = delete;
    PagesFixture& operator=(const PagesFixture&) = delete;

    // Installs and loads; false with the reason when a file does not load.
    bool Load(std::string& error);

    CDlgTabSB& Params() { return *m_params; }
    CDlgTabSB& Vars() { return *m_vars; }
    // The language file of a test language ("English", "Italiano").
    std::string LangFile(const std::u16string& language) const;

    // The recording fixed pages of the variable host; null when not given.
    RecordingFixedPage* acq = nullptr;
    RecordingFixedPage* graph = nullptr;
    RecordingFixedPage* acqBenz = nullptr;
    RecordingFixedPage* maint = nullptr;

    std::vector<REC_CONTROLLO> parDefs;
    std::vector<REC_CONTROLLO> varDefs;
    std::vector<REC_CONTROLLO> gdgDefs;
    REC_INTERFACCIA parLayout;
    REC_INTERFACCIA varLayout;

private:
    bool Install(std::string& error);
    bool ReadFiles(std::string& error);
    void SizeImages();
    void CreateHosts();
    void PrepareHost(CDlgTabSB& host, bool fixedPages, std::array<std::int32_t, 3> baseIds);
    FIXED_PAGES RecordingPages();

    CVEXARPages& m_app;
    std::string m_folder;
    PagesFixtureOptions m_options;
    std::string m_configFolder;
    std::int32_t m_parArea = 0;
    std::int32_t m_varArea = 0;
    std::int32_t m_pollPeriod = 500;
    std::int32_t m_acqPeriod = 500;
    std::unique_ptr<CDlgTabSB> m_params;
    std::unique_ptr<CDlgTabSB> m_vars;
};

// The stand-in for the view's page sizes: each area of the layout as far
// as its controls (in the settings' sizes of their kinds) and texts reach,
// and one cell more; the unplaced area keeps 0. The status area's controls
// are among `statusDefinitions`.
void FillPageSizes(REC_INTERFACCIA& layout, const std::vector<REC_CONTROLLO>& definitions,
                   const std::vector<REC_CONTROLLO>& statusDefinitions, const LAYOUT_SETTINGS& settings);

}  // namespace vexar::pagesfixture
