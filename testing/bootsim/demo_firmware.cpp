// vexar-demo-firmware: writes the demonstration's KD02 firmware as Intel
// HEX.
//
//   vexar-demo-firmware FILE
//
// Exit status: 0 written, 1 failed, 2 bad usage.
#include "testing/bootsim/DemoFirmware.h"

#include <cstdio>
#include <fstream>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexar-demo-firmware FILE\n");
        return 2;
    }
    using namespace vexar::bootsim;
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out << IntelHex(kDemoFirmwareAddress, DemoFirmwareImage());
    out.close();
    if (!out) {
        std::fprintf(stderr, "vexar-demo-firmware: cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
