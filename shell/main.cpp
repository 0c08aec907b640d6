// VEXAR: the workshop workstation of the gas-injection ECU.
#include "shell/CVEXARApp.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    CVEXARApp app;
    return app.Run();
}
