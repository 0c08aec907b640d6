#include "TestWindow.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QTest>
#include <QThread>

namespace vexar::uitest {

std::atomic<int> CountedPayload::live{0};

CountedPayload::CountedPayload(int sequence) : sequence(sequence) { ++live; }

CountedPayload::~CountedPayload() { --live; }

TestWindow::TestWindow(QWidget* parent) : QWidget(parent), WindowBase(this) { setFocusPolicy(Qt::StrongFocus); }

std::intptr_t TestWindow::onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                                    std::unique_ptr<ui::MessagePayload>& payload)
{
    const auto* counted = ui::PayloadAs<CountedPayload>(payload);
    messages.push_back({id, wParam, lParam, counted ? counted->sequence : -1,
                        QThread::currentThread() == QCoreApplication::instance()->thread()});
    if (whenReceived)
        whenReceived(messages.back());
    if (keepPayloads && payload)
        kept.push_back(std::move(payload));
    WindowBase::onMessage(id, wParam, lParam, payload);
    return result;
}

bool TestWindow::onCommand(unsigned id)
{
    commandsRun.push_back(id);
    return WindowBase::onCommand(id);
}

bool TestWindow::preTranslateMessage(QWidget& target, QEvent& event)
{
    const int key = (event.type() == QEvent::KeyPress || event.type() == QEvent::KeyRelease)
                        ? static_cast<QKeyEvent&>(event).key()
                        : 0;
    preTranslated.push_back({&target, event.type(), key});
    return preTranslate && preTranslate(target, event);
}

std::size_t TestWindow::Seen(QEvent::Type type, int key) const
{
    std::size_t count = 0;
    for (const SeenEvent& seen : preTranslated) {
        if (seen.type == type && (key == 0 || seen.key == key))
            ++count;
    }
    return count;
}

void TestWindow::keyPressEvent(QKeyEvent* event)
{
    keysPressed.push_back(event->key());
    event->setAccepted(acceptKeys);
}

void TestWindow::mousePressEvent(QMouseEvent* event)
{
    ++clicks;
    event->accept();
}

bool ProcessUntil(const std::function<bool()>& done, int limitMs) { return QTest::qWaitFor(done, limitMs); }

}  // namespace vexar::uitest
