#pragma once

// A bridge server of remote assistance for tests: it pairs a master and a
// slave workstation by their client id and relays their bytes, on real
// loopback TCP. Written from the bridge's wire format alone; it shares no
// code with the product's link layer. Every byte it receives or sends is
// logged with its time, and faults can be injected: acknowledgements or
// the start marker withheld or split, relayed chunks split or joined, the
// slave dropped after a number of frames, bytes injected, the whole server
// dying.

#include <array>
#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace vexar::bridgesim {

using Bytes = std::vector<std::uint8_t>;
using Clock = std::chrono::steady_clock;

// The wire elements (hexadecimal, as the bridge sees them).
inline constexpr std::array<std::uint8_t, 9> kMasterGreeting{0x4A, 0x4E, 0x28, 0x14, 0x3C, 0x28, 0x5A, 0x4A, 0x4E};
inline constexpr std::array<std::uint8_t, 8> kGreetingAck{0x46, 0x19, 0x8C, 0xEB, 0x46, 0x19, 0x8C, 0xEB};
inline constexpr std::array<std::uint8_t, 8> kIdAck{0x41, 0x0F, 0x7B, 0xCB, 0x41, 0x0F, 0x7B, 0xCB};
inline constexpr std::array<std::uint8_t, 8> kStartMarker{0x4B, 0x1E, 0x5A, 0xC3, 0x4B, 0x1E, 0x5A, 0xC3};
inline constexpr std::array<std::uint8_t, 8> kSlaveLeft{0x52, 0x57, 0x2A, 0xD3, 0x52, 0x57, 0x2A, 0xD3};
inline constexpr std::uint8_t kSlaveGreetingHead = 0x50;
inline constexpr std::size_t kIdFrameSize = 10;
inline constexpr std::size_t kSlaveGreetingSize = 5;

enum class Peer { Unknown, Master, Slave };

struct LogRecord {
    enum class Kind {
        Received,  // bytes that arrived from the peer, one chunk per read
        Sent,      // bytes sent to the peer
        Refused,   // a client-id frame whose sum or trailer is wrong
        Dropped,   // the bridge closed this peer's connection
        Closed,    // the peer closed its connection
    };
    Kind kind = Kind::Received;
    Clock::time_point time;
    int connection = 0;  // numbered from 1 in order of acceptance
    Peer peer = Peer::Unknown;
    Bytes bytes;
};

// One piece of a bridge message sent in pieces: its size and the pause
// before it is sent.
struct Piece {
    std::size_t size = 0;
    std::chrono::milliseconds delay{0};
};

class BridgeServer {
public:
    BridgeServer();
    ~BridgeServer();
    BridgeServer(const BridgeServer&) = delete;
    BridgeServer& operator=(const BridgeServer&) = delete;

    // Listens on 127.0.0.1 at `port` (0: a free port) and serves on a
    // thread of its own until Stop.
    bool Start(std::uint16_t port, std::string& error);
    void Stop();
    std::uint16_t Port() const;

    std::vector<LogRecord> Log() const;
    // Everything sent to (or received from) peers of one role, in order.
    Bytes SentTo(Peer peer) const;
    Bytes ReceivedFrom(Peer peer) const;
    // Waits until `count` bytes in all have been sent to `peer`, at most `limit`.
    bool WaitSentTo(Peer peer, std::size_t count, std::chrono::milliseconds limit) const;
    int Connections() const;

    // Faults. A count of -1 means every time from now on.
    void WithholdGreetingAck(int count);
    void WithholdIdAck(int count);
    void WithholdStartMarker(bool withhold);
    // The acknowledgements and the start marker go out in these pieces
    // (sizes summing to 8), until cleared with an empty list.
    void SplitBridgeMessages(std::vector<Piece> pieces);
    // The next chunk from the master (or the slave) is relayed in two
    // pieces, the second `delay` after the first.
    void SplitNextFromMaster(std::size_t at, std::chrono::milliseconds delay);
    void SplitNextFromSlave(std::size_t at, std::chrono::milliseconds delay);
    // The next chunk from the master is held back and relayed together
    // with the one after it.
    void JoinNextFromMaster();
    // After `frames` more chunks relayed from master to slave, the next one
    // is swallowed and the slave's connection dropped.
    void DropSlaveAfter(int frames);
    // Sends bytes of the bridge's own to the (latest) peer of that role.
    void Inject(Peer peer, Bytes bytes);
    // Closes every connection and the listener at once: the bridge is gone.
    void Die();

private:
    struct Conn;
    struct Timed;
    void Run();
    void Wake();
    void Accept();
    void ReadFrom(Conn& c);
    void Handshake(Conn& c);
    void Relay(Conn& from, Bytes chunk);
    void TryPair();
    void SendBridge(Conn& c, const std::uint8_t* data, std::size_t size);
    void SendNow(int connection, const Bytes& bytes);
    void Schedule(int connection, Bytes bytes, Clock::time_point due);
    void DropConn(Conn& c, bool byBridge);
    Conn* Find(int connection);
    Conn* Latest(Peer peer);
    Conn* PartnerOf(const Conn& c);
    void LogLocked(LogRecord::Kind kind, const Conn& c, Bytes bytes);

    mutable std::mutex m_mutex;
    std::thread m_thread;
    int m_listen = -1;
    int m_wake[2] = {-1, -1};
    bool m_stop = false;
    bool m_die = false;
    std::uint16_t m_port = 0;
    int m_nextConn = 1;
    std::vector<std::unique_ptr<Conn>> m_conns;
    std::vector<Timed> m_timed;
    std::vector<LogRecord> m_log;
    std::vector<std::pair<Peer, Bytes>> m_injects;

    int m_withholdGreeting = 0;
    int m_withholdId = 0;
    bool m_withholdMarker = false;
    std::vector<Piece> m_pieces;
    std::size_t m_splitMasterAt = 0;
    std::chrono::milliseconds m_splitMasterDelay{0};
    std::size_t m_splitSlaveAt = 0;
    std::chrono::milliseconds m_splitSlaveDelay{0};
    bool m_joinMaster = false;
    Bytes m_held;
    int m_dropSlaveAfter = -1;
};

std::string PeerName(Peer peer);

}  // namespace vexar::bridgesim
