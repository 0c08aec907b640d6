// vexar-pty-hold: a pseudo-terminal behind COM<n> of a COM folder, with
// nothing on the line: it takes whatever is sent and answers nothing. The
// demonstration gives the test result's DTR pulse such a port (COM1), so
// the pulse has a terminal to raise and lower its line on while no device
// answers there. It runs until SIGINT or SIGTERM.
//
//   vexar-pty-hold --com-dir DIR --com N
#include "testing/ptysupport/ComLink.h"
#include "testing/ptysupport/PtyPair.h"
#include "testing/ptysupport/StopSignals.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

using namespace vexar::ptysupport;

int main(int argc, char** argv)
{
    std::string folder;
    int number = 0;
    for (int i = 1; i + 1 < argc; i += 2) {
        if (std::strcmp(argv[i], "--com-dir") == 0)
            folder = argv[i + 1];
        else if (std::strcmp(argv[i], "--com") == 0)
            number = std::atoi(argv[i + 1]);
    }
    if (folder.empty() || number == 0 || argc != 5) {
        std::fprintf(stderr, "usage: vexar-pty-hold --com-dir DIR --com N\n");
        return 2;
    }
    StopSignals stop;
    PtyPair pty;
    std::string link;
    std::string error;
    if (!pty.Open(9600, error) || !ComLinkPath(folder, number, link, error) ||
        !PublishLink(link, pty.SlavePath(), error)) {
        std::fprintf(stderr, "vexar-pty-hold: %s\n", error.c_str());
        return 1;
    }
    std::printf("COM%d -> %s\n", number, pty.SlavePath().c_str());
    std::fflush(stdout);
    char discard[256];
    while (!stop.Wait(std::chrono::milliseconds(100)))
        while (::read(pty.Master(), discard, sizeof discard) > 0) {
        }
    RemoveLinkTo(link, pty.SlavePath());
    return 0;
}
