#pragma once

// A user-interface sink for tests: records every post and error text with
// the time it arrived, lets a test wait for a post, and can run a probe on
// the posting thread (the worker) as each post arrives.

#include "link/ILinkUiSink.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace vexar::linktest {

struct RecordedPost {
    link::UiWindow window;
    const IDataCtrl* control = nullptr;
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::intptr_t lParam = 0;
    bool hasPayload = false;
    std::chrono::steady_clock::time_point when;
};

class RecordingUiSink : public link::ILinkUiSink {
public:
    void Post(link::UiWindow window, const IDataCtrl* control, link::LinkMessage message) override;
    void ShowError(std::u16string text) override;

    // Runs on the posting thread before the post is recorded; it may block
    // to hold the worker still.
    std::function<void(const RecordedPost&)> onPost;

    std::vector<RecordedPost> Posts() const;
    std::vector<std::u16string> Errors() const;
    // Waits until `count` posts of `message` have arrived; false after
    // `limit`.
    bool WaitFor(unsigned message, std::size_t count, std::chrono::milliseconds limit) const;
    std::size_t Count(unsigned message) const;

private:
    mutable std::mutex m_lock;
    mutable std::condition_variable m_changed;
    std::vector<RecordedPost> m_posts;
    std::vector<std::u16string> m_errors;
};

}  // namespace vexar::linktest
