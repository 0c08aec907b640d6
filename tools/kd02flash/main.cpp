// kd02flash: loads new firmware into a KD02 gas ECU through its boot loader.
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ui/CToolScript.h"
#include "tools/kd02flash/CKd02LoaderDlg.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    // The start argument: the first parameter that is not one of Qt's own
    // options (QApplication has taken those out of argv).
    const QStringList arguments = QApplication::arguments();
    const std::string argument = arguments.size() > 1 ? arguments.at(1).toStdString() : std::string();
    vexar::tools::CKd02LoaderDlg dialog(argument, vexar::tools::ToolFolder());
    const std::unique_ptr<vexar::tools::CToolScript> script = vexar::tools::CToolScript::FromEnvironment();
    if (script) {
        script->Attach([&] { dialog.OnStart(); }, [&] { dialog.OnExit(); }, [&] { static_cast<QDialog&>(dialog).reject(); });
        dialog.AttachScript(script.get());
    }
    dialog.exec();
    return script && script->Failed() ? 3 : 0;
}
