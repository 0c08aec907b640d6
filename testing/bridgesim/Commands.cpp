#include "testing/bridgesim/Commands.h"

#include <cstdio>
#include <sstream>

namespace vexar::bridgesim {

namespace {

bool ReadHex(std::istringstream& in, Bytes& bytes)
{
    std::string word;
    while (in >> word) {
        if (word.size() != 2 || word.find_first_not_of("0123456789abcdefABCDEF") != std::string::npos)
            return false;
        bytes.push_back(static_cast<std::uint8_t>(std::stoul(word, nullptr, 16)));
    }
    return !bytes.empty();
}

const char* KindName(LogRecord::Kind kind)
{
    switch (kind) {
    case LogRecord::Kind::Received: return "received";
    case LogRecord::Kind::Sent: return "sent";
    case LogRecord::Kind::Refused: return "refused";
    case LogRecord::Kind::Dropped: return "dropped";
    case LogRecord::Kind::Closed: return "closed";
    }
    return "?";
}

}  // namespace

bool ApplyCommand(BridgeServer& server, const std::string& line, std::string& reply)
{
    std::istringstream in(line);
    std::string command;
    in >> command;
    reply.clear();
    long a = 0;
    long b = 0;
    if (command == "withhold-greeting" && in >> a) {
        server.WithholdGreetingAck(static_cast<int>(a));
    } else if (command == "withhold-id" && in >> a) {
        server.WithholdIdAck(static_cast<int>(a));
    } else if (command == "withhold-marker" && in >> a) {
        server.WithholdStartMarker(a != 0);
    } else if (command == "split-acks") {
        std::string spec;
        in >> spec;
        std::vector<Piece> pieces;
        if (spec != "off") {
            std::istringstream list(spec);
            std::string item;
            while (std::getline(list, item, ',')) {
                unsigned size = 0;
                long ms = 0;
                if (std::sscanf(item.c_str(), "%u:%ld", &size, &ms) != 2 || size == 0 || ms < 0) {
                    reply = "bad piece: " + item;
                    return false;
                }
                pieces.push_back({size, std::chrono::milliseconds(ms)});
            }
            if (pieces.empty()) {
                reply = "no pieces";
                return false;
            }
        }
        server.SplitBridgeMessages(std::move(pieces));
    } else if ((command == "split-master" || command == "split-slave") && in >> a >> b && a > 0 && b >= 0) {
        if (command == "split-master")
            server.SplitNextFromMaster(static_cast<std::size_t>(a), std::chrono::milliseconds(b));
        else
            server.SplitNextFromSlave(static_cast<std::size_t>(a), std::chrono::milliseconds(b));
    } else if (command == "join-master") {
        server.JoinNextFromMaster();
    } else if (command == "drop-slave-after" && in >> a) {
        server.DropSlaveAfter(static_cast<int>(a));
    } else if (command == "inject") {
        std::string role;
        in >> role;
        Bytes bytes;
        if ((role != "master" && role != "slave") || !ReadHex(in, bytes)) {
            reply = "usage: inject master|slave HH HH ...";
            return false;
        }
        server.Inject(role == "master" ? Peer::Master : Peer::Slave, std::move(bytes));
    } else if (command == "die") {
        server.Die();
    } else if (command == "log") {
        reply = FormatLog(server.Log(), Clock::time_point{});
    } else {
        reply = "unknown or malformed command: " + line;
        return false;
    }
    return true;
}

std::string FormatLog(const std::vector<LogRecord>& log, Clock::time_point start)
{
    std::string text;
    if (start == Clock::time_point{} && !log.empty())
        start = log.front().time;
    for (const LogRecord& r : log) {
        char head[96];
        std::snprintf(head, sizeof head, "+%lld %d %s %s:",
                      static_cast<long long>(std::chrono::duration_cast<std::chrono::milliseconds>(r.time - start).count()),
                      r.connection, PeerName(r.peer).c_str(), KindName(r.kind));
        text += head;
        for (const std::uint8_t byte : r.bytes) {
            char hex[4];
            std::snprintf(hex, sizeof hex, " %02X", byte);
            text += hex;
        }
        text += '\n';
    }
    return text;
}

}  // namespace vexar::bridgesim
