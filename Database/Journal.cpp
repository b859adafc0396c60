#include "Database/Journal.h"
#include "Database/Text/Format.h"

#include "Database/MoveKinds.h"
#include "Database/StoreLog.h"

namespace {

// Copies of a vault row's columns with the same types, so a row taken by a load comes back
// exactly as it was.
constexpr const char* kCreateJournal =
    "CREATE TABLE IF NOT EXISTS u_vault_journal (id BIGINT NOT NULL AUTO_INCREMENT,server_id VARCHAR(64) NOT "
    "NULL,kind {} NOT NULL,steamid BIGINT UNSIGNED NOT NULL,vaultname VARCHAR(400),at "
    "INT NOT NULL,PRIMARY KEY(id),KEY `server` (`server_id`,`id`))";
constexpr const char* kCreateJournalRows =
    "CREATE TABLE IF NOT EXISTS u_vault_journal_rows (journal_id BIGINT NOT NULL,row_id INT NOT NULL,qtd_before "
    "INT NULL,qtd_after INT NULL,item_id1 INT UNSIGNED NULL,item_id2 INT UNSIGNED NULL,steamid BIGINT(11) "
    "NULL,vaultname varchar(400),itemname varchar(400),itemdata MEDIUMTEXT,blueprint varchar(400),dtinsert "
    "int,KEY `journal` (`journal_id`),KEY `row` (`row_id`))";
constexpr const char* kCreateItems =
    "CREATE TABLE IF NOT EXISTS u_vault_journal_items (journal_id BIGINT NOT NULL,row_id INT NOT NULL,item_id1 INT "
    "UNSIGNED NOT NULL,item_id2 INT UNSIGNED NOT NULL,qtd INT NOT NULL,KEY `journal` (`journal_id`),KEY `item` "
    "(`item_id1`,`item_id2`))";
constexpr const char* kCreateWorld =
    "CREATE TABLE IF NOT EXISTS u_vault_world (server_id VARCHAR(64) NOT NULL,saved_at BIGINT NOT NULL,covered "
    "BIGINT NOT NULL,pending BIGINT NULL,PRIMARY KEY(server_id))";

// The tables of an entry go together; an entry without rows is deleted all the same. One
// single-table DELETE each: a DELETE joining rows with items would meet every pair of them,
// which grows with the square of a load's size and runs while the game waits for a world save.
std::vector<std::string> DropEntriesWhere(const std::string& condition) {
    const std::string entries = "SELECT id FROM u_vault_journal WHERE " + condition;
    return {Formatting::Format("DELETE FROM u_vault_journal_rows WHERE journal_id IN ({})", entries),
            Formatting::Format("DELETE FROM u_vault_journal_items WHERE journal_id IN ({})", entries),
            "DELETE FROM u_vault_journal WHERE " + condition};
}

// What is given back of a load's row: what it gave, less what unwinds claim (never below none).
std::string Restored(const JournalStatements::Claimed& claimed) {
    std::string less = "0";
    if (!claimed.empty()) {
        less = "CASE r.row_id";
        for (const auto& [row, quantity] : claimed) less += Formatting::Format(" WHEN {} THEN {}", row, quantity);
        less += " ELSE 0 END";
    }
    return Formatting::Format("GREATEST(0, r.qtd_before - r.qtd_after - {})", less);
}

// The rows of which nothing is given back: item rows whose item an unwind claims, resource rows
// claimed whole.
std::string NothingBack(const JournalStatements::Claimed& claimed) {
    std::string ids;
    for (const auto& [row, quantity] : claimed) {
        if (!ids.empty()) ids += ',';
        ids += std::to_string(row);
    }
    const std::string notClaimed =
        ids.empty() ? "" : Formatting::Format(" AND NOT (r.qtd_before IS NULL AND r.row_id IN ({}))", ids);
    return Formatting::Format("(r.qtd_before IS NULL OR {} > 0){}", Restored(claimed), notClaimed);
}

}  // namespace

const std::vector<JournalStatements::Table>& JournalStatements::Tables() {
    static const std::vector<Table> tables{{"u_vault_journal", Formatting::Format(kCreateJournal, MoveKinds::Enum(true))},
                                           {"u_vault_journal_rows", kCreateJournalRows},
                                           {"u_vault_journal_items", kCreateItems},
                                           {"u_vault_world", kCreateWorld}};
    return tables;
}

std::string JournalStatements::Entry(const char* kind, std::uint64_t steamid, const std::string& vault,
                                     std::int64_t at) const {
    return Formatting::Format(
        "INSERT INTO u_vault_journal (server_id, kind, steamid, vaultname, at) VALUES ('{}', '{}', {}, '{}', {})", Server(),
        kind, steamid, vault, at);
}

const char* JournalStatements::SavedRowsHead() {
    return "INSERT INTO u_vault_journal_rows (journal_id, row_id, qtd_before, item_id1, item_id2) VALUES ";
}

