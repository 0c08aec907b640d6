// vexar-crypt: turns a UTF-8 text file into an enciphered text file of the
// system and back.
//
//   vexar-crypt encode IN OUT
//   vexar-crypt decode IN OUT
#include "CryptFixtures.h"

#include <cstdio>
#include <cstring>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 4 || (std::strcmp(argv[1], "encode") != 0 && std::strcmp(argv[1], "decode") != 0)) {
        std::fprintf(stderr, "usage: vexar-crypt encode|decode IN OUT\n");
        return 2;
    }
    std::string error;
    const bool ok = std::strcmp(argv[1], "encode") == 0 ? vexar::crypt::EncodeTextFile(argv[2], argv[3], error)
                                                         : vexar::crypt::DecodeTextFile(argv[2], argv[3], error);
    if (!ok) {
        std::fprintf(stderr, "vexar-crypt: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
