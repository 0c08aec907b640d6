#include "testing/ecusim/EcuSimulator.h"

#include "testing/ecusim/EcuResponder.h"
#include "testing/ptysupport/ComLink.h"
#include "testing/ptysupport/LineSpeed.h"
#include "testing/ptysupport/PtyPair.h"
#include "testing/ptysupport/WakeEvent.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <fstream>
#include <functional>
#include <future>
#include <iterator>
#include <mutex>
#include <optional>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace vexar::ecusim {

namespace {

using Clock = SimClock;
using std::chrono::nanoseconds;

using ptysupport::WireTime;

struct OutByte {
    Clock::time_point due;
    std::uint8_t byte;
    std::optional<long> switchToBaud;  // take this listening speed once the byte is out
};

}  // namespace

struct EcuSimulator::Impl {
    explicit Impl(SimulatorOptions options);

    // ---- shared state, guarded by mutex ----
    mutable std::mutex mutex;
    SimulatorOptions options;
    EcuState state;
    FaultTable faults;
    std::vector<FrameRecord> log;
    VariableScript script;
    Clock::time_point scriptBase;
    std::size_t scriptNext = 0;
    std::string slavePath;
    std::string comLink;  // the published link, or empty
    bool plugged = false;
    bool quit = false;
    std::deque<std::packaged_task<void()>> jobs;

    // ---- owned by the simulator thread while it runs ----
    ptysupport::PtyPair pty;
    ptysupport::WakeEvent wake;
    std::thread thread;
    std::vector<std::uint8_t> rx;
    std::atomic<std::size_t> heard{0};  // bytes read at the listening speed
    Clock::time_point rxFirst;
    Clock::time_point rxLast;
    std::deque<OutByte> out;
    bool outBlocked = false;

    void Run();
    void RunJobs();
    void RunOnThread(std::function<void()> job);

    void ReadLine();
    void Feed(const std::uint8_t* bytes, std::size_t count, Clock::time_point now);
    void HandleFrame(std::vector<std::uint8_t> frame, Clock::time_point first, Clock::time_point now);
    void DropPartial(Clock::time_point now);
    void FlushNoise(std::vector<std::uint8_t>& noise, Clock::time_point now);
    std::pair<Clock::time_point, Clock::time_point> Queue(std::span<const std::uint8_t> bytes,
                                                          Clock::time_point start, long baud, bool paced,
                                                          std::optional<long> switchAfter = std::nullopt);
    void SendDue(Clock::time_point now);
    void ApplyScript(Clock::time_point now);
    std::optional<Clock::time_point> NextDeadline() const;

    void Log(FrameRecord record);
    void UnplugNow();
    bool PlugNow(std::string& error);
    bool LinkCom(std::string& error);
    void UnlinkCom();
};

EcuSimulator::Impl::Impl(SimulatorOptions opts)
    : options(std::move(opts))
{
    state.parameters.assign(std::min<std::size_t>(options.parameterSize, 65536), 0);
    state.variables.assign(std::min<std::size_t>(options.variableSize, 65536), 0);
    std::string ident = options.ident;
    ident.resize(state.ident.size(), ' ');
    std::copy(ident.begin(), ident.end(), state.ident.begin());
}

// ---- thread and jobs -------------------------------------------------------

void EcuSimulator::Impl::RunOnThread(std::function<void()> job)
{
    if (!thread.joinable()) {
        job();
        return;
    }
    std::packaged_task<void()> task(std::move(job));
    std::future<void> done = task.get_future();
    {
        std::lock_guard lock(mutex);
        jobs.push_back(std::move(task));
    }
    wake.Signal();
    done.wait();
}

void EcuSimulator::Impl::RunJobs()
{
    for (;;) {
        std::packaged_task<void()> task;
        {
            std::lock_guard lock(mutex);
            if (jobs.empty())
                return;
            task = std::move(jobs.front());
            jobs.pop_front();
        }
        task();
    }
}

