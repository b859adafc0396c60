// The host's view of the running game: world, folder, clock, and the faults that escaped into it.
#include "HostState.h"

#include <atomic>
#include <mutex>

namespace {

struct State {
    std::mutex mutex;
    std::atomic<UWorld*> world{nullptr};
    std::string currentDir;
    std::atomic<std::int64_t> clockOffset{0};
    std::atomic<std::int64_t> frozenAt{0};  // 0: the real clock runs
    std::vector<std::string> escaped;
};

State& Get() {
    static State state;
    return state;
}

}  // namespace

namespace HostRuntime {

void SetWorld(UWorld* world) { Get().world = world; }

void SetCurrentDir(const std::string& dir) {
    std::lock_guard lock(Get().mutex);
    Get().currentDir = dir;
}

void SetClockOffset(std::int64_t seconds) { Get().clockOffset = seconds; }
std::int64_t ClockOffset() { return Get().clockOffset; }
void SetFrozenClock(std::int64_t at) { Get().frozenAt = at; }

void RecordEscapedError(const std::string& text) {
    std::lock_guard lock(Get().mutex);
    Get().escaped.push_back(text);
}

std::vector<std::string> EscapedErrors() {
    std::lock_guard lock(Get().mutex);
    return Get().escaped;
}

void ClearEscapedErrors() {
    std::lock_guard lock(Get().mutex);
    Get().escaped.clear();
}

}  // namespace HostRuntime

namespace ArkApi {

UWorld* IApiUtils::GetWorld() { return Get().world; }

IApiUtils& GetApiUtils() {
    static IApiUtils utils;
    return utils;
}

namespace Tools {

std::string GetCurrentDir() {
    std::lock_guard lock(Get().mutex);
    return Get().currentDir;
}

std::u16string Utf8Decode(const std::string& text) { return Utf::Utf8ToUtf16(text); }

std::time_t GetTime() {
    const std::int64_t frozen = Get().frozenAt.load();
    const std::time_t base = frozen != 0 ? static_cast<std::time_t>(frozen) : std::time(nullptr);
    return base + static_cast<std::time_t>(Get().clockOffset.load());
}

}  // namespace Tools
}  // namespace ArkApi
