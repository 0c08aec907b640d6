// vexar-langfile: writes a UTF-8 text file as the UTF-16 little-endian text
// with byte-order mark that the program reads its language files and
// language list in. The build makes the shipped "Lang" files with it.
//
//   vexar-langfile IN OUT
#include "common/Text.h"
#include "platform/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: vexar-langfile IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in.good() && !in.eof()) {
        std::fprintf(stderr, "vexar-langfile: cannot read %s\n", argv[1]);
        return 1;
    }
    if (text.starts_with("\xEF\xBB\xBF"))
        text.erase(0, 3);
    std::u16string units;
    if (!vexar::Utf8ToUtf16(text, units)) {
        std::fprintf(stderr, "vexar-langfile: %s is not UTF-8 text\n", argv[1]);
        return 1;
    }
    std::string bytes = "\xFF\xFE";
    for (char16_t unit : units) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    if (!vexar::platform::WriteFileAtomically(argv[2], bytes)) {
        std::fprintf(stderr, "vexar-langfile: cannot write %s: %s\n", argv[2], std::strerror(errno));
        return 1;
    }
    return 0;
}
