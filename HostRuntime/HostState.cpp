// The host's view of the running game: world, folder, clock, and the faults that escaped into it.
#include "HostState.h"

#include <atomic>
#include <chrono>
#include <ctime>
#include <mutex>

namespace {

struct State {
    std::mutex mutex;
    std::atomic<UWorld*> world{nullptr};
    std::atomic<AShooterGameMode*> gameMode{nullptr};
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
void SetGameMode(AShooterGameMode* mode) { Get().gameMode = mode; }

std::time_t WallClock() {
    const std::int64_t frozen = Get().frozenAt.load();
    const auto now = std::chrono::system_clock::to_time_t(std::chrono::system_clock::now());
    return (frozen != 0 ? static_cast<std::time_t>(frozen) : now) + static_cast<std::time_t>(Get().clockOffset.load());
}

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

UWorld* IApiUtils::GetWorld() const { return Get().world; }
AShooterGameMode* IApiUtils::GetShooterGameMode() const { return Get().gameMode; }

IApiUtils& GetApiUtils() {
    static IApiUtils utils;
    return utils;
}

namespace Tools {

std::string GetCurrentDir() {
    std::lock_guard lock(Get().mutex);
    return Get().currentDir;
}

std::string Utf8Encode(const std::wstring& wstr) { return Utf::WideToUtf8(wstr); }
std::wstring Utf8Decode(const std::string& str) { return Utf::Utf8ToWide(str); }

}  // namespace Tools
}  // namespace ArkApi

// The plugin reads the wall clock with the C library's time(), as on a live server. Its library is
// linked with --wrap (Private/CMakeLists.txt), so that those calls land here, where the
// simulator's shift and freeze apply; nothing in the plugin's sources knows.
extern "C" ARK_HOST_API std::time_t __wrap_time(std::time_t* out) {  // NOLINT(bugprone-reserved-identifier)
    const std::time_t now = HostRuntime::WallClock();
    if (out) *out = now;
    return now;
}
#if defined(_WIN32)
// mingw's time() is an inline call of _time64.
extern "C" ARK_HOST_API __time64_t __wrap__time64(__time64_t* out) {  // NOLINT(bugprone-reserved-identifier)
    const auto now = static_cast<__time64_t>(HostRuntime::WallClock());
    if (out) *out = now;
    return now;
}
#endif
