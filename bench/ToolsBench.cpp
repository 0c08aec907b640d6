// The programming tools' downloads against the simulated ECUs with the
// line's speed modelled: the time a whole image takes, beside the least the
// line allows (every byte both ways at 10 bits) plus the pauses the tools
// keep on purpose.
//
//   tools_bench [--size BYTES] [--tool kd02|st7|both] [--baud 9600|19200|both]
//
// Full-size images by default: 0x27FFC bytes for kd02flash, the KD01's
// 0x6FC0 bytes for st7flash.
//
// kd02flash is measured with its settings' pauses at their defaults and at
// 0; st7flash keeps its 10 ms per pass of its loop. With TOOLS_BENCH_LOG
// set, st7flash's frame log is printed (the time of every frame).
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/Kd01Loader.h"
#include "testing/bootsim/Kd02Loader.h"
#include "sigilkit.h"
#include "tools/common/ImageLoaders.h"
#include "tools/kd02flash/CKd02Programmer.h"
#include "tools/st7flash/CSt7Programmer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <mutex>
#include <string>
#include <unistd.h>

using namespace vexar::tools;
using namespace vexar::bootsim;
using Clock = std::chrono::steady_clock;

namespace {

class BenchSink : public IToolSink, public IPortScanPrompts, public IPortAdvanceReport {
public:
    void StatusCode(int code, int, long) override { last = code; }
    void StatusText(std::u16string) override {}
    void Progress(long, long) override {}
    void ShowBox(const std::u16string&, BoxButtons, std::function<void(int)> answer) override
    {
        ++boxes;
        answer(IDCANCEL);
    }
    void PortChosen(int) override {}
    void RunEnded() override
    {
        std::lock_guard lock(mutex);
        ended = true;
        done.notify_all();
    }
    void Succeeded() override { succeeded = true; }
    bool AskContinueDespiteConflict() override { return true; }
    void ShowNoPortFound() override {}
    void OpenFailed(int, int) override {}
    void Wait()
    {
        std::unique_lock lock(mutex);
        done.wait(lock, [&] { return ended; });
    }
    int last = 0;
    int boxes = 0;
    bool succeeded = false;
    bool ended = false;
    std::mutex mutex;
    std::condition_variable done;
};

struct Figures {
    double measured = 0;
    double wire = 0;
    double pauses = 0;
    bool ok = false;
    int lastLine = 0;  // kd02flash: the status code the run ended with
    int boxes = 0;
};

double WireSeconds(const BootSimulator& sim, long baud)
{
    std::size_t bytes = 0;
    for (const BootRecord& record : sim.FrameLog()) {
        if (record.kind != BootRecord::Kind::Ignored)
            bytes += record.bytes.size();
    }
    return 10.0 * double(bytes) / double(baud);
}

class Silent : public CLoaderReporter {
    void ShowMessage(const std::u16string& text) override { std::fprintf(stderr, "loader: %zu chars\n", text.size()); }
};

Figures RunKd02(const std::string& folder, std::size_t size, long baud, bool defaultWaits)
{
    std::string image(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        image[i] = static_cast<char>((i * 7 + 3) & 0xFF);
    const std::string file = folder + "/kd02.bin";
    std::ofstream(file, std::ios::binary) << image;
    Kd02Options options;
    options.bootBaud = baud;
    options.startInBootLoader = true;
    BootSimulator sim(std::make_unique<Kd02Loader>(options));
    sim.SetWireTiming(true);
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(folder, 3, error))
        return {};
    BenchSink sink;
    Kd02Timing timing;
    timing.applicationTimeout = 0.05;
    CKd02Programmer programmer(sink, timing);
    programmer.Line().SetPort(3);
    programmer.Line().SetBaud(baud);
    if (!defaultWaits)
        programmer.Waits().fill(0);
    Silent reporter;
    if (!LoadKd02BinImage(file, programmer.Image(), reporter))
        return {};
    programmer.StartThread();
    const auto begin = Clock::now();
    programmer.StartRun(sink, sink);
    sink.Wait();
    Figures f;
    f.measured = std::chrono::duration<double>(Clock::now() - begin).count();
    f.ok = sink.last == ST_DISCONNECTED;
    f.lastLine = sink.last;
    f.boxes = sink.boxes;
    const auto& w = programmer.Waits();
    const std::size_t blocks = (size + 1023) / 1024;
    // The application query goes unanswered (the boot loader runs): its
    // five reads are part of the run too.
    f.pauses = double(w[W_CONNECT_ERASE] + w[W_ERASE_RESULT] + w[W_RESULT_WRITE] + long(blocks) * w[W_WRITE] +
                      w[W_WRITE_STOP] + w[W_STOP_VERIFY] + w[W_VERIFY_DISCONNECT]) / 1000.0 +
               timing.applicationAttempts * timing.applicationTimeout;
    f.wire = WireSeconds(sim, baud);
    programmer.StopThread();
    sim.Stop();
    return f;
}

std::string SRecordText(std::size_t size)
{
    std::string text;
    char line[80];
    for (std::size_t at = 0; at < size; at += 16) {
        const unsigned address = 0x8000 + unsigned(at);
        const unsigned count = unsigned(std::min<std::size_t>(16, size - at));
        std::snprintf(line, sizeof line, "S1%02X%04X", count + 3, address);
        text += line;
        for (unsigned i = 0; i < count; ++i) {
            std::snprintf(line, sizeof line, "%02X", unsigned((address + i) * 5 & 0x7F));
            text += line;
        }
        text += "00\r\n";
    }
    text += "S113FFE0800080008000800080008000800080000C\r\nS113FFF0800080008000800080008000800080000C\r\n";
    return text;
}

Figures RunSt7(const std::string& folder, std::size_t size, long baud)
{
    const std::string plain = folder + "/kd01.s19";
    std::ofstream(plain, std::ios::binary) << SRecordText(size);
    CryptInit(reinterpret_cast<const unsigned char*>("3FA0C81D5E7B29640D1CE8A7B5F23961"), 32, 32);
    FileEncrypt(plain.c_str(), (folder + "/kd01.run").c_str(), SIGILKIT_CFB);
    Kd01Options options;
    options.baud = baud;
    options.greetingDelay = std::chrono::milliseconds(0);
    BootSimulator sim(std::make_unique<Kd01Loader>(options));
    sim.SetWireTiming(true);
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(folder, 4, error))
        return {};
    BenchSink sink;
    CSt7Programmer programmer(sink);
    programmer.Line().SetPort(4);
    programmer.Line().SetBaud(baud);
    Silent reporter;
    if (!LoadSt7RunImage(folder + "/kd01.run", programmer.Image(), ToolLanguage::English, reporter))
        return {};
    programmer.StartThread();
    const auto begin = Clock::now();
    programmer.StartRun(sink, sink);
    sink.Wait();
    Figures f;
    f.measured = std::chrono::duration<double>(Clock::now() - begin).count();
    f.ok = sink.succeeded;
    const std::size_t blocks = (size + 63) / 64;
    // The loop's 10 ms per pass (one pass per block and per step), and the
    // idle state's line read (0.2 s) before the reset.
    f.pauses = double(blocks + 8) * 0.010 + 0.2;
    f.wire = WireSeconds(sim, baud);
    if (std::getenv("TOOLS_BENCH_LOG")) {
        const auto log = sim.FrameLog();
        for (const BootRecord& record : log)
            std::printf("%s\n", BootRecordLine(record, log.front().at).substr(0, 60).c_str());
    }
    programmer.StopThread();
    sim.Stop();
    return f;
}

