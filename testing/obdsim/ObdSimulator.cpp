#include "testing/obdsim/ObdSimulator.h"

#include "testing/obdsim/AdapterResponder.h"
#include "testing/ptysupport/ComLink.h"
#include "testing/ptysupport/PtyPair.h"
#include "testing/ptysupport/WakeEvent.h"

#include <algorithm>
#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <thread>
#include <unistd.h>

namespace vexar::obdsim {

namespace {

using Clock = SimClock;
using std::chrono::milliseconds;

// The longest request the adapter takes in; more is noise.
constexpr std::size_t kMaxFrame = 1024;
// Bytes that belong to no frame, sent ahead of a reply by the junk fault.
const Bytes kJunk = {0x55, 0xAA, 0x3F, 0x00, 0x7E};
// The data characters of a frame that never ends, sent in slices.
constexpr std::string_view kStreamText = "0123456789ABCDEF";
constexpr milliseconds kStreamSlice{20};

struct OutChunk {
    Clock::time_point due;
    Bytes bytes;
    std::size_t sent = 0;
};

bool Has(const std::vector<Fault>& faults, FaultKind kind)
{
    return std::any_of(faults.begin(), faults.end(), [kind](const Fault& f) { return f.kind == kind; });
}

milliseconds ExtraDelay(const std::vector<Fault>& faults)
{
    milliseconds delay{0};
    for (const Fault& fault : faults) {
        if (fault.kind == FaultKind::LateReply)
            delay += fault.delay;
    }
    return delay;
}

// The ECU answers of a reply's data, separated by ETB, in reverse order:
// on the car's bus the ECUs answer in no fixed order.
std::string Reversed(const std::string& data)
{
    std::vector<std::string> answers;
    std::size_t from = 0;
    for (std::size_t etb; (etb = data.find(static_cast<char>(kEtb), from)) != std::string::npos; from = etb + 1)
        answers.push_back(data.substr(from, etb - from));
    answers.push_back(data.substr(from));
    std::string joined;
    for (auto it = answers.rbegin(); it != answers.rend(); ++it) {
        if (it != answers.rbegin())
            joined += static_cast<char>(kEtb);
        joined += *it;
    }
    return joined;
}

// The reply frame as the faults make it.
Bytes FaultedReply(Reply reply, const std::vector<Fault>& faults, bool& endless)
{
    if (Has(faults, FaultKind::Reversed))
        reply.data = Reversed(reply.data);
    if (Has(faults, FaultKind::Nak))
        reply.data = std::string(1, static_cast<char>(kNak));
    if (Has(faults, FaultKind::WrongType))
        reply.type = reply.type == "XX" ? "YY" : "XX";
    Bytes bytes = EncodeFrame({"STL", "0", reply.type, reply.data});
    endless = Has(faults, FaultKind::Endless);
    if (endless) {
        // The head of the frame up to its data; the data then keeps coming.
        bytes = EncodeFrame({"STL", "0", reply.type, ""});
        bytes.resize(bytes.size() - 3);
        bytes.push_back(kEtb);
        return bytes;
    }
    if (Has(faults, FaultKind::BadChecksum)) {
        std::uint8_t& digit = bytes[bytes.size() - 2];
        digit = digit == '0' ? '1' : '0';
    }
    if (Has(faults, FaultKind::Truncated))
        bytes.resize(bytes.size() - 3);
    if (Has(faults, FaultKind::Junk))
        bytes.insert(bytes.begin(), kJunk.begin(), kJunk.end());
    return bytes;
}

}  // namespace

struct ObdSimulator::Impl {
    explicit Impl(SimulatorOptions opts)
        : options(std::move(opts)), responder(options.scenario)
    {
    }

    // ---- shared state, guarded by mutex ----
    mutable std::mutex mutex;
    mutable std::condition_variable logged;
    SimulatorOptions options;
    AdapterResponder responder;
    FaultTable faults;
    std::vector<FrameRecord> log;
    std::string slavePath;
    std::string comLink;
    bool quit = false;

