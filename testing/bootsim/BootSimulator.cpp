#include "testing/bootsim/BootSimulator.h"

#include "testing/ptysupport/ComLink.h"
#include "testing/ptysupport/FrameLogLine.h"
#include "testing/ptysupport/LineSpeed.h"
#include "testing/ptysupport/PtyPair.h"
#include "testing/ptysupport/WakeEvent.h"

#include <algorithm>
#include <cerrno>
#include <mutex>
#include <poll.h>
#include <thread>
#include <unistd.h>

namespace vexar::bootsim {

struct BootSimulator::Impl {
    std::unique_ptr<BootDevice> device;
    std::chrono::milliseconds frameGap;

    mutable std::mutex mutex;
    ptysupport::PtyPair pty;
    ptysupport::WakeEvent wake;
    std::thread thread;
    bool quit = false;
    bool running = false;
    bool reading = true;
    std::string comLink;
    std::vector<BootRecord> log;

    struct Due {
        Clock::time_point at;
        std::vector<std::uint8_t> bytes;
    };
    std::vector<Due> due;  // ordered by time
    std::vector<std::uint8_t> partial;
    Clock::time_point lastByte{};
    bool wire = false;
    Clock::time_point inFreeAt{};   // wire timing: when the line has carried the bytes taken in so far
    Clock::time_point outFreeAt{};  // wire timing: when the device's last reply has left

    // The time `count` bytes take on the line at the program's speed.
    Clock::duration LineTime(std::size_t count) const
    {
        const long baud = ProgramBaud();
        if (!wire || baud <= 0)
            return Clock::duration::zero();
        return std::chrono::duration_cast<Clock::duration>(ptysupport::WireTime(baud, count));
    }

    void Run();
    void ReadAvailable(Clock::time_point now);
    void Handle(FrameOutcome outcome, Clock::time_point now, long baud);
    void Schedule(const std::vector<TimedBytes>& replies, Clock::time_point now);
    void SendDue(Clock::time_point now);
    void UnplugLocked();
    void Log(BootRecord::Kind kind, Clock::time_point at, long baud, std::vector<std::uint8_t> bytes,
             bool valid = true, std::string note = {}, int command = -1)
    {
        log.push_back({kind, at, baud, std::move(bytes), valid, command, std::move(note)});
    }
    long ProgramBaud() const { return pty.IsOpen() ? ptysupport::ProgramLineSpeed(pty.Master()) : 0; }
};

BootSimulator::BootSimulator(std::unique_ptr<BootDevice> device, std::chrono::milliseconds frameGap)
    : m_impl(std::make_unique<Impl>())
{
    m_impl->device = std::move(device);
    m_impl->frameGap = frameGap;
}

BootSimulator::~BootSimulator()
{
    Stop();
}

bool BootSimulator::Start(std::string& error)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    if (d.running) {
        error = "already running";
        return false;
    }
    if (!d.wake.Open()) {
        error = "cannot make the wake-up event";
        return false;
    }
    if (!d.pty.Open(9600, error))
        return false;
    d.quit = false;
    d.running = true;
    d.thread = std::thread([&d] { d.Run(); });
    return true;
}

void BootSimulator::Stop()
{
    Impl& d = *m_impl;
    {
        std::lock_guard lock(d.mutex);
        if (!d.running)
            return;
        d.quit = true;
        d.wake.Signal();
    }
    d.thread.join();
    std::lock_guard lock(d.mutex);
    d.running = false;
    if (!d.comLink.empty())
        ptysupport::RemoveLinkTo(d.comLink, d.pty.SlavePath());
    d.pty.Close();
    d.wake.Close();
}

std::string BootSimulator::SlavePath() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->pty.IsOpen() ? m_impl->pty.SlavePath() : std::string();
}

bool BootSimulator::PublishCom(const std::string& folder, int number, std::string& error)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    std::string link;
    if (!ptysupport::ComLinkPath(folder, number, link, error))
        return false;
    d.comLink = link;
    return !d.pty.IsOpen() || ptysupport::PublishLink(link, d.pty.SlavePath(), error);
}