void Print(const char* what, long baud, std::size_t size, const Figures& f)
{
    const double floor = f.wire + f.pauses;
    std::printf("%-24s %6ld baud %7zu bytes: %s measured %8.2f s, wire %8.2f s, pauses %7.2f s, ratio %.3f", what, baud,
                size, f.ok ? "ok    " : "FAILED", f.measured, f.wire, f.pauses, floor > 0 ? f.measured / floor : 0.0);
    if (!f.ok)
        std::printf(" (last line %d, %d boxes)", f.lastLine, f.boxes);
    std::printf("\n");
}

}  // namespace

int main(int argc, char** argv)
{
    std::size_t kd02Size = 0x27FFC;  // the longest ".bin" kd02flash's image holds
    std::size_t st7Size = 0x6FC0;
    std::string tool = "both";
    std::string bauds = "both";
    for (int i = 1; i + 1 < argc; i += 2) {
        const std::string option = argv[i];
        if (option == "--size")
            kd02Size = st7Size = std::strtoul(argv[i + 1], nullptr, 0);
        else if (option == "--tool")
            tool = argv[i + 1];
        else if (option == "--baud")
            bauds = argv[i + 1];
    }
    const auto folder = std::filesystem::temp_directory_path() / ("tools-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    setenv("VEXAR_COM_DIR", folder.c_str(), 1);
    for (const long baud : {9600L, 19200L}) {
        if (bauds != "both" && std::to_string(baud) != bauds)
            continue;
        if (tool != "st7") {
            Print("kd02flash, waits default", baud, kd02Size, RunKd02(folder, kd02Size, baud, true));
            Print("kd02flash, waits 0", baud, kd02Size, RunKd02(folder, kd02Size, baud, false));
        }
        if (tool != "kd02")
            Print("st7flash", baud, std::min<std::size_t>(st7Size, 0x6FC0), RunSt7(folder, std::min<std::size_t>(st7Size, 0x6FC0), baud));
    }
    std::filesystem::remove_all(folder);
    return 0;
}
