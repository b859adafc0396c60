#include "Database/DecaySchedule.h"

#include <charconv>
#include <string_view>
#include "Database/Text/Format.h"

#include <cstdint>

namespace {

constexpr const char* kSource = "Database/DecaySchedule";
constexpr const char* kFunction = "DecaySchedule::Prepare";

constexpr const char* kDropEvent = "DROP EVENT IF EXISTS Vault_Decay";
// The first run comes one interval after the event is made, never at the load that makes it.
constexpr const char* kCreateEvent =
    "CREATE EVENT Vault_Decay ON SCHEDULE EVERY 5 MINUTE STARTS CURRENT_TIMESTAMP + INTERVAL 5 MINUTE DO {}";
constexpr const char* kReadEvent =
    "SELECT EVENT_DEFINITION, INTERVAL_VALUE, INTERVAL_FIELD, STATUS FROM information_schema.EVENTS WHERE "
    "EVENT_SCHEMA = DATABASE() AND EVENT_NAME = 'Vault_Decay'";
// Whether u_vault has a dtinsert column, and how many indexes start with it. A table that has no
// such column is not ours to change (it is used as it stands).
constexpr const char* kReadIndex =
    "SELECT (SELECT COUNT(*) FROM information_schema.COLUMNS WHERE TABLE_SCHEMA = DATABASE() AND TABLE_NAME = "
    "'u_vault' AND COLUMN_NAME = 'dtinsert'), (SELECT COUNT(*) FROM information_schema.STATISTICS WHERE "
    "TABLE_SCHEMA = DATABASE() AND TABLE_NAME = 'u_vault' AND COLUMN_NAME = 'dtinsert' AND SEQ_IN_INDEX = 1)";
// Built online: the other servers of the cluster go on reading and writing vaults meanwhile.
constexpr const char* kAddIndex = "ALTER TABLE u_vault ADD INDEX p4 (dtinsert), ALGORITHM=INPLACE, LOCK=NONE";
// Batches until one finds nothing due; the ORDER BY keeps the plan on the index even when most
// of the table is due. A batch chosen as a deadlock's victim (a load claiming the same player's
// rows locks them in the other order) is only rolled back: the next one takes its rows, and ten
// such in one run leave the rest to the next run.
constexpr const char* kBatchLoop =
    "DECLARE deleted INT DEFAULT 1; DECLARE deadlocks INT DEFAULT 0; DECLARE deadlocked BOOL DEFAULT FALSE; DECLARE "
    "CONTINUE HANDLER FOR 1213 SET deadlocked = TRUE, deadlocks = deadlocks + 1; WHILE deleted > 0 AND deadlocks < 10 "
    "DO SET deadlocked = FALSE; DELETE FROM u_vault WHERE {} ORDER BY dtinsert LIMIT {}; SET deleted = "
    "IF(deadlocked, 1, ROW_COUNT()); END WHILE;";

void Critical(const std::shared_ptr<spdlog::logger>& log, const std::string& text) {
    if (log) log->critical("({} {}) {}", kSource, kFunction, text);
}

std::string Reason(ledra::mysql::connection& db) {
    return Formatting::Format("{} ({})", db.last_error_text(), db.last_error());
}

// True when u_vault lacks a dtinsert column or has an index led by it (false also when the
// table cannot be read).
bool IndexInPlace(ledra::mysql::connection& db, bool& hasColumn) {
    auto found = db.query(kReadIndex);
    std::int32_t columns = 0, indexes = 0;
    if (!found.succeeded() || found.at_end() || !found.get(0, columns) || !found.get(1, indexes)) return false;
    hasColumn = columns > 0;
    return !hasColumn || indexes > 0;
}

void EnsureIndex(ledra::mysql::connection& db, const std::shared_ptr<spdlog::logger>& log) {
    // A closed connection already told its failure through the table's statement.
    if (!db.is_open()) return;
    bool hasColumn = false;
    if (IndexInPlace(db, hasColumn)) return;
    if (db.query(kAddIndex).succeeded()) return;
    const std::string reason = Reason(db);
    // Another server of the cluster loading at the same moment may have added it first.
    if (IndexInPlace(db, hasColumn)) return;
    Critical(log,
             Formatting::Format(
                 "Failed to add the index p4 (dtinsert) to u_vault: {}; every decay run reads the whole table", reason));
}

// True when the event exists exactly as wanted: same body, every 5 minutes, enabled. A Galera
// node shows SLAVESIDE_DISABLED for an event another node made: it runs there, on the node that
// made it, and one decay for the cluster is what is wanted.
bool EventAsWanted(ledra::mysql::connection& db, const std::string& body) {
    auto event = db.query(kReadEvent);
    std::string definition, value, field, status;
    if (!event.succeeded() || event.at_end()) return false;
    event.get(0, definition);
    event.get(1, value);
    event.get(2, field);
    event.get(3, status);
    return definition == body && value == "5" && field == "MINUTE" &&
           (status == "ENABLED" || status == "SLAVESIDE_DISABLED");
}

void DropEvent(ledra::mysql::connection& db, const std::shared_ptr<spdlog::logger>& log) {
    if (!db.query(kDropEvent).succeeded()) Critical(log, "Failed to drop event Vault_Decay!");
}

}  // namespace

std::string DecaySchedule::DueCondition(int decayMinutes) {
    // dtinsert is an INT and UNIX_TIMESTAMP() a signed BIGINT here, so the old form never
    // overflows and is exactly dtinsert < now - 60*D; NULL is due in neither. Where
    // UNIX_TIMESTAMP() is unsigned, the old form fails the whole DELETE for a row saved in
    // the future (out of range), so no row decays; this one has no such subtraction.
    return Formatting::Format("dtinsert < UNIX_TIMESTAMP() - (60 * {})", decayMinutes);
}

std::string DecaySchedule::EventBody(int decayMinutes) {
    return "BEGIN " + Formatting::Format((kBatchLoop), DueCondition(decayMinutes), kBatchRows) + " END";
}

std::string DecaySchedule::RunNow(int decayMinutes) {
    return "BEGIN NOT ATOMIC " + Formatting::Format((kBatchLoop), DueCondition(decayMinutes), kBatchRows) + " END";
}

std::optional<int> DecaySchedule::DecayOf(const std::string& eventBody) {
    constexpr std::string_view kFactor = "(60 * ";
    const std::size_t at = eventBody.find(kFactor);
    if (at == std::string::npos || eventBody.find("dtinsert") == std::string::npos) return std::nullopt;
    const char* first = eventBody.data() + at + kFactor.size();
    const char* last = eventBody.data() + eventBody.size();
    int minutes = 0;
    const auto [end, error] = std::from_chars(first, last, minutes);
    if (error != std::errc{} || end == last || *end != ')') return std::nullopt;
    return minutes;
}

void DecaySchedule::Prepare(ledra::mysql::connection& db, const std::function<int()>& decayMinutes,
                            const std::shared_ptr<spdlog::logger>& log) {
    EnsureIndex(db, log);
    int decay = 0;
    try {
        decay = decayMinutes();
    } catch (...) {
        DropEvent(db, log);
        throw;
    }
    const std::string body = EventBody(decay);
    // Kept as it is, its schedule goes on: the load neither starts a run nor delays the next.
    if (EventAsWanted(db, body)) return;
    DropEvent(db, log);
    if (db.query(Formatting::Format((kCreateEvent), body)).succeeded()) return;
    // Another server starting at the same moment may have made it between the drop and the
    // create (1537, event exists): no error when it is there as wanted.
    if (EventAsWanted(db, body)) return;
    Critical(log, "Failed to create event Vault_Decay!");
}
