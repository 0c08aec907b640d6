#include "RecordingUiSink.h"

#include <algorithm>

namespace vexar::linktest {

void RecordingUiSink::Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message)
{
    const RecordedPost post{window,        control,       message.id, message.wParam,
                            message.lParam, message.payload != nullptr, std::chrono::steady_clock::now()};
    if (onPost)
        onPost(post);
    {
        std::lock_guard lock(m_lock);
        m_posts.push_back(post);
    }
    m_changed.notify_all();
}

void RecordingUiSink::ShowError(std::u16string text)
{
    {
        std::lock_guard lock(m_lock);
        m_errors.push_back(std::move(text));
    }
    m_changed.notify_all();
}

std::vector<RecordedPost> RecordingUiSink::Posts() const
{
    std::lock_guard lock(m_lock);
    return m_posts;
}

std::vector<std::u16string> RecordingUiSink::Errors() const
{
    std::lock_guard lock(m_lock);
    return m_errors;
}

std::size_t RecordingUiSink::Count(unsigned message) const
{
    std::lock_guard lock(m_lock);
    return static_cast<std::size_t>(
        std::count_if(m_posts.begin(), m_posts.end(), [&](const RecordedPost& p) { return p.message == message; }));
}

bool RecordingUiSink::WaitFor(unsigned message, std::size_t count, std::chrono::milliseconds limit) const
{
    std::unique_lock lock(m_lock);
    return m_changed.wait_for(lock, limit, [&] {
        return static_cast<std::size_t>(std::count_if(m_posts.begin(), m_posts.end(), [&](const RecordedPost& p) {
                   return p.message == message;
               })) >= count;
    });
}

}  // namespace vexar::linktest
