#include "Database/MoveLog.h"
#include "Database/Text/Format.h"

#include <map>

#include "Database/MoveKinds.h"
#include "Database/Mysql/Connection.h"
#include "Database/StoreLog.h"

namespace {

// batch: set only on records the trigger writes, so the rows one statement deletes of one vault
// share a record (NULLs never collide in a unique key).
constexpr const char* kCreateLog =
    "CREATE TABLE IF NOT EXISTS u_vault_log (id BIGINT NOT NULL AUTO_INCREMENT,at INT NOT NULL,server_id "
    "VARCHAR(64) NOT NULL,steamid BIGINT NOT NULL,vaultname VARCHAR(400),kind {} NOT NULL,rows_moved INT NOT "
    "NULL,by_steamid BIGINT NULL,batch CHAR(32) NULL,PRIMARY KEY(id),KEY `player` (`steamid`,`id`),KEY `at` "
    "(`at`),UNIQUE KEY `batch` (`batch`))";
constexpr const char* kCreateItems =
    "CREATE TABLE IF NOT EXISTS u_vault_log_items (log_id BIGINT NOT NULL,itemname VARCHAR(400) NOT NULL,quantity "
    "BIGINT NOT NULL,PRIMARY KEY(log_id,itemname))";
constexpr const char* kItemsHead = "INSERT INTO u_vault_log_items (log_id, itemname, quantity) ";
// Names equal but for case are one key of the table: their quantities add up.
constexpr const char* kItemsTail = " ON DUPLICATE KEY UPDATE quantity = quantity + VALUES(quantity)";

// An item's name is its object's: the class name and a number the game gives each object
// ("PrimalItemResource_Wood_C_12"). The record counts by class, without the number.
constexpr const char* kClassOfRow = "REGEXP_REPLACE(IFNULL(itemname, ''), '_[0-9]+$', '')";
std::string ClassOf(std::string name) {
    std::size_t end = name.size();
    while (end > 0 && name[end - 1] >= '0' && name[end - 1] <= '9') --end;
    if (end < name.size() && end > 0 && name[end - 1] == '_') name.resize(end - 1);
    return name;
}

}  // namespace

std::string MoveLogStatements::RecordExists(std::uint64_t logId) {
    return Formatting::Format("SELECT COUNT(*) FROM u_vault_log WHERE id = {}", logId);
}

std::string MoveLogStatements::CreateLog() {
    static const std::string create = Formatting::Format(kCreateLog, MoveKinds::Enum(false));
    return create;
}
const char* MoveLogStatements::CreateItems() { return kCreateItems; }

std::string MoveLogStatements::MarkSession() const {
    // Sent as each connection opens, before its sql_mode is known: a hex literal reads the same
    // in every mode.
    constexpr const char* kDigits = "0123456789ABCDEF";
    std::string hex;
    for (const unsigned char c : server_) {
        hex += kDigits[c >> 4];
        hex += kDigits[c & 15];
    }
    return hex.empty() ? "SET @lockbury_server = ''" : Formatting::Format("SET @lockbury_server = X'{}'", hex);
}

// Item classes with their quantities, as the items of the record just written.
std::string MoveLogStatements::ItemValues(const std::map<std::string, std::int64_t>& quantities) const {
    if (quantities.empty()) return "DO 0";  // a move of nothing has no items
    std::string values;
    for (const auto& [name, quantity] : quantities)
        values += Formatting::Format("{}(LAST_INSERT_ID(), {}, {})", values.empty() ? "" : ",", Literal(name), quantity);
    return Formatting::Format("{}VALUES {}{}", kItemsHead, values, kItemsTail);
}

std::string MoveLogStatements::TriggerBody(int decayMinutes) {
    // The kind follows the decay event's own condition; the rows one session deletes of one vault
    // within one second (a decay run's batches) make one record. A record that cannot be written
    // never stops the deletion: the handler lets the decay go on.
    const std::string kind =
        Formatting::Format("IF(OLD.dtinsert < UNIX_TIMESTAMP() - 60 * {}, 'decay', 'removed')", decayMinutes);
    return Formatting::Format(
        "BEGIN DECLARE CONTINUE HANDLER FOR SQLEXCEPTION BEGIN END; IF @lockbury_server IS NULL THEN INSERT INTO u_vault_log (at, server_id, steamid, vaultname, kind, "
        "rows_moved, batch) VALUES (UNIX_TIMESTAMP(), 'database', OLD.steamid, OLD.vaultname, {0}, 1, "
        "MD5(CONCAT_WS('/', CONNECTION_ID(), UNIX_TIMESTAMP(), OLD.steamid, IFNULL(OLD.vaultname, ''), {0}))) ON "
        "DUPLICATE KEY UPDATE rows_moved = rows_moved + 1, id = LAST_INSERT_ID(id); {1}VALUES (LAST_INSERT_ID(), "
        "REGEXP_REPLACE(IFNULL(OLD.itemname, ''), '_[0-9]+$', ''), IFNULL(OLD.qtd, 1)){2}; END IF; END",
        kind, kItemsHead, kItemsTail);
}

std::vector<std::string> MoveLogStatements::CreateTrigger(int decayMinutes) {
    // Dropped and made again rather than CREATE OR REPLACE, which MySQL does not know.
    return {Formatting::Format("DROP TRIGGER IF EXISTS {}", TriggerName()),
            Formatting::Format("CREATE TRIGGER {} AFTER DELETE ON u_vault FOR EACH ROW {}", TriggerName(),
                               TriggerBody(decayMinutes))};
}

