#include "PagesFixture.h"

#include "DefinitionFixtures.h"
#include "RecordingFixedPage.h"
#include "common/Text.h"
#include "config/CControlliConfigurati.h"
#include "config/CInterfacciaParametri.h"
#include "link/LinkMessages.h"
#include "pages/CUtilityGrid.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <sstream>

namespace vexar::pagesfixture {

namespace {

bool ReadText(const std::string& path, std::string& text)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    text = bytes.str();
    return static_cast<bool>(in);
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
    return static_cast<bool>(out.flush());
}

// UTF-16 little-endian with its byte-order mark, as the program's English
// texts are installed.
std::string Utf16File(const std::u16string& text)
{
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : text) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
    }
    return bytes;
}

// The test installation's languages: English in UTF-16, Italiano in
// Windows-1252, as the program finds them.
bool InstallLanguages(const std::string& folder, std::string& error)
{
    const std::string source = fixtures::DataFolder() + "/Lang/";
    const std::string target = folder + "/Lang/";
    std::filesystem::create_directories(target);
    std::string english, italian, list;
    if (!ReadText(source + "English.lng", english) || !ReadText(source + "Italiano.lng", italian) ||
        !ReadText(source + "GestLang.cfg", list)) {
        error = "cannot read the languages of the test installation";
        return false;
    }
    if (!WriteBytes(target + "English.lng", Utf16File(ToUtf16(english))) ||
        !WriteBytes(target + "Italiano.lng", ToCp1252(ToUtf16(italian))) || !WriteBytes(target + "GestLang.cfg", list)) {
        error = "cannot install the languages under " + target;
        return false;
    }
    return true;
}

// The pixel size a control of `definition` takes, by its kind.
CONTROL_SIZE ControlSize(const REC_CONTROLLO& definition, const LAYOUT_SETTINGS& settings)
{
    auto vertical = [&](auto block) { return block && block->STILE != STL_HORZ; };
    switch (definition.CATEGORIA) {
    case CTRL_BAR:
        return vertical(std::get_if<BarBlock>(&definition.GRAFICA)) ? settings.barVertical : settings.barHorizontal;
    case CTRL_SLIDE:
        return vertical(std::get_if<SlideBlock>(&definition.GRAFICA)) ? settings.slideVertical
                                                                      : settings.slideHorizontal;
    case CTRL_BUTTON: return settings.button;
    case CTRL_BUTTON_CMD:
    case CTRL_RESET: return settings.buttonCmd;
    case CTRL_CHECK: return {settings.checkHeight, 0};
    case CTRL_GRID: return settings.gridMax;
    case CTRL_KNOB: return settings.knob;
    case CTRL_LED: return settings.led;
    case CTRL_NUMCALC: return settings.numCalc;
    case CTRL_NUMEDIT: return settings.numEdit;
    case CTRL_NUMERIC: return settings.numeric;
    case CTRL_RPM: return settings.rpm;
    case CTRL_TERM: return settings.term;
    case CTRL_VMETER: return settings.vmeter;
    default: return settings.edit;
    }
}

// As far as the farthest control or text reaches, one cell more for its
// labels.
void FillPageSize(REC_PAGINA& page, const std::vector<REC_CONTROLLO>& definitions, const LAYOUT_SETTINGS& settings)
{
    constexpr std::int32_t kCharWidth = 8;  // a text's width, roughly, per character
    std::int32_t right = 0;
    std::int32_t bottom = 0;
    for (const REC_POS_CONTROLLO& place : page.CONTROLLI) {
        const auto found = std::find_if(definitions.begin(), definitions.end(),
                                        [&](const REC_CONTROLLO& definition) { return definition.ID_GUI == place.ID_GUI; });
        const CONTROL_SIZE size = found == definitions.end() ? CONTROL_SIZE{} : ControlSize(*found, settings);
        right = std::max(right, place.POS_X * page.COLONNE + std::max(size.width, page.COLONNE));
        bottom = std::max(bottom, place.POS_Y * page.RIGHE + std::max(size.height, page.RIGHE));
    }
    for (const REC_TESTO& text : page.TESTI) {
        right = std::max(right, text.POS_X * page.COLONNE + static_cast<std::int32_t>(text.STRINGA.size()) * kCharWidth);
        bottom = std::max(bottom, (text.POS_Y + 1) * page.RIGHE);
    }
    page.LARGHEZZA_PAGINA = right + page.COLONNE;
    page.ALTEZZA_PAGINA = bottom + page.RIGHE;
}

}  // namespace

