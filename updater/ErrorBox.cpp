#include "ErrorBox.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef VEXAR_UPDATE_WITH_QT
#include <QApplication>
#include <QMessageBox>
#include <QString>
#endif

namespace vexar::updater {
namespace {

#ifdef VEXAR_UPDATE_WITH_QT
bool IsSet(const char* name)
{
    const char* value = std::getenv(name);
    return value && *value;
}

// A box on a platform nobody looks at would wait forever for its OK.
bool DisplayAvailable()
{
    if (const char* platform = std::getenv("QT_QPA_PLATFORM");
        platform && (std::strcmp(platform, "offscreen") == 0 || std::strcmp(platform, "minimal") == 0))
        return false;
    return IsSet("DISPLAY") || IsSet("WAYLAND_DISPLAY");
}

void ShowQtBox(const char* text, const char* caption)
{
    static int argc = 1;
    static char name[] = "Update";
    static char* argv[] = {name, nullptr};
    QApplication application(argc, argv);
    QMessageBox box(QMessageBox::Information, QString::fromUtf8(caption), QString::fromUtf8(text),
                    QMessageBox::Ok);
    box.exec();
}
#endif

}  // namespace

void ShowErrorBox(const char* text, const char* caption)
{
    std::fprintf(stderr, "%s: %s\n", caption, text);
    std::fflush(stderr);
#ifdef VEXAR_UPDATE_WITH_QT
    if (DisplayAvailable())
        ShowQtBox(text, caption);
#endif
}

}  // namespace vexar::updater
