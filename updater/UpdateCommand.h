#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vexar::updater {

// What Update is asked to do: copy `source` over `destination`, then start
// `destination`.
struct UpdateCommand {
    std::string source;
    std::string destination;
};

// Reads Update's one argument: the new program file, a comma, one blank,
// then the program file to replace up to the end of the text. The first
// comma splits; either path may contain blanks and the destination may
// contain commas. An argument without a comma, without the blank after it,
// or with an empty path on either side is refused (nullopt): guessing a
// path would copy over the wrong file.
std::optional<UpdateCommand> ParseUpdateCommand(std::string_view argument);

}  // namespace vexar::updater
