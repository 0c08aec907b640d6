#include "testing/ptysupport/SimulatorProgram.h"

#include <cstdio>
#include <fstream>
#include <sstream>

namespace vexar::ptysupport {

int UsageExit(const char* program, const char* usage, const std::string& error)
{
    if (!error.empty())
        std::fprintf(stderr, "%s: %s\n", program, error.c_str());
    std::fputs(usage, error.empty() ? stdout : stderr);
    return error.empty() ? 0 : 2;
}

bool ReadTextFile(const std::string& path, std::string& text, std::string& error)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream contents;
    contents << file.rdbuf();
    if (!file) {
        error = "cannot read " + path;
        return false;
    }
    text = contents.str();
    return true;
}

}  // namespace vexar::ptysupport
