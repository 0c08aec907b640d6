#include "platform/ui/MessageBoxErrorReporter.h"

#include "common/Text.h"
#include "platform/ui/DialogResponder.h"

#include <QCoreApplication>
#include <QThread>

#include <cstdio>

namespace vexar::ui {

void MessageBoxErrorReporter::ShowError(const std::u16string& text)
{
    QCoreApplication* application = QCoreApplication::instance();
    if (!application) {
        std::fprintf(stderr, "%s\n", ToUtf8(text).c_str());
        return;
    }
    auto show = [owner = m_owner, text] { MessageBox(owner.data(), text, std::u16string(), MB_OK | MB_ICONEXCLAMATION); };
    if (QThread::currentThread() == application->thread())
        show();
    else
        QMetaObject::invokeMethod(application, show, Qt::QueuedConnection);
}

}  // namespace vexar::ui
