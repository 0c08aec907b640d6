#pragma once

// The record that travels with a window message. The message owns it, and
// whoever holds the message holds the record: a receiver that keeps it
// moves it out, and a message dropped anywhere (a closed window, a relay
// that has shut down) frees it with itself.

#include <memory>
#include <type_traits>
#include <utility>

namespace vexar::ui {

// Base of the records made for window messages.
struct MessagePayload {
    virtual ~MessagePayload() = default;
};

// A record of a type that knows nothing of window messages (a link
// record, a text), carried as a payload.
template <class T>
class PayloadBox : public MessagePayload {
public:
    explicit PayloadBox(std::unique_ptr<T> value) : m_value(std::move(value)) {}
    T* get() const { return m_value.get(); }
    std::unique_ptr<T> release() { return std::move(m_value); }

private:
    std::unique_ptr<T> m_value;
};

template <class T>
std::unique_ptr<MessagePayload> BoxPayload(std::unique_ptr<T> value)
{
    if (!value)
        return nullptr;
    if constexpr (std::is_base_of_v<MessagePayload, T>)
        return value;
    else
        return std::make_unique<PayloadBox<T>>(std::move(value));
}

// The record as a T: a payload of type T, or a box holding a T; null for
// anything else.
template <class T>
T* PayloadAs(const std::unique_ptr<MessagePayload>& payload)
{
    if constexpr (std::is_base_of_v<MessagePayload, T>) {
        return dynamic_cast<T*>(payload.get());
    } else {
        auto* box = dynamic_cast<PayloadBox<T>*>(payload.get());
        return box ? box->get() : nullptr;
    }
}

}  // namespace vexar::ui
