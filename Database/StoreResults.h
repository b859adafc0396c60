#pragma once
// What the store's move and read operations answer: a failure is never an empty answer.
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "Host/ArkApi.h"

// The outcome of a write whose COMMIT was sent. Unknown: its answer was lost and the database
// could not be asked afterwards, so it may or may not have happened.
enum class Settlement { Committed, RolledBack, Unknown };

struct RowsWritten {
    Settlement settlement = Settlement::RolledBack;
    std::vector<std::int32_t> ids;  // of the stored rows, in the order they were given; when Committed
};

// Rows read, or a failure to read them (the database did not answer, or refused the statement).
template <typename Record>
struct VaultRead {
    bool failed = false;
    TArray<std::shared_ptr<Record>> records;
};

// An inventory item a load made from a row (a resource row may make several stacks).
struct GivenStack {
    std::int32_t rowId = 0;
    std::uint32_t itemId1 = 0;
    std::uint32_t itemId2 = 0;
    std::int32_t quantity = 0;
};

// Who moved rows, for the move log: the player's own save or load, or an administrator's take.
enum class MoveKind { Save, Load, Admin };

// What a load did with the rows it claimed.
struct ClaimOutcome {
    std::vector<std::int32_t> taken;  // given whole: delete
    std::vector<std::pair<std::int32_t, std::int32_t>> remainders;  // resource rows given in part: id, quantity left
    // The items the rows became, for the crash-safety journal: a load undone must not put back a
    // row whose item went on into a vault and was taken elsewhere.
    std::vector<GivenStack> given;
    MoveKind kind = MoveKind::Load;
    std::uint64_t by = 0;  // the administrator who took the vault (MoveKind::Admin)
};

// The world the server started with, as the crash-safety recovery weighs it. Times are the
// game's LastSaveWorldTime in microseconds (0: the server started without a saved world).
struct RestoredWorld {
    std::int64_t restoredAt = 0;  // of the world the server started with
    // Of the world on disk now: a world save may have run before the recovery could, writing
    // the restored world again under a new time.
    std::int64_t savedAt = 0;
    // False when the game did not say when the world it started with was saved (it may not
    // restore that time from the save file): which of this server's saves it is cannot be known.
    bool restoredKnown = true;
};

// A save undone at a restart whose items only the restored character can settle, at the
// player's next join: an item it holds keeps its place there (its row leaves the vault), unless
// the row is no longer as saved (taken by a load elsewhere, or decayed): then the item leaves the
// character. An item it does not hold (made after the world save) stays in the vault.
struct UnwindItem {
    std::int32_t rowId = 0;
    std::uint32_t itemId1 = 0;
    std::uint32_t itemId2 = 0;
    friend bool operator==(const UnwindItem&, const UnwindItem&) = default;
};
struct Unwind {
    std::int64_t journalId = 0;
    std::uint64_t steamId = 0;
    std::vector<UnwindItem> items;
};

// What the recovery did; not done when the database failed on the way (it is safe to run again).
struct JournalRecovery {
    bool done = false;
    std::vector<Unwind> unwinds;  // every unwind of this server still to apply
};
