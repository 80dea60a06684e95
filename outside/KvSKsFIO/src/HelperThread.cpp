#include "HelperThread.h"

HelperThread::HelperThread() : m_thread([this] { Loop(); }) {}

HelperThread::~HelperThread()
{
    WaitQuietly();
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_quit = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void HelperThread::Start(std::function<void()> job)
{
    Wait();
    std::lock_guard<std::mutex> guard(m_lock);
    m_job = std::move(job);
    m_busy = true;
    m_changed.notify_all();
}

void HelperThread::Wait()
{
    std::unique_lock<std::mutex> guard(m_lock);
    m_changed.wait(guard, [this] { return !m_busy; });
    if (m_error) {
        std::exception_ptr e = m_error;
        m_error = nullptr;
        std::rethrow_exception(e);
    }
}

void HelperThread::WaitQuietly()
{
    try {
        Wait();
    } catch (...) {
    }
}

void HelperThread::Loop()
{
    std::unique_lock<std::mutex> guard(m_lock);
    for (;;) {
        m_changed.wait(guard, [this] { return m_quit || m_busy; });
        if (m_busy) {
            std::function<void()> job = std::move(m_job);
            guard.unlock();
            std::exception_ptr error;
            try {
                job();
            } catch (...) {
                error = std::current_exception();
            }
            guard.lock();
            m_error = error;
            m_busy = false;
            m_changed.notify_all();
        } else if (m_quit) {
            return;
        }
    }
}
