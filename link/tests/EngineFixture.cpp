#include "EngineFixture.h"

#include "common/Text.h"

#include <filesystem>
#include <cstdlib>
#include <ostream>
#include <unistd.h>

namespace vexar::linktest {

using namespace vexar::link;

ScopedEnv::ScopedEnv(const char* name, const std::string& value) : m_name(name)
{
    if (const char* old = std::getenv(name))
        m_saved = old;
    setenv(name, value.c_str(), 1);
}

ScopedEnv::~ScopedEnv()
{
    if (m_saved)
        setenv(m_name, m_saved->c_str(), 1);
    else
        unsetenv(m_name);
}

void PayloadSink::Post(UiWindow window, const IDataCtrl* control, LinkMessage message)
{
    {
        std::lock_guard lock(m_recordsLock);
        if (const auto* memory = dynamic_cast<const MEMORY_REQUEST*>(message.payload.get()))
            m_memory.push_back(*memory);
        if (const auto* sample = dynamic_cast<const ACQ_SAMPLE_MESSAGE*>(message.payload.get()))
            m_samples.push_back({control, sample->sample});
        if (const auto* line = dynamic_cast<const TRACE_LINE*>(message.payload.get());
            line && window == UiWindow::TraceWindow && message.id == WM_TRACE_LINE)
            m_trace.push_back(line->text);
    }
    RecordingUiSink::Post(window, control, std::move(message));
}

std::vector<MEMORY_REQUEST> PayloadSink::MemoryAnswers() const
{
    std::lock_guard lock(m_recordsLock);
    return m_memory;
}

std::vector<std::u16string> PayloadSink::TraceLines() const
{
    std::lock_guard lock(m_recordsLock);
    return m_trace;
}

std::vector<PayloadSink::Sample> PayloadSink::Samples() const
{
    std::lock_guard lock(m_recordsLock);
    return m_samples;
}

std::ostream& operator<<(std::ostream& out, const Seen& seen)
{
    return out << "{window " << static_cast<int>(seen.window) << ", WM_APP+" << (seen.message - WM_APP) << ", "
               << seen.wParam << ", " << seen.lParam << "}";
}

std::vector<Seen> SeenPosts(const std::vector<RecordedPost>& posts)
{
    std::vector<Seen> seen;
    for (const RecordedPost& post : posts)
        seen.push_back({post.window, post.message, post.wParam, post.lParam});
    return seen;
}

ecusim::Protocol SimProtocol(int protocol)
{
    return protocol == 0 ? ecusim::Protocol::First : ecusim::Protocol::Second;
}

EngineTest::EngineTest() = default;

EngineTest::~EngineTest()
{
    m_app.reset();
    for (auto& sim : m_sims)
        sim->Stop();
}

ecusim::EcuSimulator& EngineTest::AddEcu(int com, int protocol, const std::string& ident)
{
    ecusim::SimulatorOptions options;
    options.protocol = SimProtocol(protocol);
    options.ident = ident;
    auto sim = std::make_unique<ecusim::EcuSimulator>(options);
    std::string error;
    if (!sim->Start(error) || !sim->PublishCom(m_comDir.path(), com, error))
        ADD_FAILURE() << "simulator: " << error;
    m_sims.push_back(std::move(sim));
    return *m_sims.back();
}

void EngineTest::ClearLines()
{
    m_sims.clear();
    m_silent.clear();
    std::filesystem::remove_all(m_comDir.path());
    std::filesystem::create_directories(m_comDir.path());
}

PtyPeer& EngineTest::AddSilent(int com)
{
    m_silent.push_back(std::make_unique<PtyPeer>());
    const std::string link = m_comDir.file("COM" + std::to_string(com));
    EXPECT_EQ(::symlink(m_silent.back()->slavePath().c_str(), link.c_str()), 0);
    return *m_silent.back();
}

CVEXARLink& EngineTest::MakeApp(int protocol, int parSize, int varSize)
{
    m_app = std::make_unique<CVEXARLink>(LinkTiming{.tickMs = 10, .protocol = kEngineTiming});
    m_app->m_pUiSink = &m_sink;
    m_app->m_nProtocol = protocol;
    m_app->ResizeImages(parSize, varSize);
    m_app->m_strConfigName = kSimIdent;
    return *m_app;
}

CVEXARLink& EngineTest::Linked(int com, int protocol, int parSize, int varSize)
{
    CVEXARLink& app = MakeApp(protocol, parSize, varSize);
    app.m_comPorts = {static_cast<unsigned>(com)};
    app.m_nComPort = com;
    app.Connect();
    EXPECT_EQ(app.m_bLinked, 1) << "the ECU on COM" << com << " did not link";
    return app;
}

std::vector<std::uint8_t> EngineTest::ParMaster()
{
    std::lock_guard lock(m_app->m_csParImage);
    return {m_app->m_pParMaster.get(), m_app->m_pParMaster.get() + m_app->m_nParSize};
}

std::vector<std::uint8_t> EngineTest::VarMaster()
{
    std::lock_guard lock(m_app->m_csVarImage);
    return {m_app->m_pVarMaster.get(), m_app->m_pVarMaster.get() + m_app->m_nVarSize};
}

std::vector<std::u16string> EngineTest::Log(const std::string& name) const
{
    return LogEntries(m_home.path() + "/Log/" + name + ".log");
}

}  // namespace vexar::linktest