std::string JournalStatements::SavedRow(std::int64_t journalId, std::int32_t rowId, const VaultRow& row) {
    // The quantity as the row stores it: none for an item row.
    const std::string qtd = row.kind == VaultRow::Kind::Resource ? std::to_string(row.qtd) : "NULL";
    return Formatting::Format("({}, {}, {}, {}, {})", journalId, rowId, qtd, row.itemId1, row.itemId2);
}

std::string JournalStatements::LoadedRows(std::int64_t journalId, const ClaimOutcome& outcome) {
    std::vector<std::int32_t> ids = outcome.taken;
    std::string left = "0";
    if (!outcome.remainders.empty()) {
        left = "CASE id";
        for (const auto& [id, quantity] : outcome.remainders) {
            left += Formatting::Format(" WHEN {} THEN {}", id, quantity);
            ids.push_back(id);
        }
        left += " ELSE 0 END";
    }
    return Formatting::Format(
        "INSERT INTO u_vault_journal_rows (journal_id, row_id, qtd_before, qtd_after, steamid, vaultname, itemname, "
        "itemdata, blueprint, dtinsert) SELECT {}, id, qtd, {}, steamid, vaultname, itemname, itemdata, blueprint, "
        "dtinsert FROM u_vault WHERE id IN ({})",
        journalId, left, StoreLog::IdList(ids));
}

const char* JournalStatements::GivenStacksHead() {
    return "INSERT INTO u_vault_journal_items (journal_id, row_id, item_id1, item_id2, qtd) VALUES ";
}

std::string JournalStatements::GivenStackValue(std::int64_t journalId, const GivenStack& stack) {
    return Formatting::Format("({}, {}, {}, {}, {})", journalId, stack.rowId, stack.itemId1, stack.itemId2, stack.quantity);
}

std::string JournalStatements::ForgetSavedRows(const std::vector<std::int32_t>& rowIds) const {
    return Formatting::Format(
        "DELETE r FROM u_vault_journal_rows r JOIN u_vault_journal j ON j.id = r.journal_id WHERE r.row_id IN ({}) "
        "AND j.server_id = '{}' AND j.kind = 'save'",
        StoreLog::IdList(rowIds), Server());
}

std::string JournalStatements::World() const {
    return Formatting::Format("SELECT saved_at, covered, pending FROM u_vault_world WHERE server_id = '{}'", Server());
}

std::string JournalStatements::Pending(std::int64_t worldNow, std::int64_t journalHigh) const {
    // A server without a record yet gets one that says nothing is covered.
    return Formatting::Format(
        "INSERT INTO u_vault_world (server_id, saved_at, covered, pending) VALUES ('{}', {}, 0, {}) ON DUPLICATE "
        "KEY UPDATE pending = VALUES(pending)",
        Server(), worldNow, journalHigh);
}

std::string JournalStatements::Covered(std::int64_t savedAt, std::int64_t covered) const {
    return Formatting::Format(
        "INSERT INTO u_vault_world (server_id, saved_at, covered, pending) VALUES ('{}', {}, {}, NULL) ON DUPLICATE "
        "KEY UPDATE saved_at = VALUES(saved_at), covered = VALUES(covered), pending = NULL",
        Server(), savedAt, covered);
}

std::vector<std::string> JournalStatements::DropCovered(std::int64_t watermark) const {
    return DropEntriesWhere(Formatting::Format("server_id = '{}' AND id <= {} AND kind <> 'unwind'", Server(), watermark));
}

std::string JournalStatements::ReopenApplied(std::int64_t watermark) const {
    return Formatting::Format(
        "UPDATE u_vault_journal SET kind = 'unwind' WHERE server_id = '{}' AND kind = 'applied' AND id > {}", Server(),
        watermark);
}

std::string JournalStatements::ApplyUnwind(std::int64_t journalId) {
    return Formatting::Format(
        "INSERT INTO u_vault_journal (server_id, kind, steamid, vaultname, at) SELECT server_id, 'applied', steamid, "
        "vaultname, at FROM u_vault_journal WHERE id = {} AND kind = 'unwind'",
        journalId);
}

std::string JournalStatements::MoveRows(std::int64_t from, std::int64_t to) {
    return Formatting::Format("UPDATE u_vault_journal_rows SET journal_id = {} WHERE journal_id = {}", to, from);
}

std::string JournalStatements::DropEntryOnly(std::int64_t journalId) {
    return Formatting::Format("DELETE FROM u_vault_journal WHERE id = {}", journalId);
}

std::string JournalStatements::MovesAbove(std::int64_t watermark) const {
    return Formatting::Format(
        "SELECT id, kind FROM u_vault_journal WHERE server_id = '{}' AND id > {} AND kind IN ({}) ORDER BY id DESC",
        Server(), watermark, MoveKinds::Undone());
}

std::string JournalStatements::Unwinds() const {
    return Formatting::Format(
        "SELECT j.id, j.steamid, r.row_id, r.item_id1, r.item_id2 FROM u_vault_journal j JOIN u_vault_journal_rows r ON "
        "r.journal_id = j.id WHERE j.server_id = '{}' AND j.kind = 'unwind' ORDER BY j.id, r.row_id",
        Server());
}