void EcuSimulator::Impl::Run()
{
    for (;;) {
        RunJobs();
        {
            std::lock_guard lock(mutex);
            if (quit)
                break;
        }
        const Clock::time_point now = Clock::now();
        SendDue(now);
        ApplyScript(now);
        if (!rx.empty() && now - rxLast >= options.frameGap)
            DropPartial(now);

        pollfd fds[2] = {{wake.Fd(), POLLIN, 0}, {pty.Master(), POLLIN, 0}};
        if (outBlocked)
            fds[1].events |= POLLOUT;
        timespec timeout{};
        timespec* timeoutPointer = nullptr;
        if (const auto deadline = NextDeadline()) {
            const auto wait = std::max(nanoseconds(0),
                                       std::chrono::duration_cast<nanoseconds>(*deadline - Clock::now()));
            timeout.tv_sec = static_cast<time_t>(wait.count() / 1'000'000'000);
            timeout.tv_nsec = static_cast<long>(wait.count() % 1'000'000'000);
            timeoutPointer = &timeout;
        }
        const nfds_t count = pty.IsOpen() ? 2 : 1;
        if (ppoll(fds, count, timeoutPointer, nullptr) < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            wake.Drain();
        if (count == 2 && (fds[1].revents & POLLOUT))
            outBlocked = false;
        if (count == 2 && (fds[1].revents & POLLIN))
            ReadLine();
    }
    RunJobs();  // nobody may wait for a job that will never run
}

std::optional<Clock::time_point> EcuSimulator::Impl::NextDeadline() const
{
    std::optional<Clock::time_point> next;
    auto consider = [&](Clock::time_point t) {
        if (!next || t < *next)
            next = t;
    };
    if (!out.empty() && !outBlocked)
        consider(out.front().due);
    if (!rx.empty())
        consider(rxLast + options.frameGap);
    std::lock_guard lock(mutex);
    if (scriptNext < script.steps.size())
        consider(scriptBase + script.steps[scriptNext].at);
    return next;
}

// ---- receiving -------------------------------------------------------------

void EcuSimulator::Impl::ReadLine()
{
    std::uint8_t buffer[4096];
    const ssize_t got = read(pty.Master(), buffer, sizeof buffer);
    if (got <= 0)
        return;
    const Clock::time_point now = Clock::now();
    const long programBaud = ptysupport::ProgramLineSpeed(pty.Master());
    long listening = 0;
    bool echo = false;
    {
        std::lock_guard lock(mutex);
        listening = options.baud;
        echo = options.klineEcho;
    }
    if (programBaud == listening) {
        Feed(buffer, static_cast<std::size_t>(got), now);
        return;
    }
    // Bytes at another speed arrive as garbage: they break any frame being
    // received and are never answered. A K-line interface still echoes them,
    // since the echo is its own loop-back at the program's speed.
    DropPartial(now);
    std::span<const std::uint8_t> bytes(buffer, static_cast<std::size_t>(got));
    Log({FrameRecord::Kind::Ignored, now, now, programBaud, {bytes.begin(), bytes.end()}, true});
    if (echo) {
        bool paced = false;
        {
            std::lock_guard lock(mutex);
            paced = options.wireTiming;
        }
        Queue(bytes, now, programBaud, paced);
    }
}

void EcuSimulator::Impl::Feed(const std::uint8_t* bytes, std::size_t count, Clock::time_point now)
{
    heard += count;
    if (rx.empty())
        rxFirst = now;
    rx.insert(rx.end(), bytes, bytes + count);
    rxLast = now;
    std::vector<std::uint8_t> noise;
    for (;;) {
        const std::optional<std::size_t> length = DeclaredLength(options.protocol, rx);
        if (!length || (*length != 0 && rx.size() < *length))
            break;
        if (*length == 0) {  // cannot start a frame: skip one byte and look again
            noise.push_back(rx.front());
            rx.erase(rx.begin());
            continue;
        }
        FlushNoise(noise, now);
        std::vector<std::uint8_t> frame(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(*length));
        rx.erase(rx.begin(), rx.begin() + static_cast<std::ptrdiff_t>(*length));
        HandleFrame(std::move(frame), rxFirst, now);
        rxFirst = now;
    }
    FlushNoise(noise, now);
}

void EcuSimulator::Impl::DropPartial(Clock::time_point now)
{
    FlushNoise(rx, now);
}

void EcuSimulator::Impl::FlushNoise(std::vector<std::uint8_t>& noise, Clock::time_point now)
{
    if (noise.empty())
        return;
    long baud = 0;
    bool echo = false;
    bool paced = false;
    {
        std::lock_guard lock(mutex);
        baud = options.baud;
        echo = options.klineEcho;
        paced = options.wireTiming;
    }
    if (echo)
        Queue(noise, now, baud, paced);
    Log({FrameRecord::Kind::Noise, now, now, baud, std::move(noise), true});
    noise.clear();
}

// ---- answering -------------------------------------------------------------

namespace {

bool Has(const std::vector<Fault>& faults, FaultKind kind)
{
    return std::any_of(faults.begin(), faults.end(), [kind](const Fault& f) { return f.kind == kind; });
}

// Falsifies the reply as the faults say. Wrong fields keep a correct CRC, so
// the program sees exactly the one fault.
void ApplyReplyFaults(Protocol protocol, ReplyPlan& plan, const std::vector<Fault>& faults)
{
    std::vector<std::uint8_t>& frame = plan.frame;
    bool changed = false;
    auto bump = [&](std::ptrdiff_t at) {
        if (at >= 0) {
            frame[static_cast<std::size_t>(at)] ^= 0x01;
            changed = true;
        }
    };
    for (const Fault& fault : faults) {
        switch (fault.kind) {
        case FaultKind::WrongCommand: bump(static_cast<std::ptrdiff_t>(CommandOffset(protocol))); break;
        case FaultKind::WrongIndex: bump(plan.indexAt); break;
        case FaultKind::WrongBlock: bump(plan.blockAt); break;
        case FaultKind::WrongSpeed: bump(plan.speedAt); break;
        default: break;
        }
    }
    if (changed)
        ResealFrame(frame);
    if (Has(faults, FaultKind::BadCrc))
        frame[frame.size() - 2] ^= 0xFF;
    if (Has(faults, FaultKind::TruncatedReply))
        frame.pop_back();
}

}  // namespace

void EcuSimulator::Impl::HandleFrame(std::vector<std::uint8_t> frame, Clock::time_point first,
                                     Clock::time_point now)
{
    ApplyScript(now);  // the variables as they are when the request came
    const Protocol protocol = options.protocol;
    const bool crcOk = CrcMatches(frame);
    const std::uint8_t command = frame[CommandOffset(protocol)];
    long baud = 0;
    bool echo = false;
    bool wire = false;
    std::vector<Fault> active;
    {
        std::lock_guard lock(mutex);
        baud = options.baud;
        echo = options.klineEcho;
        wire = options.wireTiming;
        if (crcOk)
            active = faults.Take(command);
        log.push_back({FrameRecord::Kind::Request, first, now, baud, frame, crcOk});
    }
    if (Has(active, FaultKind::Unplug)) {
        UnplugNow();
        return;
    }
    if (echo) {
        std::vector<std::uint8_t> echoed = frame;
        if (Has(active, FaultKind::CorruptEcho))
            echoed[echoed.size() / 2] ^= 0x20;
        const auto [from, to] = Queue(echoed, first, baud, wire);
        Log({FrameRecord::Kind::Echo, from, to, baud, std::move(echoed), true});
    }
    if (!crcOk || Has(active, FaultKind::NoReply))
        return;

    std::optional<std::uint8_t> refusal;
    nanoseconds delay(0);
    for (const Fault& fault : active) {
        if (fault.kind == FaultKind::Nak)
            refusal = fault.errorCode;
        if (fault.kind == FaultKind::LateReply)
            delay += fault.delay;
    }
    std::optional<ReplyPlan> plan;
    {
        std::lock_guard lock(mutex);
        plan = Respond(protocol, frame, state, refusal);
    }
    if (!plan)
        return;
    ApplyReplyFaults(protocol, *plan, active);
    // The ECU acts once the whole request is on the wire.
    const Clock::time_point act = wire ? std::max(now, first + WireTime(baud, frame.size())) : now;
    const auto [from, to] = Queue(plan->frame, act + delay, baud, wire, plan->switchToBaud);
    Log({FrameRecord::Kind::Reply, from, to, baud, std::move(plan->frame), true});
}

// ---- sending ---------------------------------------------------------------

std::pair<Clock::time_point, Clock::time_point> EcuSimulator::Impl::Queue(
    std::span<const std::uint8_t> bytes, Clock::time_point start, long baud, bool paced,
    std::optional<long> switchAfter)
{
    // Bytes leave in order: none is due before the one queued ahead of it.
    Clock::time_point firstDue{};
    Clock::time_point due{};
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        due = paced ? start + WireTime(baud, i + 1) : start;
        if (!out.empty())
            due = std::max(due, out.back().due);
        if (i == 0)
            firstDue = due;
        out.push_back({due, bytes[i], std::nullopt});
    }
    if (!out.empty())
        out.back().switchToBaud = switchAfter;
    return {firstDue, due};
}

void EcuSimulator::Impl::SendDue(Clock::time_point now)
{
    if (outBlocked || !pty.IsOpen())
        return;
    std::vector<std::uint8_t> batch;
    for (const OutByte& item : out) {
        if (item.due > now)
            break;
        batch.push_back(item.byte);
        if (item.switchToBaud)
            break;  // the speed changes right after this byte
    }
    if (batch.empty())
        return;
    // A batch that ends in a speed change is written under the lock, so that
    // a test which has read its last byte already sees the new speed.
    std::unique_lock lock(mutex, std::defer_lock);
    if (out[batch.size() - 1].switchToBaud)
        lock.lock();
    const ssize_t written = write(pty.Master(), batch.data(), batch.size());
    if (written < 0) {
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            outBlocked = true;
        return;
    }
    for (ssize_t i = 0; i < written; ++i) {
        if (const std::optional<long> baud = out.front().switchToBaud)
            options.baud = *baud;
        out.pop_front();
    }
    if (static_cast<std::size_t>(written) < batch.size())
        outBlocked = true;
}

// ---- scripted variables ----------------------------------------------------

void EcuSimulator::Impl::ApplyScript(Clock::time_point now)
{
    std::lock_guard lock(mutex);
    while (scriptNext < script.steps.size() && scriptBase + script.steps[scriptNext].at <= now) {
        const VariableStep& step = script.steps[scriptNext];
        std::vector<std::uint8_t>& image = state.variables;
        for (std::size_t i = 0; i < step.bytes.size() && step.address + i < image.size(); ++i)
            image[step.address + i] = step.bytes[i];
        if (++scriptNext == script.steps.size() && script.loop.count() > 0) {
            scriptBase += script.loop;
            scriptNext = 0;
        }
    }
}

// ---- log, plug and link ----------------------------------------------------

void EcuSimulator::Impl::Log(FrameRecord record)
{
    std::lock_guard lock(mutex);
    log.push_back(std::move(record));
}

void EcuSimulator::Impl::UnplugNow()
{
    // State first, device last: whoever sees the hang-up sees the
    // simulator unplugged.
    UnlinkCom();
    {
        std::lock_guard lock(mutex);
        plugged = false;
        slavePath.clear();
    }
    rx.clear();
    out.clear();
    outBlocked = false;
    pty.Close();
}

bool EcuSimulator::Impl::PlugNow(std::string& error)
{
    long baud = 0;
    {
        std::lock_guard lock(mutex);
        baud = options.baud;
    }
    if (!pty.Open(baud, error))
        return false;
    {
        std::lock_guard lock(mutex);
        plugged = true;
        slavePath = pty.SlavePath();
    }
    return LinkCom(error);
}

bool EcuSimulator::Impl::LinkCom(std::string& error)
{
    std::string link;
    std::string target;
    {
        std::lock_guard lock(mutex);
        link = comLink;
        target = slavePath;
    }
    if (link.empty() || target.empty())
        return true;
    return ptysupport::PublishLink(link, target, error);
}

void EcuSimulator::Impl::UnlinkCom()
{
    std::string link;
    std::string target;
    {
        std::lock_guard lock(mutex);
        link = comLink;
        target = slavePath;
    }
    ptysupport::RemoveLinkTo(link, target);
}

// ---- public face -----------------------------------------------------------

EcuSimulator::EcuSimulator(SimulatorOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options)))
{
}