void FillPageSizes(REC_INTERFACCIA& layout, const std::vector<REC_CONTROLLO>& definitions,
                   const std::vector<REC_CONTROLLO>& statusDefinitions, const LAYOUT_SETTINGS& settings)
{
    if (layout.PRESENTE == PRES_SI)
        FillPageSize(layout.BARRA_STATO, statusDefinitions, settings);
    for (REC_CARTELLA& tab : layout.CARTELLE)
        FillPageSize(tab.PAGINA, definitions, settings);
}

PagesFixture::PagesFixture(CVEXARPages& app, std::string programFolder, PagesFixtureOptions options)
    : m_app(app), m_folder(std::move(programFolder)), m_options(std::move(options))
{
}

PagesFixture::~PagesFixture()
{
    for (CDlgTabSB* host : {m_params.get(), m_vars.get()}) {
        if (!host)
            continue;
        host->ClosePages();
        host->FreePages();
    }
}

std::string PagesFixture::LangFile(const std::u16string& language) const
{
    return m_folder + "/Lang/" + ToUtf8(language) + ".lng";
}

bool PagesFixture::Load(std::string& error)
{
    if (!Install(error) || !ReadFiles(error))
        return false;
    FillPageSizes(parLayout, parDefs, varDefs, m_options.settings);
    FillPageSizes(varLayout, varDefs, varDefs, m_options.settings);
    SizeImages();
    CreateHosts();
    m_app.PublishCtrlTables();
    return true;
}

bool PagesFixture::Install(std::string& error)
{
    std::filesystem::create_directories(m_folder + "/Log");
    fixtures::SyntheticConfiguration config;
    if (!fixtures::InstallSyntheticConfiguration(m_folder, "VXG4", "VXG4_R0107", config, error, m_options.tags))
        return false;
    m_configFolder = config.folder;
    return InstallLanguages(m_folder, error);
}

bool PagesFixture::ReadFiles(std::string& error)
{
    const std::vector<std::u16string> languages = {u"English", u"Italiano"};
    const std::string revision = m_configFolder + "VXG4_R0107";
    std::u16string language = m_options.language;
    CControlliConfigurati par(revision + ".PAR", u"InfoControlliPC");
    CControlliConfigurati var(revision + ".VAR", u"InfoControlliVS");
    CControlliConfigurati gdg(revision + ".GDG", u"InfoControlliGDG");
    CInterfacciaParametri gpc(revision + ".GPC", parLayout, u"InfoInterfaccePC");
    CInterfacciaParametri gvs(revision + ".GVS", varLayout, u"InfoInterfacceVS");
    for (CControlliConfigurati* file : {&par, &var, &gdg}) {
        language = m_options.language;
        if (file->Load(language, languages) != 0) {
            error = "cannot load " + file->GetFilePath() + "; see " + file->GetLogPath();
            return false;
        }
    }
    for (CInterfacciaParametri* file : {&gpc, &gvs}) {
        language = m_options.language;
        if (file->LoadLayout(language, languages) != 0) {
            error = "cannot load " + file->GetFilePath() + "; see " + file->GetLogPath();
            return false;
        }
    }
    if (!gpc.CheckParamIds(par.Controls(), var.Controls()) || !gvs.CheckVarIds(var.Controls())) {
        error = "the layouts place unknown or duplicate controls";
        return false;
    }
    gpc.AddHiddenParams(par.Controls());
    gvs.AddHiddenVars(var.Controls());
    parDefs = par.Controls();
    varDefs = var.Controls();
    gdgDefs = gdg.Controls();
    m_parArea = std::max(par.GetParamAreaSize(), gdg.GetRestoreAreaSize());
    m_varArea = std::max(var.GetParamAreaSize(), gdg.GetDiagAreaSize());
    par.GetFrequencies(m_pollPeriod, m_acqPeriod);
    m_app.m_nBaud = par.GetBaudRate();
    {
        std::lock_guard lock(m_app.m_csBaud);
        m_app.m_nBaudCurrent = m_app.m_nBaud;
        m_app.m_nBaudRequested = m_app.m_bListUpload ? 19200 : m_app.m_nBaud;
    }
    m_app.m_bLittleEndian = par.GetEndian() == LITTLE_END ? 1 : 0;
    m_app.m_nProtocol = par.GetProtocol();
    return true;
}

