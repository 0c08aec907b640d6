#include "LoaderImage.h"

namespace vexar::tools {

void LOADER_IMAGE::Reset(std::size_t bufferSize, std::uint32_t startInitial)
{
    buffer.assign(bufferSize, 0xFF);
    start = startInitial;
    stop = 0;
    resetVector = 0;
    checksum = 0;
    size = 0;
    loaded = false;
}

}  // namespace vexar::tools