EcuSimulator::~EcuSimulator()
{
    Stop();
}

bool EcuSimulator::Start(std::string& error)
{
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        error = "the simulator is already running";
        return false;
    }
    if (!d.wake.Open()) {
        error = std::string("cannot create the wake-up event: ") + std::strerror(errno);
        return false;
    }
    if (!d.PlugNow(error)) {
        d.pty.Close();
        d.wake.Close();
        return false;
    }
    {
        std::lock_guard lock(d.mutex);
        d.quit = false;
    }
    d.thread = std::thread([&d] { d.Run(); });
    return true;
}

void EcuSimulator::Stop()
{
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        {
            std::lock_guard lock(d.mutex);
            d.quit = true;
        }
        d.wake.Signal();
        d.thread.join();
    }
    d.UnplugNow();
    d.wake.Close();
}

std::string EcuSimulator::SlavePath() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->slavePath;
}

bool EcuSimulator::PublishCom(const std::string& folder, int number, std::string& error)
{
    Impl& d = *m_impl;
    std::string link;
    if (!ptysupport::ComLinkPath(folder, number, link, error))
        return false;
    bool published = false;
    d.RunOnThread([&] {
        d.UnlinkCom();
        {
            std::lock_guard lock(d.mutex);
            d.comLink = link;
        }
        published = d.LinkCom(error);
        if (!published) {
            std::lock_guard lock(d.mutex);
            d.comLink.clear();
        }
    });
    return published;
}

