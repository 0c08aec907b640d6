// hhwriter: loads the language file and the KD01 and KD02 firmware into the
// handheld terminal.
#include "tools/common/ToolCommandLine.h"
#include "tools/common/ui/CToolScript.h"
#include "tools/hhwriter/CHandheldWriterDlg.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const std::string argument = arguments.size() > 1 ? arguments.at(1).toStdString() : std::string();
    vexar::tools::CHandheldWriterDlg dialog(argument, vexar::tools::ToolFolder());
    const std::unique_ptr<vexar::tools::CToolScript> script = vexar::tools::CToolScript::FromEnvironment();
    if (script) {
        script->Attach([&] { dialog.OnStart(); }, [&] { dialog.OnExit(); },
                       [&] { static_cast<QDialog&>(dialog).reject(); });
        dialog.AttachScript(script.get());
        script->ArgumentApplied();
    }
    dialog.exec();
    return script && script->Failed() ? 3 : 0;
}