void BootSimulator::WithDevice(const std::function<void(BootDevice&)>& job)
{
    {
        std::lock_guard lock(m_impl->mutex);
        job(*m_impl->device);
    }
    Wake();
}

void BootSimulator::SetWireTiming(bool on)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->wire = on;
}

void BootSimulator::Wake()
{
    std::lock_guard lock(m_impl->mutex);
    if (m_impl->wake.IsOpen())
        m_impl->wake.Signal();
}

void BootSimulator::Unplug()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->UnplugLocked();
    if (m_impl->wake.IsOpen())
        m_impl->wake.Signal();
}

void BootSimulator::Impl::UnplugLocked()
{
    if (!pty.IsOpen())
        return;
    if (!comLink.empty())
        ptysupport::RemoveLinkTo(comLink, pty.SlavePath());
    pty.Close();
    partial.clear();
    due.clear();
}

bool BootSimulator::Replug(std::string& error)
{
    Impl& d = *m_impl;
    std::lock_guard lock(d.mutex);
    if (d.pty.IsOpen())
        return true;
    if (!d.pty.Open(9600, error))
        return false;
    d.reading = true;
    if (!d.comLink.empty() && !ptysupport::PublishLink(d.comLink, d.pty.SlavePath(), error))
        return false;
    if (d.wake.IsOpen())
        d.wake.Signal();
    return true;
}

bool BootSimulator::IsPlugged() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->pty.IsOpen();
}

bool BootSimulator::IsReading() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->reading;
}

void BootSimulator::ResumeReading()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->reading = true;
    if (m_impl->wake.IsOpen())
        m_impl->wake.Signal();
}

std::vector<BootRecord> BootSimulator::FrameLog() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->log;
}

void BootSimulator::ClearFrameLog()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->log.clear();
}

std::size_t BootSimulator::CountRequests(std::uint8_t command) const
{
    std::lock_guard lock(m_impl->mutex);
    return static_cast<std::size_t>(std::count_if(m_impl->log.begin(), m_impl->log.end(), [&](const BootRecord& r) {
        return r.kind == BootRecord::Kind::Request && r.valid && r.command == command;
    }));
}

void BootSimulator::Impl::Run()
{
    std::unique_lock lock(mutex);
    while (!quit) {
        const Clock::time_point now = Clock::now();
        Schedule(device->TakeUnsolicited(), now);
        SendDue(now);
        if (!partial.empty() && now - lastByte >= frameGap) {
            std::vector<std::uint8_t> dropped = device->DropPartial();
            if (!dropped.empty())
                Log(BootRecord::Kind::Noise, now, ProgramBaud(), std::move(dropped), false, "unfinished frame");
            partial.clear();
        }

        int timeout = -1;
        if (!due.empty())
            timeout = int(std::max<long long>(
                0, std::chrono::ceil<std::chrono::milliseconds>(due.front().at - now).count()));
        if (!partial.empty()) {
            const auto gapLeft = std::chrono::ceil<std::chrono::milliseconds>(lastByte + frameGap - now).count();
            timeout = timeout < 0 ? int(std::max<long long>(0, gapLeft))
                                  : std::min(timeout, int(std::max<long long>(0, gapLeft)));
        }
        // With the line's speed modelled, the next bytes are taken only once
        // the line has carried the last ones.
        const bool lineBusy = wire && inFreeAt > now;
        if (lineBusy) {
            const int busy = int(std::chrono::ceil<std::chrono::milliseconds>(inFreeAt - now).count());
            timeout = timeout < 0 ? busy : std::min(timeout, busy);
        }
        pollfd fds[2] = {{wake.Fd(), POLLIN, 0}, {pty.IsOpen() ? pty.Master() : -1, POLLIN, 0}};
        const nfds_t count = (pty.IsOpen() && reading && !lineBusy) ? 2 : 1;
        lock.unlock();
        const int ready = ::poll(fds, count, timeout);
        lock.lock();
        if (ready < 0 && errno != EINTR)
            break;
        if (fds[0].revents & POLLIN)
            wake.Drain();
        if (count == 2 && (fds[1].revents & POLLIN) && pty.IsOpen() && reading)
            ReadAvailable(Clock::now());
    }
}

