#pragma once

// The reply side of the ECU protocols fed from one fuzz input. The input
// begins with a set-up byte (bit 0: a K-line interface echoes every byte
// sent; bit 1: the frames go through the remote-assistance bridge instead
// of the port; bits 2 and 3 both set: a trace window is open, which makes
// every transaction several times slower), then the commands with
// their arguments, and wherever the protocol reads, a count byte and up to
// that many bytes: fewer than it waits for is a read that timed out.

#include "FuzzInput.h"
#include "FuzzTarget.h"
#include "link/LineSource.h"
#include "link/ProtocolHost.h"

#include <algorithm>
#include <cstring>

namespace vexar::fuzz {

class EcuReplyFeed : public vexar::link::ProtocolHost {
public:
    EcuReplyFeed(FuzzInput& in, std::uint8_t setup)
        : m_port(in), m_bridge(in), m_kLine(setup & 1), m_overBridge(setup & 2), m_tracing((setup & 0x0C) == 0x0C)
    {
    }

    // The port stand-in, for the protocol's SetLineSource.
    vexar::link::LineSource* Port() { return &m_port; }

    bool KLine() const override { return m_kLine; }
    bool Tracing() const override { return m_tracing; }
    void PostTraceLine(std::u16string line) override { FUZZ_CHECK(line.size() <= 999); }
    vexar::link::RemoteLine* Remote() override { return m_overBridge ? &m_bridge : nullptr; }

    // The protocols' result codes.
    static bool IsResult(int result) { return result <= 0 && result >= -11; }

    // The slave side of remote assistance: a frame from the input relayed
    // as the remote master built it, its reply read into `reply`.
    template <class Protocol>
    static int RelayFrame(Protocol& protocol, FuzzInput& in, std::span<std::uint8_t> reply)
    {
        const auto frame = in.Bytes(in.Byte());
        int expected = -1;
        const int result = protocol.TransactRaw(frame, reply, expected);
        FUZZ_CHECK(expected >= 0);
        return result;
    }

private:
    // Up to `limit` bytes into `into`, as many as the next count byte says.
    static int Feed(FuzzInput& in, std::span<std::uint8_t> into)
    {
        const std::size_t count = std::min<std::size_t>(in.Byte(), into.size());
        const auto bytes = in.Bytes(count);
        std::memcpy(into.data(), bytes.data(), bytes.size());
        return static_cast<int>(bytes.size());
    }

    class FeedPort : public vexar::link::LineSource {
    public:
        explicit FeedPort(FuzzInput& in) : m_in(in) {}
        void Send(std::span<const std::uint8_t> request) override { FUZZ_CHECK(request.size() <= 512); }
        int Receive(std::span<std::uint8_t> into) override { return Feed(m_in, into); }

    private:
        FuzzInput& m_in;
    };

    class FeedBridge : public vexar::link::RemoteLine {
    public:
        explicit FeedBridge(FuzzInput& in) : m_in(in) {}
        void DropPending() override {}
        int Send(std::span<const std::uint8_t> bytes) override { return static_cast<int>(bytes.size()); }
        // The bridge hands over whatever one receive brought, more or less
        // than expected.
        int Receive(std::span<std::uint8_t> buffer, std::size_t) override { return Feed(m_in, buffer); }

    private:
        FuzzInput& m_in;
    };

    FeedPort m_port;
    FeedBridge m_bridge;
    bool m_kLine;
    bool m_overBridge;
    bool m_tracing;
};

}  // namespace vexar::fuzz
