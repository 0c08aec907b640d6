#include "platform/ProcessStarter.h"

#include "platform/ComPortResolver.h"

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <spawn.h>
#include <sys/wait.h>

extern char** environ;

namespace vexar::platform {

namespace {

constexpr char kComDirVariable[] = "VEXAR_COM_DIR=";

// The program's environment with VEXAR_COM_DIR set to the COM folder in
// use (absolute: the child runs in another folder), or as it is when the
// ports come from the kernel's list.
std::vector<std::string> ChildEnvironment()
{
    std::vector<std::string> entries;
    const std::string comFolder = ComPortResolver::FromEnvironment().Folder();
    for (char** entry = environ; entry && *entry; ++entry) {
        if (!comFolder.empty() && std::strncmp(*entry, kComDirVariable, sizeof kComDirVariable - 1) == 0)
            continue;
        entries.emplace_back(*entry);
    }
    if (!comFolder.empty()) {
        std::error_code error;
        const std::filesystem::path absolute = std::filesystem::absolute(comFolder, error);
        entries.push_back(kComDirVariable + (error ? comFolder : absolute.string()));
    }
    return entries;
}

std::vector<char*> Pointers(std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (std::string& text : texts)
        pointers.push_back(text.data());
    pointers.push_back(nullptr);
    return pointers;
}

}  // namespace

pid_t StartProgram(const std::string& program, const std::string& folder,
                   const std::vector<std::string>& arguments)
{
    if (program.empty())
        return 0;
    std::vector<std::string> args;
    args.push_back(program);
    args.insert(args.end(), arguments.begin(), arguments.end());
    std::vector<std::string> env = ChildEnvironment();
    std::vector<char*> argv = Pointers(args);
    std::vector<char*> envp = Pointers(env);

    posix_spawn_file_actions_t actions;
    if (posix_spawn_file_actions_init(&actions) != 0)
        return 0;
    // Only 0, 1 and 2 reach the program: the ports, sockets and lock files
    // this program holds are its own.
    posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    if (!folder.empty())
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    pid_t pid = 0;
    // A bare name ("java") is looked up through PATH; a path is used as
    // it is.
    const bool search = program.find('/') == std::string::npos;
    const int rc = search ? posix_spawnp(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data())
                          : posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return rc == 0 ? pid : 0;
}

bool ProgramRunning(pid_t pid)
{
    if (pid <= 0)
        return false;
    int status = 0;
    pid_t result = 0;
    do {
        result = ::waitpid(pid, &status, WNOHANG);
    } while (result < 0 && errno == EINTR);
    return result == 0;
}

}  // namespace vexar::platform
