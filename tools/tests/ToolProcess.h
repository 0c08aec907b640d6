#pragma once

// Runs an installed programming tool as a person or VEXAR starts it: its
// program copied into a program folder of the test's own (the tools keep
// their settings beside their executables, and tests run in parallel),
// with the test-only script that presses its buttons.

#include "testing/ptysupport/ChildProcess.h"

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace vexar::tools::test {

// Sets environment variables for the scope and puts the old values back.
class EnvironmentScope {
public:
    void Set(const char* name, const std::string& value)
    {
        const char* old = std::getenv(name);
        m_saved.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
        setenv(name, value.c_str(), 1);
    }
    ~EnvironmentScope()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second)
                setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                unsetenv(it->first.c_str());
        }
    }

private:
    std::vector<std::pair<std::string, std::optional<std::string>>> m_saved;
};

// Copies `program` to <folder>/prgbay/<its name>; the copy's path.
inline std::string InstallTool(const std::string& program, const std::string& folder)
{
    namespace fs = std::filesystem;
    const fs::path bay = fs::path(folder) / "prgbay";
    fs::create_directories(bay);
    const fs::path copy = bay / fs::path(program).filename();
    fs::copy_file(program, copy, fs::copy_options::overwrite_existing);
    return copy.string();
}

// Runs the tool with `argument` and the script; its exit code.
inline int RunTool(const std::string& program, const std::string& argument, const std::string& script,
                   const std::string& logFolder)
{
    EnvironmentScope environment;
    environment.Set("VEXAR_TOOL_SCRIPT", script);
    environment.Set("QT_QPA_PLATFORM", "offscreen");
    environment.Set("VEXAR_HOME", logFolder + "/not-the-tool-folder");
    const pid_t pid = ptysupport::SpawnProgram(program, {argument}, logFolder + "/stdout.txt", logFolder + "/stderr.txt");
    return pid < 0 ? -1 : ptysupport::WaitExit(pid);
}

}  // namespace vexar::tools::test
