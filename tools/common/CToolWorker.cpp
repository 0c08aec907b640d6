#include "tools/common/CToolWorker.h"

namespace vexar::tools {

CToolWorker::~CToolWorker()
{
    StopThread([] {});
}

bool CToolWorker::StartThread(Body body)
{
    if (m_thread.joinable())
        return false;
    m_quit = false;
    m_abort = false;
    m_bodyEnded = false;
    m_thread = std::thread([this, body = std::move(body)] {
        body(*this);
        {
            std::lock_guard lock(m_shared->mutex);
            m_bodyEnded = true;
        }
        m_shared->wake.notify_all();
    });
    return true;
}

void CToolWorker::StopThread(const std::function<void()>& purge)
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_quit = true;
    }
    m_shared->wake.notify_all();
    std::unique_lock lock(m_shared->mutex);
    while (!m_bodyEnded) {
        lock.unlock();
        purge();
        lock.lock();
        m_shared->wake.wait_for(lock, std::chrono::milliseconds(2), [this] { return m_bodyEnded.load(); });
    }
    lock.unlock();
    m_thread.join();
}

void CToolWorker::Abort(const std::function<void()>& purge)
{
    if (!m_thread.joinable())
        return;
    {
        std::lock_guard lock(m_shared->mutex);
        m_abort = true;
    }
    m_shared->wake.notify_all();
    std::unique_lock lock(m_shared->mutex);
    while (m_abort && !m_bodyEnded) {
        lock.unlock();
        purge();
        lock.lock();
        m_shared->wake.wait_for(lock, std::chrono::milliseconds(2), [this] { return !m_abort || m_bodyEnded; });
    }
    m_abort = false;
}

void CToolWorker::EndAbort()
{
    {
        std::lock_guard lock(m_shared->mutex);
        m_abort = false;
    }
    m_shared->wake.notify_all();
}

void CToolWorker::Notify()
{
    std::lock_guard lock(m_shared->mutex);
    m_shared->wake.notify_all();
}

bool CToolWorker::Pause(std::chrono::milliseconds time, const std::function<bool()>& until)
{
    std::unique_lock lock(m_shared->mutex);
    m_shared->wake.wait_for(lock, time, [&] { return Interrupted() || (until && until()); });
    return !Interrupted();
}

int CToolWorker::Ask(const std::function<void(std::function<void(int)> answer)>& show, int answerOnQuit)
{
    if (Interrupted())
        return answerOnQuit;
    auto question = std::make_shared<Question>();
    std::weak_ptr<Shared> weakShared = m_shared;
    show([question, weakShared](int answer) {
        const auto shared = weakShared.lock();
        if (!shared)
            return;
        {
            std::lock_guard lock(shared->mutex);
            question->answered = true;
            question->answer = answer;
        }
        shared->wake.notify_all();
    });
    std::unique_lock lock(m_shared->mutex);
    m_shared->wake.wait(lock, [&] { return question->answered || Interrupted(); });
    return question->answered ? question->answer : answerOnQuit;
}

}  // namespace vexar::tools
