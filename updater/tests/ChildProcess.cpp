#include "ChildProcess.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <spawn.h>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace vexar::testing {
namespace {

bool IsCleared(const char* entry)
{
    static const char* const prefixes[] = {"DISPLAY=", "WAYLAND_DISPLAY=", "VEXAR_FAULT_", "VEXAR_TEST_"};
    for (const char* prefix : prefixes)
        if (std::strncmp(entry, prefix, std::strlen(prefix)) == 0)
            return true;
    return false;
}

void ClosePipe(int& fd)
{
    if (fd >= 0)
        ::close(fd);
    fd = -1;
}

}  // namespace

ChildProcess::ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                           const std::vector<std::string>& extraEnvironment)
{
    std::vector<std::string> environment;
    for (char** entry = environ; *entry; ++entry)
        if (!IsCleared(*entry))
            environment.emplace_back(*entry);
    environment.insert(environment.end(), extraEnvironment.begin(), extraEnvironment.end());

    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    std::vector<char*> envp;
    for (std::string& entry : environment)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    int in[2], out[2], err[2];
    if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0 || ::pipe2(err, O_CLOEXEC) != 0)
        throw std::runtime_error("pipe");
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], 0);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    const int result = ::posix_spawn(&m_pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);
    ::close(err[1]);
    m_input = in[1];
    m_output = out[0];
    m_error = err[0];
    if (result != 0) {
        m_pid = -1;
        throw std::runtime_error("cannot start " + program);
    }
}

ChildProcess::~ChildProcess()
{
    if (m_pid > 0)
        Wait();
    ClosePipe(m_output);
    ClosePipe(m_error);
}

std::string ChildProcess::ReadLine()
{
    std::string line;
    char c = 0;
    while (true) {
        const ssize_t n = ::read(m_output, &c, 1);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0 || c == '\n')
            return line;
        line += c;
    }
}

void ChildProcess::WriteLine(const std::string& line)
{
    const std::string text = line + "\n";
    if (::write(m_input, text.data(), text.size()) != static_cast<ssize_t>(text.size()))
        throw std::runtime_error("cannot write to the child");
}

int ChildProcess::Wait()
{
    ClosePipe(m_input);
    char buffer[512];
    ssize_t n = 0;
    while ((n = ::read(m_error, buffer, sizeof buffer)) != 0) {
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            break;
        m_errorOutput.append(buffer, static_cast<std::size_t>(n));
    }
    int status = 0;
    while (::waitpid(m_pid, &status, 0) < 0 && errno == EINTR) {
    }
    m_pid = -1;
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

}  // namespace vexar::testing