std::string MoveLogStatements::ReadTrigger() {
    return Formatting::Format(
        "SELECT ACTION_STATEMENT FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE() AND "
        "TRIGGER_NAME = '{}'",
        TriggerName());
}

std::string MoveLogStatements::PruneBody(int logDays) {
    // A thousand records at a time, each batch its own short statements; ids rise with time,
    // so a batch is the oldest records, and their items go first.
    return Formatting::Format(
        "BEGIN DECLARE cutoff INT DEFAULT UNIX_TIMESTAMP() - 86400 * {}; DECLARE last BIGINT; REPEAT SET last = "
        "(SELECT MAX(id) FROM (SELECT id FROM u_vault_log WHERE at < cutoff ORDER BY id LIMIT 1000) old); IF last "
        "IS NOT NULL THEN DELETE i FROM u_vault_log_items i JOIN u_vault_log l ON l.id = i.log_id WHERE l.id <= "
        "last AND l.at < cutoff; DELETE FROM u_vault_log WHERE id <= last AND at < cutoff; END IF; UNTIL last IS "
        "NULL END REPEAT; END",
        logDays);
}

std::vector<std::string> MoveLogStatements::CreatePruneEvent(int logDays) {
    // The first run waits an interval: a server start is no time for a scan.
    return {DropPruneEvent(),
            Formatting::Format("CREATE EVENT {} ON SCHEDULE EVERY 1 HOUR STARTS CURRENT_TIMESTAMP + INTERVAL 1 HOUR DO {}",
                               PruneEventName(), PruneBody(logDays))};
}

std::string MoveLogStatements::ReadPruneEvent() {
    return Formatting::Format(
        "SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() AND EVENT_NAME = "
        "'{}'",
        PruneEventName());
}

std::string MoveLogStatements::DropPruneEvent() { return Formatting::Format("DROP EVENT IF EXISTS {}", PruneEventName()); }

std::string MoveLogStatements::SaveEntry(std::uint64_t steamid, const std::string& vault, std::size_t rows,
                                         std::int64_t at) const {
    return Formatting::Format(
        "INSERT INTO u_vault_log (at, server_id, steamid, vaultname, kind, rows_moved) VALUES ({}, {}, {}, '{}', "
        "'save', {})",
        at, Literal(server_), steamid, vault, rows);
}

std::string MoveLogStatements::SavedItems(const std::vector<VaultRow>& rows) const {
    std::map<std::string, std::int64_t> quantities;
    for (const VaultRow& row : rows)
        quantities[ClassOf(row.itemname.ToString())] += row.kind == VaultRow::Kind::Resource ? row.qtd : 1;
    return ItemValues(quantities);
}

std::string MoveLogStatements::LoadEntry(const ClaimOutcome& outcome, std::uint64_t steamid, const std::string& vault,
                                         std::int64_t at) const {
    const std::string by = outcome.kind == MoveKind::Admin ? std::to_string(outcome.by) : "NULL";
    return Formatting::Format(
        "INSERT INTO u_vault_log (at, server_id, steamid, vaultname, kind, rows_moved, by_steamid) VALUES ({}, {}, "
        "{}, '{}', '{}', {}, {})",
        at, Literal(server_), steamid, vault, std::string(MoveKinds::LogText(outcome.kind)),
        outcome.taken.size() + outcome.remainders.size(), by);
}

std::string MoveLogStatements::LoadedItems(const ClaimOutcome& outcome, const Claimed& rows) const {
    std::map<std::string, std::int64_t> quantities;
    const auto given = [&](std::int32_t id, std::int64_t left) {
        const auto row = rows.find(id);
        if (row == rows.end()) return;
        quantities[ClassOf(row->second.itemname)] += row->second.quantity - left;
    };
    for (const std::int32_t id : outcome.taken) given(id, 0);
    for (const auto& [id, left] : outcome.remainders) given(id, left);
    return ItemValues(quantities);
}

std::string MoveLogStatements::ReturnedEntry(const std::vector<std::int32_t>& ids, std::int64_t at) const {
    return Formatting::Format(
        "INSERT INTO u_vault_log (at, server_id, steamid, vaultname, kind, rows_moved) SELECT {}, {}, steamid, "
        "vaultname, 'returned', COUNT(*) FROM u_vault WHERE id IN ({}) GROUP BY steamid, vaultname",
        at, Literal(server_), StoreLog::IdList(ids));
}

std::string MoveLogStatements::ReturnedItems(const std::vector<std::int32_t>& ids) {
    return Formatting::Format(
        "{0}SELECT LAST_INSERT_ID(), {1}, SUM(IFNULL(qtd, 1)) FROM u_vault WHERE id IN ({2}) GROUP BY {1}{3}", kItemsHead,
        kClassOfRow, StoreLog::IdList(ids), kItemsTail);
}

std::string MoveLogStatements::Read(std::uint64_t steamid, std::int32_t limit) {
    return Formatting::Format(
        "SELECT l.id, l.at, l.server_id, IFNULL(l.vaultname, ''), l.kind, l.rows_moved, IFNULL(l.by_steamid, 0), "
        "IFNULL((SELECT GROUP_CONCAT(CONCAT(i.itemname, ' x', i.quantity) ORDER BY i.quantity DESC, i.itemname "
        "SEPARATOR ', ') FROM u_vault_log_items i WHERE i.log_id = l.id), '') FROM u_vault_log l WHERE l.steamid = {} "
        "ORDER BY l.id DESC LIMIT {}",
        steamid, limit);
}
