#include "platform/ui/MessageEvent.h"

namespace vexar::ui {

MessageEvent::MessageEvent(WindowMessage message, QPointer<QObject> target,
                           std::shared_ptr<SendCompletion> completion)
    : QEvent(EventType()), m_message(std::move(message)), m_target(std::move(target)),
      m_completion(std::move(completion))
{
}

MessageEvent::~MessageEvent()
{
    if (m_completion)
        m_completion->Drop();
}

QEvent::Type MessageEvent::EventType()
{
    static const auto type = static_cast<QEvent::Type>(QEvent::registerEventType());
    return type;
}

void MessageEvent::Finish(std::intptr_t result)
{
    if (m_completion)
        m_completion->Finish(result);
}

bool MessageEvent::IsAbandoned() const { return m_completion && m_completion->IsEnded(); }

}  // namespace vexar::ui