    // ---- owned by the simulator thread while it runs ----
    ptysupport::PtyPair pty;
    ptysupport::WakeEvent wake;
    std::thread thread;
    Bytes partial;  // a request being received, from its STX
    Clock::time_point lastInput;
    std::deque<OutChunk> out;
    bool outBlocked = false;
    bool streaming = false;
    Clock::time_point nextSlice;
    std::size_t streamPosition = 0;

    void Run();
    std::optional<Clock::time_point> NextDeadline() const;
    void ReadMaster();
    void Feed(const std::uint8_t* bytes, std::size_t count, Clock::time_point now);
    void HandleFrame(const Bytes& frame, Clock::time_point now);
    void OnWakeUp(Clock::time_point now);
    void Queue(Bytes bytes, Clock::time_point due);
    void StreamSlice(Clock::time_point now);
    void SendDue(Clock::time_point now);
    void Log(FrameRecord::Kind kind, Clock::time_point time, Bytes bytes, bool checksumOk = true);
    bool LinkCom(std::string& error);
    void UnlinkCom();
};

// ---- thread -----------------------------------------------------------------

void ObdSimulator::Impl::Run()
{
    for (;;) {
        {
            std::lock_guard lock(mutex);
            if (quit)
                return;
        }
        const Clock::time_point now = Clock::now();
        if (!partial.empty() && now - lastInput >= options.frameGap) {
            Log(FrameRecord::Kind::Noise, now, partial);
            partial.clear();
        }
        StreamSlice(now);
        SendDue(now);

        pollfd fds[2] = {{wake.Fd(), POLLIN, 0}, {pty.Master(), POLLIN, 0}};
        if (outBlocked)
            fds[1].events |= POLLOUT;
        int timeout = -1;
        if (const auto deadline = NextDeadline()) {
            const auto wait = std::chrono::ceil<milliseconds>(*deadline - Clock::now()).count();
            timeout = static_cast<int>(std::clamp<long long>(wait, 0, 60000));
        }
        if (poll(fds, 2, timeout) < 0 && errno != EINTR)
            return;
        if (fds[0].revents & POLLIN)
            wake.Drain();
        if (fds[1].revents & POLLOUT)
            outBlocked = false;
        if (fds[1].revents & POLLIN)
            ReadMaster();
    }
}

std::optional<Clock::time_point> ObdSimulator::Impl::NextDeadline() const
{
    std::optional<Clock::time_point> next;
    auto consider = [&](Clock::time_point t) {
        if (!next || t < *next)
            next = t;
    };
    if (!out.empty() && !outBlocked)
        consider(out.front().due);
    if (!partial.empty())
        consider(lastInput + options.frameGap);
    if (streaming && out.empty())
        consider(nextSlice);
    return next;
}

// ---- receiving --------------------------------------------------------------

void ObdSimulator::Impl::ReadMaster()
{
    // Packet mode: every read begins with a status byte, 0 before data.
    std::uint8_t buffer[4097];
    const ssize_t got = read(pty.Master(), buffer, sizeof buffer);
    if (got <= 0)
        return;
    const Clock::time_point now = Clock::now();
    if (buffer[0] == TIOCPKT_DATA)
        Feed(buffer + 1, static_cast<std::size_t>(got - 1), now);
    else if (buffer[0] & TIOCPKT_FLUSHREAD)
        OnWakeUp(now);
}

void ObdSimulator::Impl::Feed(const std::uint8_t* bytes, std::size_t count, Clock::time_point now)
{
    lastInput = now;
    Bytes loose;
    auto flushLoose = [&] {
        if (!loose.empty())
            Log(FrameRecord::Kind::Noise, now, std::move(loose));
        loose.clear();
    };
    for (std::size_t i = 0; i < count; ++i) {
        const std::uint8_t b = bytes[i];
        if (b == kStx) {
            flushLoose();
            loose = std::move(partial);  // a frame broken off by a new one
            flushLoose();
            partial = {kStx};
        } else if (!partial.empty()) {
            partial.push_back(b);
            if (b == kEtx) {
                HandleFrame(partial, now);
                partial.clear();
            } else if (partial.size() > kMaxFrame) {
                loose = std::move(partial);
                partial.clear();
                flushLoose();
            }
        } else if (b == kAcknowledge) {
            flushLoose();
            Log(FrameRecord::Kind::Acknowledge, now, {b});
        } else {
            loose.push_back(b);
        }
    }
    flushLoose();
}

void ObdSimulator::Impl::HandleFrame(const Bytes& bytes, Clock::time_point now)
{
    Frame request;
    const std::string inside(bytes.begin() + 1, bytes.end() - 1);
    const bool verified = DecodeFrame(inside, request) == Decoded::Ok;
    Log(FrameRecord::Kind::Request, now, bytes, verified);
    streaming = false;  // the adapter turns to the new request
    if (!verified)
        return;  // the adapter ignores what it cannot verify
    std::vector<Fault> active;
    Reply reply;
    {
        std::lock_guard lock(mutex);
        active = faults.Take(request.type, request.data);
        if (!Has(active, FaultKind::NoReply))
            reply = responder.Answer(request);
    }
    if (Has(active, FaultKind::NoReply))
        return;
    const Clock::time_point due = now + reply.delay + ExtraDelay(active);
    bool endless = false;
    Bytes sent = FaultedReply(reply, active, endless);
    Queue(sent, due);
    Log(FrameRecord::Kind::Reply, due, std::move(sent));
    if (endless) {
        streaming = true;
        nextSlice = due;
    }
}

void ObdSimulator::Impl::OnWakeUp(Clock::time_point now)
{
    Log(FrameRecord::Kind::WakeUp, now, {});
    if (!partial.empty())
        Log(FrameRecord::Kind::Noise, now, std::move(partial));
    partial.clear();
    // The pulse resets the adapter: whatever it was still sending is gone.
    out.clear();
    outBlocked = false;
    streaming = false;
    Bytes answer;
    {
        std::lock_guard lock(mutex);
        answer = options.wakeAnswer;
    }
    if (answer.empty())
        return;
    Queue(answer, now);
    Log(FrameRecord::Kind::Announce, now, std::move(answer));
}

// ---- sending ----------------------------------------------------------------

void ObdSimulator::Impl::Queue(Bytes bytes, Clock::time_point due)
{
    if (!out.empty())
        due = std::max(due, out.back().due);  // in order
    out.push_back({due, std::move(bytes), 0});
}

void ObdSimulator::Impl::StreamSlice(Clock::time_point now)
{
    if (!streaming || !out.empty() || now < nextSlice)
        return;
    long rate = 0;
    {
        std::lock_guard lock(mutex);
        rate = options.streamRate;
    }
    const std::size_t count = static_cast<std::size_t>(std::max(1L, rate * kStreamSlice.count() / 1000));
    Bytes slice(count);
    for (std::uint8_t& b : slice)
        b = static_cast<std::uint8_t>(kStreamText[streamPosition++ % kStreamText.size()]);
    out.push_back({now, std::move(slice), 0});
    nextSlice = now + kStreamSlice;
}

void ObdSimulator::Impl::SendDue(Clock::time_point now)
{
    while (!outBlocked && !out.empty() && out.front().due <= now) {
        OutChunk& chunk = out.front();
        const ssize_t written = write(pty.Master(), chunk.bytes.data() + chunk.sent, chunk.bytes.size() - chunk.sent);
        if (written < 0) {
            if (errno == EAGAIN || errno == EWOULDBLOCK)
                outBlocked = true;
            else
                out.clear();  // the terminal is gone: nothing will leave
            return;
        }
        chunk.sent += static_cast<std::size_t>(written);
        if (chunk.sent < chunk.bytes.size())
            outBlocked = true;
        else
            out.pop_front();
    }
}

// ---- log and link -----------------------------------------------------------

void ObdSimulator::Impl::Log(FrameRecord::Kind kind, Clock::time_point time, Bytes bytes, bool checksumOk)
{
    {
        std::lock_guard lock(mutex);
        log.push_back({kind, time, std::move(bytes), checksumOk});
    }
    logged.notify_all();
}

bool ObdSimulator::Impl::LinkCom(std::string& error)
{
    std::string link;
    std::string target;
    {
        std::lock_guard lock(mutex);
        link = comLink;
        target = slavePath;
    }
    return ptysupport::PublishLink(link, target, error);
}

void ObdSimulator::Impl::UnlinkCom()
{
    std::string link;
    std::string target;
    {
        std::lock_guard lock(mutex);
        link = std::exchange(comLink, std::string());
        target = slavePath;
    }
    ptysupport::RemoveLinkTo(link, target);
}

// ---- public face ------------------------------------------------------------

ObdSimulator::ObdSimulator(SimulatorOptions options)
    : m_impl(std::make_unique<Impl>(std::move(options)))
{
}

ObdSimulator::~ObdSimulator()
{
    Stop();
}

bool ObdSimulator::Start(std::string& error)
{
    Impl& d = *m_impl;
    if (d.thread.joinable()) {
        error = "the simulator is already running";
        return false;
    }
    if (!d.pty.Open(9600, error))
        return false;
    int one = 1;
    if (!d.wake.Open() || ioctl(d.pty.Master(), TIOCPKT, &one) != 0) {
        error = std::string("cannot watch the pseudo-terminal: ") + std::strerror(errno);
        Stop();
        return false;
    }
    {
        std::lock_guard lock(d.mutex);
        d.slavePath = d.pty.SlavePath();
        d.quit = false;
    }
    d.thread = std::thread([&d] { d.Run(); });
    return true;
}

void ObdSimulator::Stop()
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
    d.UnlinkCom();
    d.pty.Close();
    d.wake.Close();
    std::lock_guard lock(d.mutex);
    d.slavePath.clear();
}

