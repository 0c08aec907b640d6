#include "LoaderImage.h"

#include "RecordReaders.h"

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

namespace vexar::tools {

Kd02ProgramRange Kd02ProgrammedRange(const LOADER_IMAGE& image)
{
    Kd02ProgramRange range;
    range.last = image.stop < range.first ? range.first : image.stop;
    return range;
}

std::uint16_t Kd02ProgramChecksum(const LOADER_IMAGE& image)
{
    const Kd02ProgramRange range = Kd02ProgrammedRange(image);
    return SumImageWords(image.buffer, range.first, range.Length());
}

}  // namespace vexar::tools