void BootSimulator::Impl::ReadAvailable(Clock::time_point now)
{
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(pty.Master(), buffer, wire ? 64 : sizeof buffer);
    if (n <= 0)
        return;
    const long baud = ProgramBaud();
    if (wire)
        inFreeAt = std::max(inFreeAt, now) + LineTime(static_cast<std::size_t>(n));
    const std::vector<std::uint8_t> bytes(buffer, buffer + n);
    if (baud != device->ListeningBaud()) {
        Log(BootRecord::Kind::Ignored, now, baud, bytes, false);
        return;
    }
    lastByte = now;
    for (const std::uint8_t byte : bytes) {
        partial.push_back(byte);
        if (std::optional<FrameOutcome> outcome = device->Heard(byte)) {
            partial.clear();
            Handle(std::move(*outcome), now, baud);
            if (!reading || !pty.IsOpen())
                break;
        }
    }
}

void BootSimulator::Impl::Handle(FrameOutcome outcome, Clock::time_point now, long baud)
{
    Log(BootRecord::Kind::Request, now, baud, std::move(outcome.frame), outcome.valid, std::move(outcome.note),
        outcome.command);
    Schedule(outcome.replies, now);
    if (outcome.stopReading)
        reading = false;
    if (outcome.unplug)
        UnplugLocked();
}

void BootSimulator::Impl::Schedule(const std::vector<TimedBytes>& replies, Clock::time_point now)
{
    for (const TimedBytes& reply : replies) {
        Due entry{now + reply.delay, reply.bytes};
        if (wire) {
            // A reply starts after the request has come in and the previous
            // reply has left, and is whole after its own bytes' time.
            const Clock::time_point begin = std::max({now, inFreeAt, outFreeAt}) + reply.delay;
            entry.at = begin + LineTime(reply.bytes.size());
            outFreeAt = entry.at;
        }
        const auto at = std::upper_bound(due.begin(), due.end(), entry.at,
                                         [](Clock::time_point t, const Due& d) { return t < d.at; });
        due.insert(at, std::move(entry));
    }
}

void BootSimulator::Impl::SendDue(Clock::time_point now)
{
    while (!due.empty() && due.front().at <= now) {
        Due entry = std::move(due.front());
        due.erase(due.begin());
        if (!pty.IsOpen())
            continue;
        std::size_t sent = 0;
        while (sent < entry.bytes.size()) {
            const ssize_t n = ::write(pty.Master(), entry.bytes.data() + sent, entry.bytes.size() - sent);
            if (n > 0) {
                sent += static_cast<std::size_t>(n);
            } else if (n < 0 && errno == EAGAIN) {
                pollfd out{pty.Master(), POLLOUT, 0};
                ::poll(&out, 1, 10);
            } else if (!(n < 0 && errno == EINTR)) {
                break;
            }
        }
        Log(BootRecord::Kind::Reply, now, ProgramBaud(), std::move(entry.bytes));
    }
}

std::string BootRecordLine(const BootRecord& record, Clock::time_point start)
{
    static const char* const kKinds[] = {"request", "reply", "ignored", "noise"};
    std::string what = kKinds[static_cast<int>(record.kind)];
    if (!record.valid && record.kind == BootRecord::Kind::Request)
        what += " (bad)";
    what += " @" + std::to_string(record.baud);
    if (!record.note.empty())
        what += " " + record.note;
    return ptysupport::FrameLogLine(std::chrono::duration_cast<std::chrono::microseconds>(record.at - start), what,
                                    record.bytes);
}

}  // namespace vexar::bootsim
