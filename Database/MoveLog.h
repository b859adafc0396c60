#pragma once
// The texts of the move log's statements. u_vault_log keeps one row per vault move (a save, a
// load, an administrator's take, a decay), u_vault_log_items what each move carried: item names
// with their counts and resource quantities. A move of this plugin writes its record in the
// move's own transaction; decays and every other deletion that is not a Lockbury move are
// recorded by a trigger on u_vault, so the decay event stays the cluster's shared one. Only texts
// here; MySql runs them.
#include <cstdint>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "Database/MoveRecord.h"
#include "Database/StoreResults.h"
#include "Database/VaultRow.h"

class MoveLogStatements {
public:
    // Makes a text safe between single quotes for the connection the statement runs on (its
    // character set and sql_mode, NO_BACKSLASH_ESCAPES included).
    using Escape = std::function<std::string(const std::string&)>;
    // The server's name for the record, as configured.
    MoveLogStatements(std::string server, Escape escape) : server_(std::move(server)), escape_(std::move(escape)) {}

    static std::string CreateLog();
    static const char* CreateItems();
    // The session variable that marks a connection as a Lockbury server's: the trigger leaves
    // its deletions alone, since each move records itself.
    std::string MarkSession() const;
    // Whether a move's record exists: the question that settles a move whose COMMIT answer was lost.
    static std::string RecordExists(std::uint64_t logId);

    // The trigger that records deletions made outside a Lockbury move: "decay" when the row was
    // due (older than decayMinutes), "removed" otherwise. One record per session, second, player
    // and vault; its items summed by class.
    static const char* TriggerName() { return "u_vault_log_removed"; }
    static std::string TriggerBody(int decayMinutes);
    static std::vector<std::string> CreateTrigger(int decayMinutes);
    static std::string ReadTrigger();

    // The event that prunes records older than logDays, in short batches; none with 0.
    static const char* PruneEventName() { return "Vault_Log_Prune"; }
    static std::string PruneBody(int logDays);
    static std::vector<std::string> CreatePruneEvent(int logDays);
    static std::string ReadPruneEvent();
    static std::string DropPruneEvent();

    // A save's record: the entry, then its items from the rows written (no read).
    std::string SaveEntry(std::uint64_t steamid, const std::string& vault, std::size_t rows, std::int64_t at) const;
    std::string SavedItems(const std::vector<VaultRow>& rows) const;
    // A load's (or a take's) record: the entry, then what each row gave, from the rows as the
    // claim read them (no read of its own).
    struct ClaimedRow {
        std::string itemname;
        std::int64_t quantity = 1;  // an item row holds one item
    };
    using Claimed = std::map<std::int32_t, ClaimedRow>;
    std::string LoadEntry(const ClaimOutcome& outcome, std::uint64_t steamid, const std::string& vault,
                          std::int64_t at) const;
    std::string LoadedItems(const ClaimOutcome& outcome, const Claimed& rows) const;
    // Rows of a save deleted again because their items stayed in the inventory: entry and items,
    // read from the rows.
    std::string ReturnedEntry(const std::vector<std::int32_t>& ids, std::int64_t at) const;
    static std::string ReturnedItems(const std::vector<std::int32_t>& ids);

    // The player's last moves, newest first: id, at, server, vault, kind, rows, by, summary.
    static std::string Read(std::uint64_t steamid, std::int32_t limit);

private:
    std::string Literal(const std::string& text) const {
        // Appended, not "'" + ...: GCC 12 at -O3 reports a false -Wrestrict for a literal
        // joined to a temporary string, which fails the -Werror build of scripts/bench.
        std::string literal(1, '\'');
        literal += escape_(text);
        literal += '\'';
        return literal;
    }
    std::string ItemValues(const std::map<std::string, std::int64_t>& quantities) const;

    std::string server_;
    Escape escape_;
};
