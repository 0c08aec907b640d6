// vexar-engine-script OUTPUT: writes the demonstration engine's variable
// script (ecusim --var-script), whole or not at all.
#include "testing/ecusim/EngineScript.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: vexar-engine-script OUTPUT\n");
        return 64;
    }
    const std::string output = argv[1];
    const std::string temporary = output + ".part";
    const std::string text = vexar::ecusim::MakeEngineScript();
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::fprintf(stderr, "vexar-engine-script: cannot write %s\n", temporary.c_str());
            std::filesystem::remove(temporary);
            return 1;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, output, error);
    if (error) {
        std::fprintf(stderr, "vexar-engine-script: cannot write %s: %s\n", output.c_str(), error.message().c_str());
        std::filesystem::remove(temporary, error);
        return 1;
    }
    return 0;
}
