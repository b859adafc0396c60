#pragma once
// The vault store as the commands see it: only moves that write their move-log record, and
// reads. Operations never throw; they tell a failure apart from an empty answer, and a move from
// a move whose outcome is unknown.
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "Database/MoveRecord.h"
#include "Database/StoreResults.h"
#include "Database/StoredRow.h"
#include "Database/VaultItem.h"
#include "Database/VaultList.h"
#include "Database/VaultRow.h"
#include "Host/ArkApi.h"

class IDatabase {
public:
    virtual ~IDatabase() = default;
    // Writes all the rows into one vault in one transaction, with their move-log record, or none
    // of them. Committed gives the new rows' ids in the order of rows; Unknown means the answer
    // to the COMMIT was lost and could not be settled.
    virtual RowsWritten AddVaultRows(std::uint64_t steamid, const FString& vaultname,
                                     const std::vector<VaultRow>& rows) = 0;
    // Deletes these rows of one save, whose items stayed in the inventory, with their move-log
    // record (and their journal rows, with a journal) in one transaction; true when it happened.
    virtual bool DeleteVaultRows(const std::vector<std::int32_t>& ids) = 0;

    // A load, in three steps. ClaimVaultItems opens a transaction and locks at most limit rows
    // of the vault, so no other server can give them. When it succeeds with rows, exactly one
    // of SettleClaim or ReleaseClaim must follow; with no rows or on failure nothing is open.
    virtual VaultRead<VaultItem> ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) = 0;
    // Deletes the rows given whole, keeps the remainder of resource rows given in part, and
    // commits. Rows neither given nor changed stay as they were.
    virtual Settlement SettleClaim(const ClaimOutcome& outcome) = 0;
    // Ends the claim without changing any row.
    virtual void ReleaseClaim() = 0;

    // The player's vaults, or a failure.
    virtual VaultRead<VaultList> ReadVaultList(std::uint64_t steamid) = 0;
    // For administrators: at most limit rows of one vault, oldest first, without their bytes; and
    // the player's last moves from the move log, newest first.
    virtual VaultRead<StoredRow> ReadVaultRows(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) = 0;
    virtual VaultRead<MoveRecord> ReadMoveLog(std::uint64_t steamid, std::int32_t limit) = 0;

    // False (and logged as the operation's failure) while the store waits out its pause after a
    // failed connect, when any operation would fail at once: a command asks before it does
    // work of its own for nothing. Sends no statement.
    virtual bool ReadyToTry(const char* operation) = 0;

    // Crash safety. A store without a journal answers these at once, as done, without a statement.
    // At start, before any move: undoes this server's journaled moves the world does not hold.
    // Safe to run again after a failure.
    virtual JournalRecovery RecoverJournal(const RestoredWorld& world) = 0;
    // Just before the game writes the world (worldNow: the in-memory world's last save time):
    // marks the moves journaled so far as possibly in the file about to be written.
    virtual bool WorldSaveStarting(std::int64_t worldNow) = 0;
    // Once the game wrote the world saved at savedAt: the moves (and unwinds applied) journaled
    // before the last WorldSaveStarting are in the world, so the journal forgets them. Safe to
    // call again for the same save after a failure.
    virtual bool WorldSaved(std::int64_t savedAt) = 0;
    // Settles an unwind at its player's join, for the rows whose items the restored character
    // holds: in one transaction, the rows still as saved leave the vault, and the unwind is
    // journaled as applied (a world save after it drops it; a crash before that reopens it). The
    // rows answered are the others, whose items must leave the character. Nothing on failure.
    virtual std::optional<std::vector<std::int32_t>> SettleUnwind(std::int64_t journalId,
                                                                  const std::vector<std::int32_t>& heldRows) = 0;
    // Whether this store journaled moves that no world save it recorded covers. No statement.
    virtual bool JournalUncovered() const = 0;
};
