#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

namespace vexar::tools {

// The worker thread of a programming tool, with what makes it stoppable at
// once: a quit flag its loop and every pause look at, pauses that a quit
// wakes, and questions to the user that a quit answers. A step blocked in a
// serial read or write is ended by purging the port, which StopThread
// repeats until the worker has left its body (a purge made while no read or
// write is in progress ends nothing later, so one purge is not enough).
class CToolWorker {
public:
    using Body = std::function<void(CToolWorker&)>;

    CToolWorker() = default;
    ~CToolWorker();
    CToolWorker(const CToolWorker&) = delete;
    CToolWorker& operator=(const CToolWorker&) = delete;

    // Runs `body` on a new thread when none runs; false when one does.
    bool StartThread(Body body);
    // Asks the worker to quit, calls `purge` until its body has returned
    // and joins it. Nothing when no worker runs.
    void StopThread(const std::function<void()>& purge);
    bool IsRunning() const { return m_thread.joinable(); }

    // Asks the worker to end the step it is in and go idle: sets the abort
    // flag and calls `purge` until the worker has called EndAbort (or left
    // its body).
    void Abort(const std::function<void()>& purge);
    // Wakes a worker waiting in Pause for its condition.
    void Notify();

    // Worker side.
    bool QuitRequested() const { return m_quit; }
    bool AbortRequested() const { return m_abort; }
    // Quit or abort asked: the step in progress ends without a word.
    bool Interrupted() const { return m_quit || m_abort; }
    // The interrupted step has ended; the dialog's Abort returns.
    void EndAbort();
    // Waits `time` unless interrupted first (false then), or until `until`
    // holds (checked at every Notify).
    bool Pause(std::chrono::milliseconds time, const std::function<bool()>& until = {});

    // Worker side: asks the user through `show`, which must arrange for the
    // answer to be given (from any thread) through the function it is
    // handed, and waits for that answer. Once a quit is asked the wait ends
    // with `answerOnQuit`, answered or not; so does an abort.
    int Ask(const std::function<void(std::function<void(int)> answer)>& show, int answerOnQuit);

private:
    struct Question {
        bool answered = false;
        int answer = 0;
    };

    std::thread m_thread;
    std::atomic<bool> m_quit{false};
    std::atomic<bool> m_abort{false};
    std::atomic<bool> m_bodyEnded{false};
    // Guards the waits of Pause and Ask and the questions' answers; shared
    // with the answer functions, which may outlive the worker.
    struct Shared {
        std::mutex mutex;
        std::condition_variable wake;
    };
    std::shared_ptr<Shared> m_shared = std::make_shared<Shared>();
};

}  // namespace vexar::tools
