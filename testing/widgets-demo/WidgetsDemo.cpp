// The widgets' demonstration: one window with every widget in every look.
//
//   widgets_demo                      shows the window until it is closed
//   widgets_demo --screenshot FILE    shows it, takes a picture of it from
//                                     the screen into FILE (PNG) and ends
//
// With --screenshot the program also checks the layout (every instrument
// at least its minimum size, every caption whole, nothing outside its
// parent) and ends with 2 when something is wrong, 1 when the picture
// cannot be taken or written.

#include "DemoPanel.h"

#include <QApplication>
#include <QPixmap>
#include <QScreen>
#include <QTimer>
#include <QWindow>

#include <cstdio>
#include <cstring>

namespace {

// Time for the window manager (if any) and the first paint to settle.
constexpr int kSettleMs = 500;

int TakeScreenshot(DemoPanel& panel, const QString& file)
{
    QPixmap shot;
    if (QScreen* screen = panel.screen())
        shot = screen->grabWindow(panel.winId());
    if (shot.isNull())
        shot = panel.grab();
    if (shot.isNull() || !shot.save(file, "PNG")) {
        std::fprintf(stderr, "widgets_demo: cannot write %s\n", qPrintable(file));
        return 1;
    }
    int status = 0;
    for (const QString& problem : panel.LayoutProblems()) {
        std::fprintf(stderr, "widgets_demo: %s\n", qPrintable(problem));
        status = 2;
    }
    std::printf("widgets_demo: %s, %d x %d\n", qPrintable(file), shot.width(), shot.height());
    return status;
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    QString screenshot;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--screenshot") == 0 && i + 1 < argc) {
            screenshot = QString::fromLocal8Bit(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: widgets_demo [--screenshot FILE]\n");
            return 64;
        }
    }
    DemoPanel panel;
    panel.show();
    if (screenshot.isEmpty())
        return application.exec();
    int status = 1;
    QTimer::singleShot(kSettleMs, &panel, [&] {
        status = TakeScreenshot(panel, screenshot);
        application.quit();
    });
    application.exec();
    return status;
}
