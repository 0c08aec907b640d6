// hc08flash: loads new firmware into the handheld terminal's microcontroller.
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ui/CToolScript.h"
#include "tools/hc08flash/CHc08LoaderDlg.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const std::string argument = arguments.size() > 1 ? arguments.at(1).toStdString() : std::string();
    vexar::tools::CHc08LoaderDlg dialog(argument, vexar::tools::ToolFolder());
    const std::unique_ptr<vexar::tools::CToolScript> script = vexar::tools::CToolScript::FromEnvironment();
    if (script) {
        script->Attach([&] { dialog.OnStartStop(); }, [&] { dialog.OnExit(); },
                       [&] { static_cast<QDialog&>(dialog).reject(); });
        dialog.AttachScript(script.get());
    }
    dialog.exec();
    return script && script->Failed() ? 3 : 0;
}