std::string JournalStatements::EntryKind(std::int64_t journalId) {
    return Formatting::Format("SELECT kind FROM u_vault_journal WHERE id = {}", journalId);
}

std::string JournalStatements::ClaimedByUnwinds(std::int64_t journalId) const {
    // Unwinds newer than the load, of items the load made.
    return Formatting::Format(
        "SELECT i.row_id, u.journal_id, u.row_id, IFNULL(u.qtd_before, i.qtd) FROM u_vault_journal_items i JOIN "
        "u_vault_journal_rows u ON u.item_id1 = i.item_id1 AND u.item_id2 = i.item_id2 JOIN u_vault_journal j ON "
        "j.id = u.journal_id WHERE i.journal_id = {} AND j.server_id = '{}' AND j.kind = 'unwind' AND j.id > {}",
        journalId, Server(), journalId);
}

std::string JournalStatements::RestoreQuantities(std::int64_t journalId, const Claimed& claimed) {
    return Formatting::Format(
        "UPDATE u_vault v JOIN u_vault_journal_rows r ON r.row_id = v.id SET v.qtd = v.qtd + {} WHERE r.journal_id = {} "
        "AND {}",
        Restored(claimed), journalId, NothingBack(claimed));
}

std::string JournalStatements::RestoreRows(std::int64_t journalId, const Claimed& claimed) {
    // An item row has no quantity before or after: it comes back without one, as it was.
    return Formatting::Format(
        "INSERT INTO u_vault (id, steamid, vaultname, itemname, itemdata, blueprint, qtd, dtinsert) SELECT r.row_id, "
        "r.steamid, r.vaultname, r.itemname, r.itemdata, r.blueprint, IF(r.qtd_before IS NULL, NULL, {}), r.dtinsert "
        "FROM u_vault_journal_rows r LEFT JOIN u_vault v ON v.id = r.row_id WHERE r.journal_id = {} AND v.id IS NULL "
        "AND {}",
        Restored(claimed), journalId, NothingBack(claimed));
}

std::string JournalStatements::DropUnwindRows(const std::vector<std::pair<std::int64_t, std::int32_t>>& rows) {
    std::string pairs;
    for (const auto& [journal, row] : rows)
        pairs += Formatting::Format("{}({}, {})", pairs.empty() ? "" : ",", journal, row);
    return Formatting::Format("DELETE FROM u_vault_journal_rows WHERE (journal_id, row_id) IN ({})", pairs);
}

std::string JournalStatements::DropEmptyUnwinds(const std::vector<std::int64_t>& journalIds) {
    return Formatting::Format(
        "DELETE j FROM u_vault_journal j LEFT JOIN u_vault_journal_rows r ON r.journal_id = j.id WHERE j.id IN ({}) "
        "AND j.kind = 'unwind' AND r.journal_id IS NULL",
        Formatting::Join(journalIds, ","));
}

std::vector<std::string> JournalStatements::DropEntry(std::int64_t journalId) {
    return DropEntriesWhere(Formatting::Format("id = {}", journalId));
}

std::string JournalStatements::TakeBackLoadedItems(std::int64_t journalId, std::int64_t watermark) const {
    return Formatting::Format(
        "DELETE v, r FROM u_vault_journal_rows r JOIN u_vault v ON v.id = r.row_id JOIN u_vault_journal_items i ON "
        "i.item_id1 = r.item_id1 AND i.item_id2 = r.item_id2 JOIN u_vault_journal l ON l.id = i.journal_id WHERE "
        "r.journal_id = {} AND v.qtd <=> r.qtd_before AND l.server_id = '{}' AND l.kind = 'load' AND l.id > {} AND "
        "l.id < {}",
        journalId, Server(), watermark, journalId);
}

std::string JournalStatements::KeepHeldItems(std::int64_t journalId, const std::vector<std::int32_t>& rowIds) {
    return Formatting::Format(
        "DELETE v, r FROM u_vault_journal_rows r JOIN u_vault v ON v.id = r.row_id WHERE r.journal_id = {} AND "
        "r.row_id IN ({}) AND v.qtd <=> r.qtd_before",
        journalId, StoreLog::IdList(rowIds));
}

std::string JournalStatements::RowsLeft(std::int64_t journalId, const std::vector<std::int32_t>& rowIds) {
    return Formatting::Format("SELECT row_id FROM u_vault_journal_rows WHERE journal_id = {} AND row_id IN ({})", journalId,
                              StoreLog::IdList(rowIds));
}

std::string JournalStatements::KeepAsUnwind(std::int64_t journalId) {
    return Formatting::Format(
        "UPDATE u_vault_journal SET kind = 'unwind' WHERE id = {} AND EXISTS (SELECT 1 FROM u_vault_journal_rows WHERE "
        "journal_id = {})",
        journalId, journalId);
}

std::string JournalStatements::DropSave(std::int64_t journalId) {
    return Formatting::Format("DELETE FROM u_vault_journal WHERE id = {} AND kind = 'save'", journalId);
}
