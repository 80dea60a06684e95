// One helper thread that runs one job at a time beside its caller (a read ahead, or the
// write of the block before). Started once per long call: a thread for every block costs
// too much.
//
//   HelperThread reader;
//   reader.Start([&] { got = source->Read(next, frames); });
//   ...                                   // work on the block before
//   reader.Wait();                        // what the job threw is thrown here
#pragma once
#include <condition_variable>
#include <exception>
#include <functional>
#include <mutex>
#include <thread>

class HelperThread {
public:
    HelperThread();
    // Waits for the running job (what it threw is dropped) and ends the thread.
    ~HelperThread();
    HelperThread(const HelperThread&) = delete;
    HelperThread& operator=(const HelperThread&) = delete;

    // Waits for the job before, then starts this one.
    void Start(std::function<void()> job);
    // Waits for the running job; what it threw is thrown here.
    void Wait();
    // Waits for the running job and drops what it threw (for the paths that already fail).
    void WaitQuietly();

private:
    void Loop();

    std::mutex m_lock;
    std::condition_variable m_changed;
    std::function<void()> m_job;
    bool m_busy = false;
    bool m_quit = false;
    std::exception_ptr m_error;
    std::thread m_thread;
};