namespace {

std::vector<std::uint8_t>& Select(EcuState& state, Image image)
{
    return image == Image::Parameters ? state.parameters : state.variables;
}

}  // namespace

bool EcuSimulator::WriteImage(Image image, std::size_t address, std::span<const std::uint8_t> bytes)
{
    std::lock_guard lock(m_impl->mutex);
    std::vector<std::uint8_t>& target = Select(m_impl->state, image);
    if (address > target.size() || bytes.size() > target.size() - address)
        return false;
    std::copy(bytes.begin(), bytes.end(), target.begin() + static_cast<std::ptrdiff_t>(address));
    return true;
}

std::vector<std::uint8_t> EcuSimulator::ReadImage(Image image, std::size_t address, std::size_t count) const
{
    std::lock_guard lock(m_impl->mutex);
    const std::vector<std::uint8_t>& source = Select(m_impl->state, image);
    if (address > source.size() || count > source.size() - address)
        return {};
    const auto from = source.begin() + static_cast<std::ptrdiff_t>(address);
    return {from, from + static_cast<std::ptrdiff_t>(count)};
}

void EcuSimulator::FillImage(Image image, std::uint8_t value)
{
    std::lock_guard lock(m_impl->mutex);
    std::vector<std::uint8_t>& target = Select(m_impl->state, image);
    std::fill(target.begin(), target.end(), value);
}

