#pragma once

// A window for the tests: records the messages, commands and pre-translated
// events it sees and the keys and clicks that reach the widget itself.

#include "platform/ui/WindowBase.h"

#include <QEvent>
#include <QWidget>

#include <atomic>
#include <functional>
#include <string>
#include <vector>

namespace vexar::uitest {

// A record that counts how many of its kind are alive.
struct CountedPayload : ui::MessagePayload {
    explicit CountedPayload(int sequence);
    ~CountedPayload() override;
    static std::atomic<int> live;
    int sequence;
};

struct ReceivedMessage {
    unsigned id = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    int sequence = -1;  // of a CountedPayload, -1 without one
    bool onUiThread = false;
};

struct SeenEvent {
    QWidget* target = nullptr;
    QEvent::Type type = QEvent::None;
    int key = 0;  // of a key event
};

class TestWindow : public QWidget, public ui::WindowBase {
public:
    explicit TestWindow(QWidget* parent = nullptr);

    std::intptr_t onMessage(unsigned id, std::uintptr_t wParam, std::intptr_t lParam,
                            std::unique_ptr<ui::MessagePayload>& payload) override;
    bool onCommand(unsigned id) override;
    bool preTranslateMessage(QWidget& target, QEvent& event) override;

    // What the window does in preTranslateMessage; nothing by default.
    std::function<bool(QWidget& target, QEvent& event)> preTranslate;
    // Runs in onMessage after the message is recorded.
    std::function<void(const ReceivedMessage&)> whenReceived;
    // The result onMessage gives.
    std::intptr_t result = 0;
    // Keep the payloads instead of letting them go after the call.
    bool keepPayloads = false;

    std::vector<ReceivedMessage> messages;
    std::vector<unsigned> commandsRun;  // every command that reached onCommand
    std::vector<SeenEvent> preTranslated;
    std::vector<int> keysPressed;     // key presses that reached the widget
    int clicks = 0;                   // mouse presses that reached the widget
    bool acceptKeys = true;           // false: pressed keys go on to the parent
    std::vector<std::unique_ptr<ui::MessagePayload>> kept;

    std::size_t Seen(QEvent::Type type, int key = 0) const;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
};

// Processes events until `done` holds or `limit` has passed; false then.
bool ProcessUntil(const std::function<bool()>& done, int limitMs = 5000);

}  // namespace vexar::uitest
