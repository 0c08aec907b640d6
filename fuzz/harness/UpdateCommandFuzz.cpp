// Update's one argument: refused, or split into two non-empty paths that
// together with the separator make up the whole argument.

#include "FuzzInput.h"
#include "FuzzSeeds.h"
#include "FuzzTarget.h"
#include "updater/UpdateCommand.h"

using namespace vexar::fuzz;

VEXAR_FUZZ_TARGET(UpdateCommand)
{
    const std::string argument = Chars(std::span(data, size));
    const auto command = vexar::updater::ParseUpdateCommand(argument);
    if (!command)
        return 0;
    FUZZ_CHECK(!command->source.empty() && !command->destination.empty());
    FUZZ_CHECK(command->source.size() + command->destination.size() + 2 == argument.size());
    FUZZ_CHECK(argument.starts_with(command->source) && argument.ends_with(command->destination));
    return 0;
}

VEXAR_FUZZ_SEEDS(UpdateCommand)
{
    SeedSet seeds;
    seeds.Add("plain", "/opt/vexar/new/VEXAR, /opt/vexar/VEXAR");
    seeds.Add("blanks", "/tmp/a b/VEXAR, /home/x y/VEXAR,1");
    seeds.Add("no-blank", "a.exe,b.exe");
    seeds.words = {", ", ","};
    return seeds;
}
