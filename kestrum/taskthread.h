#pragma once
// A thread of its own that runs the tasks given to it one after another, in the order given. Each
// task's result, or the exception it raised, reaches the caller through the future that submit
// returns, so that work done ahead on this thread succeeds or fails at the caller's call for it.

#include "kestrum_export.h"

#include <condition_variable>
#include <deque>
#include <future>
#include <mutex>
#include <thread>
#include <type_traits>

namespace kestrum {

class KESTRUM_EXPORT TaskThread {
public:
    TaskThread();
    // Drops the tasks not yet started (their futures report a broken promise) and waits for the
    // one running, so that nothing a task uses is destroyed under it.
    ~TaskThread();
    TaskThread(const TaskThread&) = delete;
    TaskThread& operator=(const TaskThread&) = delete;

    template <class Task> std::future<std::invoke_result_t<Task&>> submit(Task task) {
        std::packaged_task<std::invoke_result_t<Task&>()> packaged(std::move(task));
        auto result = packaged.get_future();
        enqueue(std::packaged_task<void()>([run = std::move(packaged)]() mutable { run(); }));
        return result;
    }

private:
    void enqueue(std::packaged_task<void()> task);
    void runAll();

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<std::packaged_task<void()>> m_tasks;
    bool m_stopping = false;
    std::thread m_thread; // started last, once everything it uses exists
};

} // namespace kestrum
