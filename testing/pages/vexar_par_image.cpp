// vexar-par-image: the parameter image an ECU holds once a calibration of
// the synthetic configuration was written to it, made by the program's own
// controls off screen:
//
//   vexar-par-image CALIBRATION OUTPUT
//
// CALIBRATION is a calibration file of the synthetic configuration in
// plain UTF-8 text (testing/data/calibration/*.DAT.txt). The pages of the
// configuration are built in a temporary program folder; every parameter
// control takes its default; the calibration, enciphered as the program
// saves it, is read into the controls through the calibration-file reader
// and the diagnosis window's recovery-action lists; every parameter
// control stores what it read; and the master parameter image, the whole configured
// area, is written to OUTPUT (whole or not at all). The simulated ECU
// starts from it (ecusim --par-file). Ends with 1 and the reason when a
// step fails, 64 on a wrong command line.

#include "PagesFixture.h"

#include "CryptFixtures.h"
#include "common/Text.h"
#include "config/CParametriFile.h"
#include "link/LinkMessages.h"
#include "link/ui/LinkUiSinkAdapter.h"
#include "pages/CUtilityFactory.h"
#include "pages/CtrlCreate.h"
#include "pages/core/CUtilityTables.h"
#include "pages/core/CVEXARPages.h"
#include "platform/AtomicFile.h"
#include "platform/ui/Messages.h"

#include <QApplication>
#include <QWidget>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

using namespace vexar;

namespace {

constexpr const char16_t* kEcu = u"VXG4";
constexpr const char16_t* kFirmware = u"VXG4_R0107";

class TempFolder {
public:
    TempFolder()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "vexar-par-image-XXXXXX").string();
        if (::mkdtemp(pattern.data()))
            m_path = pattern;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!m_path.empty())
            std::filesystem::remove_all(m_path, ignored);
    }
    const std::string& path() const { return m_path; }

private:
    std::string m_path;
};

int Fail(const std::string& reason)
{
    std::fprintf(stderr, "vexar-par-image: %s\n", reason.c_str());
    return 1;
}

void SendToAll(const CTRL_TABLE& table, unsigned id)
{
    for (const CTRL_WND& entry : table)
        ui::SendMessage(CUtility::CtrlWidget(entry), ui::WindowMessage{id, 0, 0, nullptr});
}

// The diagnosis window's recovery-action lists, made by the factory as
// that window makes them, on a widget of their own; their calibration
// lines are the file's second table.
bool MakeRecoveryLists(CVEXARPages& app, QWidget& holder, const std::vector<REC_CONTROLLO>& definitions,
                       CTRL_TABLE& table)
{
    PAGE_GRID grid;
    grid.area = {0, 0, 600, 400};
    grid.cellHeight = 40;
    grid.cellWidth = 200;
    grid.pageHeight = 400;
    grid.pageWidth = 600;
    CUtility::CalcRowsCols(grid);
    std::int32_t row = 0;
    for (const REC_CONTROLLO& definition : definitions) {
        if (definition.CATEGORIA != CTRL_RIPR)
            continue;
        CTRL_CREATE args;
        args.app = &app;
        args.parent = &holder;
        args.font = holder.font();
        args.secondFont = holder.font();
        args.grid = grid;
        args.definition = &definition;
        args.row = row++;
        args.profile = app.m_nOperator;
        args.imageFamily = 0;
        if (!CUtility::CreateCtrl(args, table))
            return false;
    }
    return true;
}

}  // namespace

int main(int argc, char** argv)
{
    if (!std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: vexar-par-image CALIBRATION OUTPUT\n");
        return 64;
    }
    const std::string calibration = argv[1];
    const std::string output = argv[2];

    std::ifstream in(calibration, std::ios::binary);
    if (!in)
        return Fail("cannot read " + calibration);
    std::string utf8((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (utf8.starts_with("\xEF\xBB\xBF"))
        utf8.erase(0, 3);

    TempFolder home;
    if (home.path().empty())
        return Fail("cannot make a temporary folder");
    setenv("VEXAR_HOME", home.path().c_str(), 1);
    std::string error;
    const std::string cipher = home.path() + "/Calibration.DAT";
    if (!crypt::WriteCipherText(cipher, ToUtf16(utf8), error))
        return Fail(error);

    link::LinkUiSinkAdapter adapter;
    CVEXARPages app;
    app.m_pUiSink = &adapter;
    int status = 0;
    {
        pagesfixture::PagesFixtureOptions options;
        options.fixedPages = false;
        pagesfixture::PagesFixture pages(app, home.path(), options);
        if (!pages.Load(error))
            return Fail(error);
        QWidget holder;
        CTRL_TABLE recovery;
        if (!MakeRecoveryLists(app, holder, pages.gdgDefs, recovery))
            return Fail("cannot make the recovery-action lists");

        // The defaults first: what the calibration does not name keeps them.
        SendToAll(*app.m_pParTable, link::WM_CTRL_SET_DEFAULT);
        SendToAll(recovery, link::WM_CTRL_SET_DEFAULT);

        CParametriFile file("", u"InfoFileParametri");
        file.SetControls(static_cast<std::int32_t>(app.m_pParTable->size()), app.m_pParTable->data(),
                         static_cast<std::int32_t>(recovery.size()), recovery.data());
        std::u16string fileFirmware;
        bool nameFound = false;
        if (const std::int32_t result = file.Read(kEcu, kFirmware, fileFirmware, cipher, nameFound); result != 0)
            status = Fail(calibration + " does not load (reader result " + std::to_string(result) + ")");
        else if (!nameFound)
            status = Fail(calibration + " names no calibration");

        if (status == 0) {
            // The view stores what a load read (the recovery-action lists
            // wrote each element as they read it); the image is then the
            // one a whole-image write carries to the ECU.
            SendToAll(*app.m_pParTable, link::WM_CTRL_STORE);
            // The computed fields (the changeover temperature in
            // Fahrenheit) from the values just stored, as after a load.
            CUtility::RefreshAllCtrls(*app.m_pParTable);
            std::string image;
            {
                std::lock_guard lock(app.m_csParImage);
                image.assign(reinterpret_cast<const char*>(app.m_pParMaster.get()),
                             static_cast<std::size_t>(app.m_nParSize));
            }
            if (!platform::WriteFileAtomically(output, image))
                status = Fail("cannot write " + output);
            else
                std::printf("vexar-par-image: %s, %zu bytes\n", output.c_str(), image.size());
        }
    }
    app.m_pUiSink = nullptr;
    return status;
}
