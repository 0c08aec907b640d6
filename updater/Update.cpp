#include "Update.h"

#include "ProgramReplacer.h"
#include "UpdateCommand.h"

#include <charconv>
#include <cstdlib>
#include <cstring>
#include <thread>

namespace vexar::updater {

std::chrono::milliseconds UpdateWait()
{
    constexpr std::chrono::milliseconds normal(4000);
    const char* text = std::getenv("VEXAR_TEST_UPDATE_WAIT_MS");
    if (!text || !*text)
        return normal;
    unsigned value = 0;
    const char* end = text + std::strlen(text);
    const auto [stop, error] = std::from_chars(text, end, value);
    if (error != std::errc() || stop != end)
        return normal;
    return std::chrono::milliseconds(value);
}

int RunUpdate(int argc, const char* const* argv, const ErrorBox& showError)
{
    // The program that started us needs time to end and let go of its file.
    std::this_thread::sleep_for(UpdateWait());

    const auto command = argc == 2 ? ParseUpdateCommand(argv[1]) : std::nullopt;
    if (command && ReplaceProgramFile(command->source, command->destination))
        StartProgram(command->destination);
    else
        showError("Error to copy file.", "Error");
    return 0;
}

}  // namespace vexar::updater
