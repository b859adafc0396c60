#include "Database/SetupClaim.h"

#include "Database/Text/Format.h"

const char* SetupClaim::CreateTable() {
    return "CREATE TABLE IF NOT EXISTS u_vault_setup (object VARCHAR(64) NOT NULL PRIMARY KEY, definition CHAR(32) "
           "NOT NULL, server VARCHAR(255) NOT NULL, claimed INT NOT NULL) ENGINE=InnoDB";
}

std::string SetupClaim::Taken(const std::string& object, const std::string& escapedDefinition) {
    return Formatting::Format(
        "SELECT definition = MD5('{}') AND claimed > UNIX_TIMESTAMP() - {} FROM u_vault_setup WHERE object = '{}' FOR "
        "UPDATE",
        escapedDefinition, kClaimSeconds, object);
}

std::string SetupClaim::Write(const std::string& object, const std::string& escapedDefinition,
                              const std::string& escapedServer) {
    return Formatting::Format(
        "INSERT INTO u_vault_setup (object, definition, server, claimed) VALUES ('{}', MD5('{}'), '{}', "
        "UNIX_TIMESTAMP()) ON DUPLICATE KEY UPDATE definition = VALUES(definition), server = VALUES(server), claimed "
        "= VALUES(claimed)",
        object, escapedDefinition, escapedServer);
}

std::string SetupClaim::Mine(const std::string& object, const std::string& escapedServer) {
    return Formatting::Format(
        "SELECT COUNT(*) FROM u_vault_setup WHERE object = '{}' AND server = '{}' AND claimed > UNIX_TIMESTAMP() - {}",
        object, escapedServer, kClaimSeconds);
}

std::string SetupClaim::Release(const std::string& object) {
    return Formatting::Format("UPDATE u_vault_setup SET claimed = 0 WHERE object = '{}'", object);
}

SetupClaim::SyncedReads::SyncedReads(ledra::mysql::connection& db) : db_(db) {
    auto read = db_.query("SELECT @@session.wsrep_sync_wait");
    if (!read.succeeded() || read.at_end() || !read.get(0, before_)) before_ = "DEFAULT";
    db_.query("SET SESSION wsrep_sync_wait = 15");
}

SetupClaim::SyncedReads::~SyncedReads() {
    if (db_.is_open()) db_.query("SET SESSION wsrep_sync_wait = " + before_);
}
