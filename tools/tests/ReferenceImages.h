#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "tools/common/LoaderTexts.h"

namespace vexar::testing {

// Deterministic pseudo-random bytes.
std::string RandomBytes(std::size_t size, std::uint32_t seed);

// Runs a shell command line; false when it does not exit with 0.
bool RunCommand(const std::string& commandLine);

// Record lines built here, independently of the readers, with their
// checksums (S-record: ones' complement of the byte sum; Intel HEX: two's
// complement).
std::string SRecordLine(int type, std::uint32_t address, const std::string& data);
std::string HexLine(int type, std::uint32_t address, const std::string& data);

// A message box stand-in that keeps every text, as UTF-8.
class RecordingReporter : public vexar::tools::CLoaderReporter {
public:
    void ShowMessage(const std::u16string& text) override;
    std::vector<std::string> messages;
};

}  // namespace vexar::testing
