// The main of the test programs of windows and widgets: the same run as
// every other test program, inside a QApplication. Without a display named
// by the caller the tests draw off screen, so they run on any machine.
#include "TestRun.h"

#include <QApplication>

#include <cstdlib>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    if (!vexar::testing::PrepareTestProcess())
        return 1;
    QApplication application(argc, argv);
    return vexar::testing::RunTestProgram(argc, argv);
}
