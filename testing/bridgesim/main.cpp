// bridgesim: a bridge server of remote assistance on loopback, for tests
// and for trying the two windows by hand. Prints "port N" once listening
// (give --port 0, the default, for a free port), then reads commands from
// its standard input (see Commands.h) until "quit" or the end of input, and
// prints the frame log at the end with --log.

#include "testing/bridgesim/Commands.h"

#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

int main(int argc, char** argv)
{
    using namespace vexar::bridgesim;
    unsigned long port = 0;
    bool printLog = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--port" && i + 1 < argc) {
            char* end = nullptr;
            port = std::strtoul(argv[++i], &end, 10);
            if (!end || *end || port > 65535) {
                std::fprintf(stderr, "bridgesim: bad port %s\n", argv[i]);
                return 2;
            }
        } else if (arg == "--log") {
            printLog = true;
        } else {
            std::fprintf(stderr, "usage: bridgesim [--port N] [--log]\n");
            return 2;
        }
    }
    BridgeServer server;
    std::string error;
    if (!server.Start(static_cast<std::uint16_t>(port), error)) {
        std::fprintf(stderr, "bridgesim: %s\n", error.c_str());
        return 1;
    }
    std::printf("port %u\n", static_cast<unsigned>(server.Port()));
    std::fflush(stdout);
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        if (line.empty())
            continue;
        std::string reply;
        const bool ok = ApplyCommand(server, line, reply);
        std::fputs(reply.c_str(), ok ? stdout : stderr);
        if (!reply.empty() && reply.back() != '\n')
            std::fputc('\n', ok ? stdout : stderr);
        std::fflush(stdout);
    }
    server.Stop();
    if (printLog)
        std::fputs(FormatLog(server.Log(), {}).c_str(), stdout);
    return 0;
}
