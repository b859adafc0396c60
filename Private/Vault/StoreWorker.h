#pragma once
// Where the store's work runs. Without a thread ("storeThread" false) the work and then its outcome
// run at once, in the caller, on the game thread: the server's frame waits for the database. With
// one, the store thread alone uses the store: the game thread hands it work and goes on, and the
// work's outcome runs on the game thread at a later tick. A move hands its player over as its
// owner; the player's next vault command is refused until the move's last outcome has run.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <thread>

#include "Database/IDatabase.h"

namespace Lockbury {

class StoreWorker {
public:
    using Outcome = std::function<void()>;
    using Work = std::function<Outcome(IDatabase&)>;

    StoreWorker(std::unique_ptr<IDatabase> store, bool threaded);
    // Without Stop (a library freed by the system at process exit, under the loader lock), the
    // thread is left to the process's end: joining it there would deadlock.
    ~StoreWorker();
    StoreWorker(const StoreWorker&) = delete;
    StoreWorker& operator=(const StoreWorker&) = delete;

    bool Threaded() const { return threaded_; }
    // The store as game-thread code may call it: the store itself, or, with a thread, one whose
    // every call runs on the store thread while the game thread waits.
    IDatabase& Waited() { return thread_.joinable() ? *waitedFace_ : *store_; }

    // Game thread. Whether a move of this owner has not yet run its last outcome.
    bool InFlight(std::uint64_t owner) const { return inFlight_.contains(owner); }
    // Game thread. Hands work over; owner 0 is nobody's. An outcome may submit more for its owner.
    void Submit(std::uint64_t owner, Work work);
    // Game thread: runs the step at the next tick (at once without a thread), the owner's move in
    // flight until it ran: work spread over frames.
    void Later(std::uint64_t owner, std::function<void()> step);
    // Store thread, from inside work: runs the step on the game thread and waits for it. Without a
    // thread, or once the game thread no longer ticks for it, it runs at once.
    void OnGameThread(const std::function<void()>& step);
    // Game thread, once a frame: the outcomes and steps that are due (not those they post).
    void Tick();
    // Game thread: ticks until no work is in flight (a world save, an unload).
    void Drain();
    // Game thread: runs work on the store thread and waits at most `limit` for it; nothing when
    // the time ran out (the work still runs; its answer is dropped).
    template <typename T>
    std::optional<T> Call(std::function<T(IDatabase&)> work,
                          std::chrono::milliseconds limit = std::chrono::milliseconds::max());
    // Game thread: drains, then ends the thread. Work submitted after it runs at once.
    void Stop();

private:
    struct Job {
        std::uint64_t owner = 0;
        Work work;
    };
    void Loop();
    // Game thread: waits until done() holds, ticking meanwhile; false when `until` passed first.
    bool TickUntil(const std::function<bool()>& done, std::chrono::steady_clock::time_point until);
    void Finished(std::uint64_t owner);

    std::unique_ptr<IDatabase> store_;
    std::unique_ptr<IDatabase> waitedFace_;  // with a thread: the waiting one
    bool threaded_;
    std::map<std::uint64_t, int> inFlight_;  // game thread only

    mutable std::mutex mutex_;
    std::condition_variable wake_;  // the store thread: a job, or the end
    std::condition_variable gameWake_;  // a waiting game thread: something to run
    std::deque<Job> jobs_;  // for the store thread
    std::deque<std::function<void()>> due_;  // for the game thread: outcomes and steps
    bool ending_ = false;
    std::thread thread_;
};

template <typename T>
std::optional<T> StoreWorker::Call(std::function<T(IDatabase&)> work, std::chrono::milliseconds limit) {
    if (!thread_.joinable()) return work(*store_);
    // Shared with the store thread, which may finish after the caller stopped waiting.
    struct Answer {
        std::optional<T> value;
        bool done = false;
    };
    auto answer = std::make_shared<Answer>();
    Submit(0, [answer, work = std::move(work)](IDatabase& store) -> Outcome {
        answer->value = work(store);
        return [answer] { answer->done = true; };
    });
    const auto until = limit == std::chrono::milliseconds::max() ? std::chrono::steady_clock::time_point::max()
                                                                 : std::chrono::steady_clock::now() + limit;
    if (!TickUntil([&] { return answer->done; }, until)) return std::nullopt;
    return std::move(answer->value);
}

// The one store worker of the plugin, made by Load; null until then.
std::unique_ptr<StoreWorker>& storeWorker();

}  // namespace Lockbury
