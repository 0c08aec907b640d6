#include "UpdateCommand.h"

namespace vexar::updater {

std::optional<UpdateCommand> ParseUpdateCommand(std::string_view argument)
{
    const std::size_t comma = argument.find(',');
    if (comma == std::string_view::npos)
        return std::nullopt;
    const std::string_view source = argument.substr(0, comma);
    const std::string_view rest = argument.substr(comma + 1);
    if (source.empty() || rest.size() < 2 || rest.front() != ' ')
        return std::nullopt;
    return UpdateCommand{std::string(source), std::string(rest.substr(1))};
}

}  // namespace vexar::updater
