#include "Private/Vault/StoreWorker.h"

#include <future>
#include <utility>

#if defined(_WIN32)
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>
#else
#include <pthread.h>
#include <sched.h>
#endif

#include "Private/Plugin/HandlerGuard.h"
#include "Private/Vault/WaitedStore.h"

namespace Lockbury {
namespace {

constexpr const char* kFile = "Private/Vault";

// Store thread: the game thread comes first. Woken by a hand-over, the store thread would otherwise
// take the game thread's core in the middle of its frame; it still gets the core between ticks.
void YieldToTheGameThread() {
#if defined(_WIN32)
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_BELOW_NORMAL);
#else
    // A batch thread is never let in ahead of the thread that woke it; its share is otherwise fair.
    const sched_param normal{};
    pthread_setschedparam(pthread_self(), SCHED_BATCH, &normal);
#endif
}

}  // namespace

StoreWorker::StoreWorker(std::unique_ptr<IDatabase> store, bool threaded) : store_(std::move(store)), threaded_(threaded) {
    if (!threaded_) return;
    waitedFace_ = std::make_unique<WaitedStore>(*this);
    thread_ = std::thread([this] { Loop(); });
}

StoreWorker::~StoreWorker() {
    if (!thread_.joinable()) return;
    // Reached only when Stop never ran: the thread may still use the store, so neither goes.
    thread_.detach();
    [[maybe_unused]] IDatabase* const leftToTheThread = store_.release();
}

void StoreWorker::Submit(std::uint64_t owner, Work work) {
    ++inFlight_[owner];
    if (!thread_.joinable()) {
        Outcome outcome;
        Guarded(kFile, "Lockbury::StoreWorker::Submit", [&] { outcome = work(*store_); });
        if (outcome) Guarded(kFile, "Lockbury::StoreWorker::Submit", outcome);
        Finished(owner);
        return;
    }
    {
        std::lock_guard lock(mutex_);
        jobs_.push_back({owner, std::move(work)});
    }
    wake_.notify_one();
}

void StoreWorker::Later(std::uint64_t owner, std::function<void()> step) {
    ++inFlight_[owner];
    if (!thread_.joinable()) {
        Guarded(kFile, "Lockbury::StoreWorker::Later", step);
        Finished(owner);
        return;
    }
    std::lock_guard lock(mutex_);
    due_.emplace_back([this, owner, step = std::move(step)] {
        Guarded(kFile, "Lockbury::StoreWorker::Later", step);
        Finished(owner);
    });
}

void StoreWorker::OnGameThread(const std::function<void()>& step) {
    if (std::this_thread::get_id() != thread_.get_id()) {
        step();
        return;
    }
    std::promise<void> ran;
    std::future<void> done = ran.get_future();
    {
        std::lock_guard lock(mutex_);
        due_.emplace_back([&] {
            Guarded(kFile, "Lockbury::StoreWorker::OnGameThread", step);
            ran.set_value();
        });
    }
    gameWake_.notify_all();
    done.wait();
}

void StoreWorker::Tick() {
    // One at a time: what runs may hand over more work, or (through the waited store) wait and
    // tick itself. What it posts for later waits for the next tick.
    std::size_t count = 0;
    {
        std::lock_guard lock(mutex_);
        count = due_.size();
    }
    for (; count > 0; --count) {
        std::function<void()> next;
        {
            std::lock_guard lock(mutex_);
            if (due_.empty()) return;
            next = std::move(due_.front());
            due_.pop_front();
        }
        next();
    }
}

bool StoreWorker::TickUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point until) {
    for (;;) {
        Tick();
        if (done()) return true;
        std::unique_lock lock(mutex_);
        if (due_.empty()) {
            if (until == std::chrono::steady_clock::time_point::max()) {
                gameWake_.wait(lock);
            } else if (gameWake_.wait_until(lock, until) == std::cv_status::timeout && due_.empty()) {
                return false;
            }
        }
    }
}

void StoreWorker::Drain() {
    if (!thread_.joinable()) return;
    TickUntil([this] { return inFlight_.empty(); }, std::chrono::steady_clock::time_point::max());
}

void StoreWorker::Stop() {
    if (!thread_.joinable()) return;
    Drain();
    {
        std::lock_guard lock(mutex_);
        ending_ = true;
    }
    wake_.notify_one();
    thread_.join();
}

void StoreWorker::Loop() {
    YieldToTheGameThread();
    for (;;) {
        Job job;
        {
            std::unique_lock lock(mutex_);
            wake_.wait(lock, [this] { return ending_ || !jobs_.empty(); });
            if (jobs_.empty()) return;
            job = std::move(jobs_.front());
            jobs_.pop_front();
        }
        Outcome outcome;
        Guarded(kFile, "Lockbury::StoreWorker::Loop", [&] { outcome = job.work(*store_); });
        {
            std::lock_guard lock(mutex_);
            due_.emplace_back([this, owner = job.owner, outcome = std::move(outcome)] {
                if (outcome) Guarded(kFile, "Lockbury::StoreWorker::Tick", outcome);
                Finished(owner);
            });
        }
        gameWake_.notify_all();
    }
}

void StoreWorker::Finished(std::uint64_t owner) {
    auto found = inFlight_.find(owner);
    if (found != inFlight_.end() && --found->second == 0) inFlight_.erase(found);
}

std::unique_ptr<StoreWorker>& storeWorker() {
    static std::unique_ptr<StoreWorker> worker;
    return worker;
}

}  // namespace Lockbury