bool EcuSimulator::LoadImage(Image image, const std::string& path, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "cannot open " + path;
        return false;
    }
    std::vector<std::uint8_t> bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = "cannot read " + path;
        return false;
    }
    if (!WriteImage(image, 0, bytes)) {
        error = path + " holds " + std::to_string(bytes.size()) + " bytes, more than the image";
        return false;
    }
    return true;
}

void EcuSimulator::SetIdent(const std::string& ident)
{
    std::lock_guard lock(m_impl->mutex);
    std::string padded = ident;
    padded.resize(m_impl->state.ident.size(), ' ');
    std::copy(padded.begin(), padded.end(), m_impl->state.ident.begin());
}

bool EcuSimulator::Session() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->state.session;
}

long EcuSimulator::ListeningBaud() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->options.baud;
}

void EcuSimulator::SetListeningBaud(long baud)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->options.baud = baud;
}

void EcuSimulator::SetKLineEcho(bool on)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->options.klineEcho = on;
}

void EcuSimulator::SetWireTiming(bool on)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->options.wireTiming = on;
}

void EcuSimulator::InjectFault(std::uint8_t command, Fault fault, Repeat repeat)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.Arm(command, fault, repeat);
}

void EcuSimulator::ClearFaults()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.Clear();
}

void EcuSimulator::RunVariableScript(VariableScript script)
{
    {
        std::lock_guard lock(m_impl->mutex);
        m_impl->script = std::move(script);
        m_impl->scriptBase = Clock::now();
        m_impl->scriptNext = 0;
    }
    if (m_impl->wake.IsOpen())
        m_impl->wake.Signal();
}

void EcuSimulator::Unplug()
{
    m_impl->RunOnThread([this] { m_impl->UnplugNow(); });
}

bool EcuSimulator::Replug(std::string& error)
{
    bool plugged = false;
    m_impl->RunOnThread([&] {
        plugged = IsPlugged() || m_impl->PlugNow(error);
    });
    return plugged;
}

bool EcuSimulator::IsPlugged() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->plugged;
}

std::vector<FrameRecord> EcuSimulator::FrameLog() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->log;
}

std::size_t EcuSimulator::CountRequests(std::uint8_t command) const
{
    std::lock_guard lock(m_impl->mutex);
    const std::size_t at = CommandOffset(m_impl->options.protocol);
    return static_cast<std::size_t>(std::count_if(m_impl->log.begin(), m_impl->log.end(), [&](const FrameRecord& r) {
        return r.kind == FrameRecord::Kind::Request && r.crcOk && r.bytes.size() > at && r.bytes[at] == command;
    }));
}

std::size_t EcuSimulator::BytesHeard() const
{
    return m_impl->heard;
}

void EcuSimulator::ClearFrameLog()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->log.clear();
}

}  // namespace vexar::ecusim
