#pragma once

#include <string>
#include <sys/types.h>
#include <vector>

namespace vexar::testing {

// A program run by a test with a clean environment: the parent's, without
// any display and without the variables that change the behaviour of our
// programs, plus `extraEnvironment` ("NAME=value"). Its standard input and
// output are pipes to the test; standard error is collected.
class ChildProcess {
public:
    ChildProcess(const std::string& program, const std::vector<std::string>& arguments,
                 const std::vector<std::string>& extraEnvironment);
    ~ChildProcess();
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    // One line of the child's standard output, without its line end
    // (empty at the end of the output).
    std::string ReadLine();
    void WriteLine(const std::string& line);
    // Closes standard input, reads the rest of standard error and returns
    // the exit code (-1 when the child did not exit normally).
    int Wait();
    const std::string& errorOutput() const { return m_errorOutput; }

private:
    pid_t m_pid = -1;
    int m_input = -1;
    int m_output = -1;
    int m_error = -1;
    std::string m_errorOutput;
};

}  // namespace vexar::testing
