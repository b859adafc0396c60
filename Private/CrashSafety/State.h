#pragma once
// What crash safety knows during one load of the plugin; the game thread alone uses it.
#include <chrono>
#include <cstdint>
#include <optional>
#include <vector>

#include "Database/StoreResults.h"
#include "Host/ArkApi.h"

namespace Lockbury::CrashSafety {

struct State {
    bool enabled = false;
    bool recovered = false;
    // LastSaveWorldTime of the world the server started with, once the game mode was there; 0
    // when the game gave none (a world never saved, or a time the game does not restore).
    std::optional<std::int64_t> restoredAt;
    std::chrono::steady_clock::time_point nextTry;  // no recovery attempt before this
    std::vector<Unwind> unwinds;  // still to apply, at their player's next join or vault command
    // A completed world save the database did not take: recorded again at the next vault
    // command, unless a later world save supersedes it.
    std::optional<std::int64_t> unrecorded;
};
State& state();

// LastSaveWorldTime of the game mode, in microseconds since 1970 (as the journal keeps world
// times); 0 when the game mode holds none.
std::int64_t WorldTime(AShooterGameMode* mode);
// Runs the recovery now; true when it is done (Recovery.cpp).
bool Recover();
// Applies the player's unwinds (JoinHook.cpp).
void ApplyUnwinds(AShooterPlayerController* player);
// Records a world save the database did not take the first time (WorldSaveHook.cpp).
void RetryWorldSaveRecord();
// Saves the world with the journal's steps around it, when the database took the first one.
bool SaveWorldForUnload(AShooterGameMode* mode);

}  // namespace Lockbury::CrashSafety
