// SPDX-License-Identifier: GPL-3.0-or-later
#include "base/sidebyside.h"

#include <algorithm>
#include <condition_variable>
#include <cstddef>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace kvadrolab {

namespace {

// One call's tasks: taken one by one by whoever is free, the caller
// included, and counted as they end.
struct Batch
{
    const std::vector<std::function<void()>> *tasks = nullptr;
    std::size_t next = 0;
    std::size_t ended = 0;
};

class Workers
{
public:
    Workers()
    {
        const unsigned cores = std::max(std::thread::hardware_concurrency(), 1U);
        const unsigned count = std::clamp(cores, 2U, 4U) - 1;
        for (unsigned i = 0; i < count; ++i)
            m_threads.emplace_back([this] { work(); });
    }

    ~Workers()
    {
        {
            const std::lock_guard lock(m_mutex);
            m_stopping = true;
        }
        m_wake.notify_all();
        for (std::thread &t : m_threads)
            t.join();
    }

    void run(const std::vector<std::function<void()>> &tasks)
    {
        if (tasks.empty())
            return;
        auto batch = std::make_shared<Batch>();
        batch->tasks = &tasks;
        {
            const std::lock_guard lock(m_mutex);
            m_batches.push_back(batch);
        }
        m_wake.notify_all();
        // The caller works on its own batch too, then waits for the tasks
        // the workers took.
        std::unique_lock lock(m_mutex);
        while (batch->next < tasks.size())
            runOne(batch, lock);
        m_ended.wait(lock, [&] { return batch->ended == tasks.size(); });
    }

private:
    // Takes the batch's next task and runs it unlocked.
    void runOne(const std::shared_ptr<Batch> &batch, std::unique_lock<std::mutex> &lock)
    {
        const std::size_t i = batch->next++;
        if (batch->next == batch->tasks->size())
            m_batches.erase(std::find(m_batches.begin(), m_batches.end(), batch));
        lock.unlock();
        (*batch->tasks)[i]();
        lock.lock();
        if (++batch->ended == batch->tasks->size())
            m_ended.notify_all();
    }

    void work()
    {
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [this] { return m_stopping || !m_batches.empty(); });
            if (m_stopping)
                return;
            const std::shared_ptr<Batch> batch = m_batches.front();
            runOne(batch, lock);
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::condition_variable m_ended;
    std::deque<std::shared_ptr<Batch>> m_batches; // those with tasks not yet taken
    std::vector<std::thread> m_threads;
    bool m_stopping = false;
};

} // namespace

void runSideBySide(const std::vector<std::function<void()>> &tasks)
{
    static Workers workers;
    workers.run(tasks);
}

} // namespace kvadrolab