void PagesFixture::SizeImages()
{
    m_app.ResizeImages(m_parArea, m_varArea);
    m_app.m_nPollPeriod = m_pollPeriod;
    m_app.m_nAcqPeriod = m_acqPeriod;
    m_app.PostLinkRequest(link::WM_LINK_SET_POLL_PERIOD, static_cast<std::uintptr_t>(m_pollPeriod));
}

FIXED_PAGES PagesFixture::RecordingPages()
{
    FIXED_PAGES pages;
    auto make = [](const char16_t* name, RecordingFixedPage*& kept) {
        auto page = std::make_unique<RecordingFixedPage>(name);
        kept = page.get();
        return page;
    };
    pages.acq = make(u"Acquisition", acq);
    pages.graph = make(u"Graph", graph);
    pages.acqBenz = make(u"Petrol acquisition", acqBenz);
    if (m_options.maintPage)
        pages.maint = m_options.maintPage();
    else
        pages.maint = make(u"ECU memory", maint);
    return pages;
}

void PagesFixture::PrepareHost(CDlgTabSB& host, bool fixedPages, std::array<std::int32_t, 3> baseIds)
{
    host.m_bFixedPages = fixedPages;
    host.m_strLangFile = LangFile(m_options.language);
    host.m_settings = m_options.settings;
    host.m_nBaseIds = baseIds;
    host.m_rcWindow = m_options.window;
    host.Create();
}

// The view's order: the parameter window and its tables, then the
// variable window and its tables, then the dependency actions and the
// maps' marker links.
void PagesFixture::CreateHosts()
{
    m_app.m_nOperator = m_options.profile;
    m_app.m_nEdition = m_options.edition;

    m_params = std::make_unique<CDlgTabSB>(m_app);
    PrepareHost(*m_params, false, {5000, 5300, 5600});
    m_params->CreatePages(0, m_app.m_nOperator, parLayout, parDefs, varDefs);
    m_app.m_pParTable = &m_params->m_allTable;
    m_app.m_pParTable2 = &m_params->m_placedTable;
    m_app.m_pParTable3 = &m_params->m_statusCtrlsTable;
    for (CTRL_TABLE* table : {m_app.m_pParTable, m_app.m_pParTable3})
        CUtility::ResolveAndLinkCtrls(*table);
    CUtility::RefreshAllCtrls(*m_app.m_pParTable);

    m_vars = std::make_unique<CDlgTabSB>(m_app);
    const bool fixedPages = m_options.edition != 2 && m_options.edition != 4;
    if (m_options.fixedPages)
        m_vars->SetFixedPages(RecordingPages());
    PrepareHost(*m_vars, fixedPages, {6200, 6500, 6800});
    m_vars->CreatePages(1, m_app.m_nOperator, varLayout, varDefs, {});
    m_app.m_pVarTable = &m_vars->m_allTable;
    m_app.m_pVarTable2 = &m_vars->m_placedTable;
    CUtility::ResolveAndLinkCtrls(*m_app.m_pVarTable);
    CUtility::UpdateSwitchCtrls(*m_app.m_pParTable);
    // The maps of the parameter pages follow the live variables.
    CUtility::LinkGridCursors(m_app.m_pParTable2, parDefs, m_app.m_pVarTable);
}

}  // namespace vexar::pagesfixture
