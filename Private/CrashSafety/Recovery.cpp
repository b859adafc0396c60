// Crash safety over one load of the plugin: which world the server started with, the recovery
// that must run before any vault command, and its retries.
#include <cmath>

#include "Private/Config/Config.h"
#include "Private/CrashSafety/CrashSafety.h"
#include "Private/CrashSafety/State.h"
#include "Private/Plugin/Log.h"
#include "Private/Vault/Store.h"

namespace Lockbury::CrashSafety {
namespace {

constexpr const char* kFile = "Private/CrashSafety";

std::chrono::seconds RetryInterval() { return std::chrono::seconds(ConfigInt("reconnectInterval", 30)); }

}  // namespace

State& state() {
    static State current;
    return current;
}

std::int64_t WorldTime(AShooterGameMode* mode) { return std::llround(mode->LastSaveWorldTimeField() * 1e6); }

bool Recover() {
    State& s = state();
    AShooterGameMode* mode = ArkApi::GetApiUtils().GetShooterGameMode();
    if (!s.restoredAt && mode) s.restoredAt = WorldTime(mode);
    IDatabase* store = database().get();
    s.nextTry = std::chrono::steady_clock::now() + RetryInterval();
    if (!s.restoredAt || !store) {
        LogAt(spdlog::level::warn, {kFile, "Lockbury::CrashSafety::Recover"},
              "Crash safety: the world is not there yet; the vault commands wait for the recovery");
        return false;
    }
    JournalRecovery recovery = store->RecoverJournal({*s.restoredAt, mode ? WorldTime(mode) : *s.restoredAt});
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
    Recover();
}

void Stop() {
    try {
        State& s = state();
        IDatabase* store = database().get();
        AShooterGameMode* mode = ArkApi::GetApiUtils().GetShooterGameMode();
        if (s.enabled && s.recovered && store && store->JournalUncovered() && mode && !SaveWorldForUnload(mode)) {
            LogAt(spdlog::level::err, {kFile, "Lockbury::CrashSafety::Stop"},
                  "Crash safety: the world could not be saved before the plugin unloads; the vault moves since the "
                  "last world save are undone at the next load");
        }
    } catch (const std::exception& error) {
        LogAt(spdlog::level::err, {kFile, "Lockbury::CrashSafety::Stop"}, "Unexpected error {}", error.what());
    }
    state() = State{};
}

bool VaultReady(AShooterPlayerController* player) {
    State& s = state();
    if (!s.enabled) return true;
    if (!s.recovered) {
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
