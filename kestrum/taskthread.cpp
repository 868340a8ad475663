#include "kestrum/taskthread.h"

namespace kestrum {

TaskThread::TaskThread() : m_thread([this] { runAll(); }) {}

TaskThread::~TaskThread() {
    {
        const std::lock_guard lock(m_mutex);
        m_stopping = true;
        m_tasks.clear();
    }
    m_changed.notify_all();
    m_thread.join();
}

void TaskThread::enqueue(std::packaged_task<void()> task) {
    {
        const std::lock_guard lock(m_mutex);
        m_tasks.push_back(std::move(task));
    }
    m_changed.notify_one();
}

void TaskThread::runAll() {
    for (;;) {
        std::packaged_task<void()> task;
        {
            std::unique_lock lock(m_mutex);
            m_changed.wait(lock, [this] { return !m_tasks.empty() || m_stopping; });
            if (m_stopping)
                return;
            task = std::move(m_tasks.front());
            m_tasks.pop_front();
        }
        // A packaged task keeps its exception for the future; none escapes here.
        task();
    }
}

} // namespace kestrum