std::string ObdSimulator::SlavePath() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->slavePath;
}

bool ObdSimulator::PublishCom(const std::string& folder, int number, std::string& error)
{
    Impl& d = *m_impl;
    std::string link;
    if (!ptysupport::ComLinkPath(folder, number, link, error))
        return false;
    if (SlavePath().empty()) {
        error = "the simulator is not running";
        return false;
    }
    d.UnlinkCom();
    {
        std::lock_guard lock(d.mutex);
        d.comLink = link;
    }
    if (d.LinkCom(error))
        return true;
    std::lock_guard lock(d.mutex);
    d.comLink.clear();
    return false;
}

Scenario ObdSimulator::GetScenario() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->responder.GetScenario();
}

void ObdSimulator::SetScenario(Scenario scenario)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->responder.SetScenario(std::move(scenario));
}

void ObdSimulator::SetWakeAnswer(Bytes bytes)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->options.wakeAnswer = std::move(bytes);
}

void ObdSimulator::InjectFault(std::string selector, Fault fault, Repeat repeat)
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.Arm(std::move(selector), fault, repeat);
}

void ObdSimulator::ClearFaults()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->faults.Clear();
}

std::vector<FrameRecord> ObdSimulator::FrameLog() const
{
    std::lock_guard lock(m_impl->mutex);
    return m_impl->log;
}

