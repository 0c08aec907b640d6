// The main of every test program that needs no screen.
#include "TestRun.h"

int main(int argc, char** argv)
{
    if (!vexar::testing::PrepareTestProcess())
        return 1;
    return vexar::testing::RunTestProgram(argc, argv);
}
