// The programming tools' downloads against the simulated ECUs with the
// line's speed modelled: the time a whole image takes, beside the least the
// line allows (every byte both ways at 10 bits) plus the pauses the tools
// keep on purpose.
//
//   tools_bench [--size BYTES] [--tool kd02|st7|hc08|hhwriter|both|all] [--baud 9600|19200|both]
//
// Full-size images by default: 0x27FFC bytes for kd02flash, the KD01's
// 0x6FC0 bytes for st7flash, the handheld microcontroller's 0xE200 bytes
// for hc08flash; hhwriter sends its three items (the 32 KB language file,
// the KD01 firmware's 32 KB and 0x20000 bytes of KD02 firmware). "both" is
// kd02flash and st7flash, "all" adds the handheld's tools.
//
// kd02flash is measured with its settings' pauses at their defaults and at
// 0; st7flash keeps its 10 ms per pass of its loop. With TOOLS_BENCH_LOG
// set, st7flash's frame log is printed (the time of every frame).
#include "testing/bootsim/BootSimulator.h"
#include "testing/bootsim/HandheldTerminal.h"
#include "testing/bootsim/Kd01Loader.h"
#include "testing/bootsim/Kd02Loader.h"
#include "sigilkit.h"
#include "tools/common/ImageLoaders.h"
#include "tools/hc08flash/CHc08Programmer.h"
#include "tools/hhwriter/CHandheldSender.h"
#include "tools/kd02flash/CKd02Programmer.h"
#include "tools/st7flash/CSt7Programmer.h"

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
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

// hc08flash: a full image of 0x0E00-0xEFFF (no 0xFF block) and its
// vectors, from the application's boot request to the check.
Figures RunHc08(const std::string& folder, long baud)
{
    std::string text;
    char line[80];
    for (unsigned address = 0x0E00; address <= 0xEFFF; address += 32) {
        std::snprintf(line, sizeof line, "S123%04X", address);
        text += line;
        for (unsigned i = 0; i < 32; ++i) {
            std::snprintf(line, sizeof line, "%02X", ((address + i) * 3 + 1) & 0x7F);
            text += line;
        }
        text += "00\n";
    }
    text += "S11FFFCC0E000E000E000E000E000E000E000E000E000E000E000E000E000E0000\n";
    text += "S11BFFE80E000E000E000E000E000E000E000E000E000E000E000E0000\n";
    std::ofstream(folder + "/palm.s19", std::ios::binary) << text;
    HandheldOptions options;
    options.baud = baud;
    options.greetingDelay = std::chrono::milliseconds(20);
    // A long frame gap: a busy machine must not make the simulator drop a
    // frame whose bytes it read late.
    BootSimulator sim(std::make_unique<HandheldTerminal>(options), std::chrono::milliseconds(1000));
    sim.SetWireTiming(true);
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(folder, 5, error))
        return {};
    BenchSink sink;
    CHc08Programmer programmer(sink);
    programmer.Line().SetPort(5);
    programmer.Line().SetBaud(baud);
    Silent reporter;
    if (!LoadHc08Image(folder + "/palm.s19", programmer.Image(), reporter) || programmer.Image().stop != 0xEFFF)
        return {};
    programmer.StartThread();
    const auto begin = Clock::now();
    programmer.StartRun(sink, sink);
    sink.Wait();
    Figures f;
    f.measured = std::chrono::duration<double>(Clock::now() - begin).count();
    f.ok = sink.succeeded;
    f.boxes = sink.boxes;
    f.pauses = 0.020;  // the handheld's greeting comes 20 ms after its boot request
    f.wire = WireSeconds(sim, baud);
    programmer.StopThread();
    sim.Stop();
    return f;
}

class GoOn : public IHandheldSendView {
public:
    void ItemBegins(long) override {}
    bool BlockSent(long, const std::u16string&) override { return true; }
    void StatusLine(const std::u16string&) override {}
    void ErrorBox(const std::u16string&) override {}
};

// hhwriter: each item on its own, as the dialog sends it (the link opened
// for the item and closed after it).
void RunHhwriter(const std::string& folder, long baud, const std::function<void(const char*, std::size_t, const Figures&)>& print)
{
    HandheldOptions options;
    options.baud = baud;
    BootSimulator sim(std::make_unique<HandheldTerminal>(options), std::chrono::milliseconds(1000));
    sim.SetWireTiming(true);
    std::string error;
    if (!sim.Start(error) || !sim.PublishCom(folder, 6, error))
        return;
    CHandheldLink link;
    link.SetPort(6);
    link.SetBaud(baud);
    GoOn view;
    CHandheldSender sender(link, view);
    std::vector<std::uint8_t> language(kHandheldLanguageSize);
    for (std::size_t i = 0; i < language.size(); ++i)
        language[i] = static_cast<std::uint8_t>(i * 11 + 5);
    LOADER_IMAGE kd01;
    kd01.Reset(0x10000, 0x8000);
    for (std::size_t i = 0x8000; i < 0x10000; ++i)
        kd01.buffer[i] = static_cast<std::uint8_t>(i * 7);
    kd01.stop = 0xEFBF;
    kd01.loaded = true;
    LOADER_IMAGE kd02;
    kd02.Reset(0x40000, kKd02BinaryBase);
    for (std::size_t i = 0; i < kHhwriterKd02BinaryMaximum; ++i)
        kd02.buffer[kKd02BinaryBase + i] = static_cast<std::uint8_t>(i * 13 + 1);
    kd02.stop = kKd02BinaryBase + kHhwriterKd02BinaryMaximum - 1;
    kd02.loaded = true;
    const std::pair<const char*, std::function<bool()>> items[] = {
        {"hhwriter language", [&] { return sender.SendLanguage(language); }},
        {"hhwriter KD01", [&] { return sender.SendKd01(kd01, "KD01_R3.s19"); }},
        {"hhwriter KD02", [&] { return sender.SendKd02(kd02, "KD02_V2.bin"); }},
    };
    const std::size_t sizes[] = {kHandheldLanguageSize, 0x8000, kHhwriterKd02BinaryMaximum};
    for (std::size_t i = 0; i < 3; ++i) {
        sim.ClearFrameLog();
        const auto begin = Clock::now();
        Figures f;
        f.ok = items[i].second();
        f.measured = std::chrono::duration<double>(Clock::now() - begin).count();
        f.wire = WireSeconds(sim, baud);
        print(items[i].first, sizes[i], f);
    }
    sim.Stop();
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
        if (tool == "both" || tool == "all" || tool == "kd02") {
            Print("kd02flash, waits default", baud, kd02Size, RunKd02(folder, kd02Size, baud, true));
            Print("kd02flash, waits 0", baud, kd02Size, RunKd02(folder, kd02Size, baud, false));
        }
        if (tool == "both" || tool == "all" || tool == "st7")
            Print("st7flash", baud, std::min<std::size_t>(st7Size, 0x6FC0), RunSt7(folder, std::min<std::size_t>(st7Size, 0x6FC0), baud));
        if (tool == "all" || tool == "hc08")
            Print("hc08flash", baud, 0xE200, RunHc08(folder, baud));
        if (tool == "all" || tool == "hhwriter")
            RunHhwriter(folder, baud, [baud](const char* what, std::size_t size, const Figures& f) { Print(what, baud, size, f); });
    }
    std::filesystem::remove_all(folder);
    return 0;
}
