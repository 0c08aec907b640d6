#pragma once

// What every firmware image loader must answer, whatever the file: loaded
// or refused, the image saying the same, a loaded image inside its buffer
// and without a message, a refused one with at most a few messages (one per
// record read at the most). And the S-record seed image of the KD01 and
// handheld targets.

#include "FuzzTarget.h"
#include "ReferenceImages.h"
#include "tools/common/ImageLoaders.h"

#include <functional>
#include <string>

namespace vexar::fuzz {

// `image` is the tool's own, kept from load to load as the tools keep
// theirs (a load starts by filling it anew).
inline void CheckImageLoad(const std::function<bool(vexar::tools::LOADER_IMAGE&, vexar::tools::CLoaderReporter&)>& load,
                           vexar::tools::LOADER_IMAGE& image, std::size_t fileSize)
{
    vexar::testing::RecordingReporter reporter;
    const bool loaded = load(image, reporter);
    FUZZ_CHECK(image.loaded == loaded);
    FUZZ_CHECK(reporter.messages.size() <= fileSize + 2);
    if (!loaded)
        return;
    FUZZ_CHECK(reporter.messages.empty());
    FUZZ_CHECK(image.start <= image.stop);
    FUZZ_CHECK(image.stop < image.buffer.size());
}

// An image of the shape the tools program: a header, data at the start of
// their ranges in S1, S2 and S3 records, the reset vector, the end record.
inline std::string SRecordImage(std::uint32_t base)
{
    using vexar::testing::SRecordLine;
    const std::string code = vexar::testing::RandomBytes(0x80, 7);
    std::string text = SRecordLine(0, 0, "fw.s19") + "\r\n";
    for (std::uint32_t at = 0; at < code.size(); at += 0x20)
        text += SRecordLine(1, base + at, code.substr(at, 0x20)) + "\r\n";
    text += SRecordLine(2, base + 0x1000, code.substr(0, 0x10)) + "\n";
    text += SRecordLine(3, base + 0x2000, code.substr(0, 0x10)) + "\n";
    text += SRecordLine(1, 0xFFFE, std::string("\x90\x00", 2)) + "\r\n";
    return text + SRecordLine(9, base, "") + "\r\n";
}

}  // namespace vexar::fuzz
