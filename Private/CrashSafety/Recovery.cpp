// Crash safety over one load of the plugin: which world the server started with, the recovery
// that must run before any vault command, and its retries.
#include <cstdint>
#include <cstring>

#include "Private/Config/Config.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/CrashSafety/State.h"
#include "Private/Plugin/Log.h"
#include "Private/Vault/Store.h"

namespace Lockbury::CrashSafety {
namespace {

constexpr const char* kFile = "Private/CrashSafety";
constexpr const wchar_t* kTimerId = L"Lockbury.CrashSafety.Recovery";

std::chrono::seconds RetryInterval() { return std::chrono::seconds(ConfigInt("reconnectInterval", 30)); }

}  // namespace

State& state() {
    static State current;
    return current;
}

std::int64_t WorldTime(AShooterGameMode* mode) {
    // UE4's FDateTime is one int64 of 100 ns ticks since 0001-01-01; the framework declares the
    // struct without it, so the ticks are read from the field's first eight bytes.
    constexpr std::int64_t kTicksAt1970 = 621355968000000000;
    std::int64_t ticks = 0;
    std::memcpy(&ticks, &mode->LastSaveWorldTimeField(), sizeof ticks);
    return ticks == 0 ? 0 : (ticks - kTicksAt1970) / 10;
}

bool Recover() {
    State& s = state();
    AShooterGameMode* mode = ArkApi::GetApiUtils().GetShooterGameMode();
    if (!s.restoredAt && mode) s.restoredAt = WorldTime(mode);
    IDatabase* store = database();
    s.nextTry = std::chrono::steady_clock::now() + RetryInterval();
    if (!s.restoredAt || !store) return false;
    const std::int64_t now = mode ? WorldTime(mode) : *s.restoredAt;
    JournalRecovery recovery = store->RecoverJournal({*s.restoredAt, now, *s.restoredAt != 0});
    if (!recovery.done) return false;
    s.recovered = true;
    s.unwinds = std::move(recovery.unwinds);
    return true;
}

void Start() {
    State& s = state();
    s = State{};
    s.enabled = CrashSafeConfigured();
    if (!s.enabled) return;
    // At a server start the plugin loads before the game made its game mode, whose save time
    // tells which world the server runs: the recovery waits for it, checked once a second. A
    // reload finds it there and recovers at once.
    if (ArkApi::GetApiUtils().GetShooterGameMode()) {
        Recover();
    } else {
        LogAt(spdlog::level::info, {kFile, "Lockbury::CrashSafety::Start"},
              "Crash safety: the recovery runs once the game has made its game mode; the vault commands wait for it");
    }
    ArkApi::GetCommands().AddOnTimerCallback(kTimerId, [] {
        State& current = state();
        if (!current.enabled || current.recovered || !ArkApi::GetApiUtils().GetShooterGameMode()) return;
        if (std::chrono::steady_clock::now() >= current.nextTry) Recover();
    });
}

void Stop() {
    try {
        State& s = state();
        IDatabase* store = database();
        AShooterGameMode* mode = ArkApi::GetApiUtils().GetShooterGameMode();
        if (s.enabled && s.recovered && store && store->JournalUncovered() && mode && !SaveWorldForUnload(mode)) {
            LogAt(spdlog::level::err, {kFile, "Lockbury::CrashSafety::Stop"},
                  "Crash safety: the world could not be saved before the plugin unloads; the vault moves since the "
                  "last world save are undone at the next load");
        }
    } catch (const std::exception& error) {
        LogAt(spdlog::level::err, {kFile, "Lockbury::CrashSafety::Stop"}, "Unexpected error {}", error.what());
    }
    if (state().enabled) ArkApi::GetCommands().RemoveOnTimerCallback(kTimerId);
    state() = State{};
}

bool VaultReady(AShooterPlayerController* player) {
    State& s = state();
    if (!s.enabled) return true;
    if (!s.recovered) {
        if (!ArkApi::GetApiUtils().GetShooterGameMode()) {
            LogAt(spdlog::level::warn, {kFile, "Lockbury::CrashSafety::VaultReady"},
                  "Crash safety: the game has not made its game mode yet, so the recovery has not run; the vault "
                  "commands answer storeUnavailable");
            return false;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now < s.nextTry) {
            LogAt(spdlog::level::warn, {kFile, "Lockbury::CrashSafety::VaultReady"},
                  "Crash safety: the recovery has not run yet (next attempt in {} s); the vault commands answer "
                  "storeUnavailable",
                  std::chrono::duration_cast<std::chrono::seconds>(s.nextTry - now).count() + 1);
            return false;
        }
        if (!Recover()) return false;
    }
    RetryWorldSaveRecord();
    // An item that must leave this player's restored character must not go into a vault first.
    ApplyUnwinds(player);
    return true;
}

}  // namespace Lockbury::CrashSafety