void ObdSimulator::ClearFrameLog()
{
    std::lock_guard lock(m_impl->mutex);
    m_impl->log.clear();
}

std::size_t ObdSimulator::CountRequests(std::string_view mnemonic) const
{
    std::lock_guard lock(m_impl->mutex);
    return static_cast<std::size_t>(std::count_if(m_impl->log.begin(), m_impl->log.end(), [&](const FrameRecord& r) {
        Frame frame;
        return r.kind == FrameRecord::Kind::Request && r.checksumOk &&
               DecodeFrame(std::string(r.bytes.begin() + 1, r.bytes.end() - 1), frame) == Decoded::Ok &&
               frame.type == mnemonic;
    }));
}

std::size_t ObdSimulator::CountRecords(FrameRecord::Kind kind) const
{
    std::lock_guard lock(m_impl->mutex);
    return static_cast<std::size_t>(
        std::count_if(m_impl->log.begin(), m_impl->log.end(), [kind](const FrameRecord& r) { return r.kind == kind; }));
}

bool ObdSimulator::WaitForRecords(FrameRecord::Kind kind, std::size_t count, std::chrono::milliseconds timeout) const
{
    std::unique_lock lock(m_impl->mutex);
    return m_impl->logged.wait_for(lock, timeout, [&] {
        return static_cast<std::size_t>(std::count_if(m_impl->log.begin(), m_impl->log.end(), [kind](const FrameRecord& r) {
                   return r.kind == kind;
               })) >= count;
    });
}

}  // namespace vexar::obdsim
