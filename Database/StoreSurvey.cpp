#include "Database/StoreSurvey.h"

#include <charconv>

#include "Database/DecaySchedule.h"

std::optional<std::string> StoreSurvey::Scalar(const std::string& sql) {
    ledra::mysql::results result = db_.query(sql);
    if (!result.succeeded() || result.columns() == 0 || result.at_end()) return std::nullopt;
    std::string value;
    result.get(0, value);  // NULL leaves it empty
    return value;
}

std::optional<std::int64_t> StoreSurvey::Count(const std::string& sql) {
    const auto text = Scalar(sql);
    std::int64_t n = 0;
    if (!text || std::from_chars(text->data(), text->data() + text->size(), n).ec != std::errc{}) return std::nullopt;
    return n;
}

std::optional<std::int64_t> StoreSurvey::VaultRows() { return Count("SELECT COUNT(*) FROM u_vault"); }
std::optional<std::int64_t> StoreSurvey::MoveLogRecords() { return Count("SELECT COUNT(*) FROM u_vault_log"); }
std::optional<std::int64_t> StoreSurvey::SetupClaims() { return Count("SELECT COUNT(*) FROM u_vault_setup"); }

std::optional<std::int64_t> StoreSurvey::JournaledMoves(const std::string& serverId) {
    return Count("SELECT COUNT(*) FROM u_vault_journal WHERE server_id = '" + db_.escape(serverId) + "'");
}

std::optional<StoreSurvey::DecayEvent> StoreSurvey::Decay() {
    const auto body = Scalar(
        "SELECT EVENT_DEFINITION FROM information_schema.EVENTS WHERE EVENT_SCHEMA = DATABASE() AND EVENT_NAME = "
        "'Vault_Decay'");
    if (!body) return std::nullopt;
    return DecayEvent{DecaySchedule::DecayOf(*body)};
}

bool StoreSurvey::DecayTriggerExists() {
    const auto found = Count(
        "SELECT COUNT(*) FROM information_schema.TRIGGERS WHERE TRIGGER_SCHEMA = DATABASE() AND TRIGGER_NAME = "
        "'u_vault_log_removed'");
    return found && *found > 0;
}

bool StoreSurvey::Holds(const char* privilege) {
    // USER_PRIVILEGES names the account as 'user'@'host'.
    const std::string grantee =
        "GRANTEE = CONCAT(CHAR(39), REPLACE(CURRENT_USER(), '@', CONCAT(CHAR(39), '@', CHAR(39))), CHAR(39))";
    const auto found = Count(std::string("SELECT (SELECT COUNT(*) FROM information_schema.USER_PRIVILEGES WHERE ") +
                             grantee + " AND PRIVILEGE_TYPE = '" + privilege +
                             "') + (SELECT COUNT(*) FROM information_schema.SCHEMA_PRIVILEGES WHERE " + grantee +
                             " AND TABLE_SCHEMA = DATABASE() AND PRIVILEGE_TYPE = '" + privilege + "')");
    return found && *found > 0;
}

std::optional<std::string> StoreSurvey::TriggerRefusal() {
    if (!Holds("TRIGGER")) return "the account lacks the TRIGGER privilege on the database";
    // A Galera node asks the same of a trigger's maker with the binary log off (none on MySQL).
    const bool logged = Scalar("SELECT @@log_bin") == "1" || Scalar("SELECT @@wsrep_on") == "1";
    if (logged && Scalar("SELECT @@log_bin_trust_function_creators") != "1" && !Holds("SUPER"))
        return "the binary log or Galera replication is on and the account has neither SUPER nor "
               "log_bin_trust_function_creators=1 on the server";
    return std::nullopt;
}

std::optional<StoreSurvey::ClusterNode> StoreSurvey::Node() {
    if (Scalar("SELECT @@wsrep_on") != "1") return std::nullopt;
    return ClusterNode{
        Scalar("SELECT @@wsrep_node_name").value_or("?"),
        Scalar("SELECT VARIABLE_VALUE FROM information_schema.GLOBAL_STATUS WHERE VARIABLE_NAME = 'WSREP_CLUSTER_SIZE'")
            .value_or("?")};
}
