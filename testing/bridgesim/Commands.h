#pragma once

// The command language of the bridge server's program: one fault or query
// a line, so a test (or a developer at a terminal) can steer a running
// server through its standard input.

#include "testing/bridgesim/BridgeServer.h"

#include <string>

namespace vexar::bridgesim {

// Applies one line; false with `reply` telling why for an unknown or
// malformed command. "log" puts the frame log in `reply`.
//   withhold-greeting N | withhold-id N | withhold-marker 0|1
//   split-acks SIZE:MS[,SIZE:MS...] | split-acks off
//   split-master AT MS | split-slave AT MS | join-master
//   drop-slave-after N | inject master|slave HEX... | die | log
bool ApplyCommand(BridgeServer& server, const std::string& line, std::string& reply);

// One log record a line: "+ms conn peer kind: HH HH ...".
std::string FormatLog(const std::vector<LogRecord>& log, Clock::time_point start);

}  // namespace vexar::bridgesim
