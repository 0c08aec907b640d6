#pragma once

// The common run of every test program: a comma-decimal locale and a time
// zone with daylight saving, a program folder of its own (VEXAR_HOME), and
// a check that no test changed the working directory. The test mains call
// it after making whatever application object their tests need.

namespace vexar::testing {

// Sets the locale, time zone and program folder before the application
// object exists (Qt reads the locale when it starts).
bool PrepareTestProcess();

// Initialises GoogleTest, runs every test and returns the exit code.
int RunTestProgram(int& argc, char** argv);

}  // namespace vexar::testing
