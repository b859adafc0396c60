#pragma once
// The texts of the crash-safety journal's statements. The journal keeps this server's vault
// moves that no completed world save covers yet (u_vault_journal, one row per move;
// u_vault_journal_rows, the vault rows of each move; u_vault_journal_items, the inventory items a
// load's rows became), and u_vault_world the last world save the server completed: its time, the
// journal entry it covers up to, and the entry a save started but not known to be finished would
// cover. Only texts here; MySql runs them.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "Database/StoreResults.h"
#include "Database/VaultRow.h"

class JournalStatements {
public:
    // Makes a text safe between single quotes for the connection the statement runs on.
    using Escape = std::function<std::string(const std::string&)>;
    // The server id as configured; it is escaped where a statement takes it.
    JournalStatements(std::string serverId, Escape escape) : server_(std::move(serverId)), escape_(std::move(escape)) {}

    struct Table {
        const char* name;
        std::string create;  // IF NOT EXISTS
    };
    static const std::vector<Table>& Tables();

    // One move: "save", "load" or "unwind". The vault name is escaped already.
    std::string Entry(const char* kind, std::uint64_t steamid, const std::string& vault, std::int64_t at) const;
    // A save's rows: the head, then one value per row, joined with commas.
    static const char* SavedRowsHead();
    static std::string SavedRow(std::int64_t journalId, std::int32_t rowId, const VaultRow& row);
    // A load's rows, copied whole by the server from the rows it is about to delete or shrink.
    static std::string LoadedRows(std::int64_t journalId, const ClaimOutcome& outcome);
    // The items a load's rows became: the head, then one value per stack, joined with commas.
    static const char* GivenStacksHead();
    static std::string GivenStackValue(std::int64_t journalId, const GivenStack& stack);
    // The rows of this server's saves that are deleted again (their items stayed in the inventory).
    std::string ForgetSavedRows(const std::vector<std::int32_t>& rowIds) const;

    // u_vault_world: this server's record, and its two writes.
    std::string World() const;
    std::string Pending(std::int64_t worldNow, std::int64_t journalHigh) const;
    std::string Covered(std::int64_t savedAt, std::int64_t covered) const;
    // The entries at or below the watermark but unwinds still to apply: the moves, and the
    // unwinds applied before the world holding them was saved.
    std::vector<std::string> DropCovered(std::int64_t watermark) const;
    // Unwinds applied after the restored world was saved: the world does not hold what they did,
    // so they are applied again.
    std::string ReopenApplied(std::int64_t watermark) const;
    // An unwind applied at a join becomes an "applied" entry with a new id: a place in the
    // journal that world saves cover like a move's.
    static std::string ApplyUnwind(std::int64_t journalId);
    static std::string MoveRows(std::int64_t from, std::int64_t to);
    static std::string DropEntryOnly(std::int64_t journalId);

    // Recovery: the moves above the watermark, newest first; what the server still has to undo.
    std::string MovesAbove(std::int64_t watermark) const;
    std::string Unwinds() const;
    static std::string EntryKind(std::int64_t journalId);
    // A load undone: the quantities given go back into rows still there, rows gone come back
    // whole with their own id and time; then the entry goes. What a later save's unwind claims
    // (id -> quantity; an item row's whole item) is not put back: that item went on into a
    // vault and was taken elsewhere, so the restored world's share of it is the vault row's.
    using Claimed = std::map<std::int32_t, std::int64_t>;
    std::string ClaimedByUnwinds(std::int64_t journalId) const;
    static std::string RestoreQuantities(std::int64_t journalId, const Claimed& claimed);
    static std::string RestoreRows(std::int64_t journalId, const Claimed& claimed);
    static std::vector<std::string> DropEntry(std::int64_t journalId);
    // The unwind rows a load undone settled, and the unwinds left without a row.
    static std::string DropUnwindRows(const std::vector<std::pair<std::int64_t, std::int32_t>>& rows);
    static std::string DropEmptyUnwinds(const std::vector<std::int64_t>& journalIds);
    // A save undone. Its rows whose item a load undone with it made (above the watermark) are
    // settled now: a row still as saved is deleted with its journal row (the load's row comes
    // back instead). Every other row waits, as an unwind, for its player's next join: only the
    // restored character tells whether the world holds the item. An entry left with no row goes.
    std::string TakeBackLoadedItems(std::int64_t journalId, std::int64_t watermark) const;
    static std::string KeepAsUnwind(std::int64_t journalId);
    static std::string DropSave(std::int64_t journalId);
    // An unwind settled at a join, for the rows whose items the restored character holds: rows
    // still as saved are deleted with their journal rows (the item stays with the character);
    // those left are the items that must leave it.
    static std::string KeepHeldItems(std::int64_t journalId, const std::vector<std::int32_t>& rowIds);
    static std::string RowsLeft(std::int64_t journalId, const std::vector<std::int32_t>& rowIds);

private:
    std::string Server() const { return escape_(server_); }

    std::string server_;
    Escape escape_;
};
