#include "EcuShell.h"

#include "CryptFixtures.h"
#include "pages/CCtrlStatic.h"
#include "platform/ui/CButtonMfc.h"
#include "platform/ui/CmdUI.h"
#include "platform/ui/Menu.h"
#include "platform/ui/Messages.h"
#include "platform/ui/WindowState.h"
#include "shell/CMainFrame.h"
#include "shell/CVEXARView.h"
#include "shell/core/CommandTable.h"

#include <QAction>

using namespace std::chrono_literals;

namespace vexar::shelltest {

void EcuShellBase::StartBench(const BENCH& bench)
{
    ecusim::SimulatorOptions options;
    options.protocol = bench.protocol == 0 ? ecusim::Protocol::First : ecusim::Protocol::Second;
    options.baud = 19200;
    options.ident = bench.ident;
    m_sim = std::make_unique<ecusim::EcuSimulator>(options);
    std::string error;
    ASSERT_TRUE(m_sim->Start(error)) << error;
    for (std::size_t i = 0; i < kParameterImage; ++i) {
        const std::uint8_t byte = static_cast<std::uint8_t>(0x30 + i);
        m_sim->WriteImage(ecusim::Image::Parameters, i, std::span(&byte, 1));
    }
    ASSERT_TRUE(m_sim->PublishCom(m_shell.Folder().ComFolder(), 3, error)) << error;
    m_shell.MakeApp(link::LinkTiming{10, bench.timing});
    m_shell.StartWithConfiguration(bench.ecu, bench.revision, [&](const fixtures::SyntheticConfiguration& installed) {
        ASSERT_TRUE(fixtures::InstallDemoSettings(installed, error)) << error;
        for (const std::string& revision : bench.moreRevisions) {
            const fixtures::SyntheticConfiguration more = m_shell.Folder().InstallConfiguration(bench.ecu, revision);
            ASSERT_TRUE(fixtures::InstallDemoSettings(more, error)) << error;
        }
        if (bench.sessionPort != 1)
            m_shell.Folder().WriteSession(u"English.lng", {}, u"OPR_PBL", bench.sessionPort);
        vexar::testing::WriteAll(m_shell.Folder().File("Calib.cfg"), "\n\n1\n1\n");
    });
}

void EcuShellBase::TearDown()
{
    if (m_shell.Frame().isVisible()) {
        EXPECT_EQ(m_shell.Exit(), 0);
    }
    if (m_sim)
        m_sim->Stop();
}

void EcuShellBase::Command(unsigned id) { ui::SendMessage(&m_shell.View(), ui::CommandMessage(id)); }

bool EcuShellBase::WaitLinked(bool linked)
{
    const QString status = linked ? QStringLiteral("E3065") : QStringLiteral("E3064");
    return WaitUntil([&] {
        return (m_shell.App().m_bLinked != 0) == linked && !m_shell.View().m_bConnecting &&
               m_shell.Frame().m_paneStatus->text() == status &&
               ui::IsWindowEnabled(m_shell.View().Button(shell::kActionConnect)) != linked;
    });
}

bool EcuShellBase::MasterAgreesWithEcu()
{
    return WaitUntil([&] { return Master() == EcuImage(); });
}

void EcuShellBase::WorkingImageAsTheEcus()
{
    std::lock_guard lock(m_shell.App().m_csParImage);
    const std::vector<std::uint8_t> image = EcuImage();
    std::copy(image.begin(), image.end(), m_shell.App().m_pParWork.get());
}

bool EcuShellBase::Checked(unsigned id)
{
    const auto item = m_shell.Frame().MenuBar().FindCommand(id);
    ui::CmdUI ui(id, item->item);
    m_shell.Frame().UpdateCommandUI(ui);
    return item->item->isChecked();
}

std::vector<std::uint8_t> EcuShellBase::Master()
{
    std::lock_guard lock(m_shell.App().m_csParImage);
    if (!m_shell.App().m_pParMaster)
        return {};
    return {m_shell.App().m_pParMaster.get(), m_shell.App().m_pParMaster.get() + m_shell.App().m_nParSize};
}

std::vector<std::uint8_t> EcuShellBase::EcuImage() const
{
    return m_sim->ReadImage(ecusim::Image::Parameters, 0, kParameterImage);
}

}  // namespace vexar::shelltest
