// The world save, as the journal sees it: just before the game writes the world, every move
// journaled so far may be in the file; once the game wrote it, they are, and the journal drops
// them. The game's save always runs, whatever the database does.
#include "Private/CrashSafety/Hooks.h"
#include "Private/CrashSafety/State.h"
#include "Private/Plugin/HandlerGuard.h"
#include "Private/Vault/Store.h"
#include "Private/Vault/StoreWorker.h"

namespace Lockbury::CrashSafety {

SaveWorldFn AShooterGameMode_SaveWorld_game = nullptr;

namespace {

constexpr const char* kFile = "Private/CrashSafety";
constexpr const char* kFunction = "Lockbury::CrashSafety::Hook_AShooterGameMode_SaveWorld";

// The world's time before a save the journal takes part in; nothing when it takes no part.
std::optional<std::int64_t> BeforeSave(AShooterGameMode* mode) {
    State& s = state();
    if (!s.enabled || !mode) return std::nullopt;
    const std::int64_t before = WorldTime(mode);
    if (!s.restoredAt) s.restoredAt = before;
    // Without the recovery no move happened, and the world written now is the restored one as far
    // as the vault goes: the recovery, whenever it runs, weighs the world the server started with.
    if (!s.recovered && !Recover()) return std::nullopt;
    IDatabase* store = database();
    if (!store) return std::nullopt;
    // A failure is logged by the store; the save is still recorded after it, which is right
    // whenever the record goes through.
    store->WorldSaveStarting(before);
    s.unrecorded.reset();  // this save supersedes one not recorded
    return before;
}

void AfterSave(AShooterGameMode* mode, std::int64_t before) {
    const std::int64_t savedAt = WorldTime(mode);
    // The game wrote nothing: the world on disk is the one recorded before.
    if (savedAt == before) return;
    IDatabase* store = database();
    if (!store || !store->WorldSaved(savedAt)) state().unrecorded = savedAt;
}

}  // namespace

bool SaveWorldForUnload(AShooterGameMode* mode) {
    IDatabase* store = database();
    const std::int64_t before = WorldTime(mode);
    // Without the mark, a world saved whose record then failed would be taken for an unknown one.
    if (!store || !store->WorldSaveStarting(before)) return false;
    state().unrecorded.reset();
    AShooterGameMode_SaveWorld_game(mode);
    AfterSave(mode, before);
    return WorldTime(mode) != before;
}

void RetryWorldSaveRecord() {
    State& s = state();
    IDatabase* store = database();
    if (s.unrecorded && store && store->WorldSaved(*s.unrecorded)) s.unrecorded.reset();
}

void Hook_AShooterGameMode_SaveWorld(AShooterGameMode* mode) {
    std::optional<std::int64_t> before;
    Guarded(kFile, kFunction, [&] {
        // The world written must hold every move the journal will say it holds: the moves in
        // flight end first (with a store thread, the one wait of the game thread on the store
        // left, beside the game's own stall for the write).
        if (storeWorker()) storeWorker()->Drain();
        before = BeforeSave(mode);
    });
    AShooterGameMode_SaveWorld_game(mode);
    if (before) Guarded(kFile, kFunction, [&] { AfterSave(mode, *before); });
}

}  // namespace Lockbury::CrashSafety
