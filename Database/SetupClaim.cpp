#include "Database/SetupClaim.h"

#include <thread>

#include "Database/Text/Format.h"

namespace {

// Reads of the claim and of the definitions see every COMMIT the cluster made before them.
class SyncedReads {
public:
    explicit SyncedReads(ledra::mysql::connection& db) : db_(db) { db_.query("SET SESSION wsrep_sync_wait = 15"); }
    ~SyncedReads() {
        if (db_.is_open()) db_.query("SET SESSION wsrep_sync_wait = DEFAULT");
    }
    SyncedReads(const SyncedReads&) = delete;
    SyncedReads& operator=(const SyncedReads&) = delete;

private:
    ledra::mysql::connection& db_;
};

std::string FirstValue(ledra::mysql::connection& db, const std::string& sql, bool& read) {
    auto rows = db.query(sql);
    std::string value;
    read = rows.succeeded();
    if (read && !rows.at_end()) rows.get(0, value);
    return value;
}

}  // namespace

const char* SetupClaim::CreateTable() {
    return "CREATE TABLE IF NOT EXISTS u_vault_setup (object VARCHAR(64) NOT NULL PRIMARY KEY, definition CHAR(32) "
           "NOT NULL, server VARCHAR(255) NOT NULL, claimed INT NOT NULL) ENGINE=InnoDB";
}

bool SetupClaim::Take(ledra::mysql::connection& db, const std::string& object, const std::string& escapedDefinition,
                      const std::string& escapedServer) {
    if (!db.query(CreateTable()).succeeded()) return false;
    SyncedReads synced(db);
    if (!db.query("START TRANSACTION").succeeded()) return false;
    bool read = false;
    const std::string taken = FirstValue(
        db,
        Formatting::Format("SELECT definition = MD5('{}') AND claimed > UNIX_TIMESTAMP() - {} FROM u_vault_setup WHERE "
                           "object = '{}' FOR UPDATE",
                           escapedDefinition, kClaimSeconds, object),
        read);
    // A COMMIT refused by certification (another node's claim of the same moment) loses.
    const bool won =
        read && taken != "1" &&
        db.query(Formatting::Format("INSERT INTO u_vault_setup (object, definition, server, claimed) VALUES ('{}', "
                                    "MD5('{}'), '{}', UNIX_TIMESTAMP()) ON DUPLICATE KEY UPDATE definition = "
                                    "VALUES(definition), server = VALUES(server), claimed = VALUES(claimed)",
                                    object, escapedDefinition, escapedServer))
            .succeeded() &&
        db.query("COMMIT").succeeded();
    if (!won && db.is_open()) db.query("ROLLBACK");
    return won;
}

void SetupClaim::Release(ledra::mysql::connection& db, const std::string& object) {
    db.query(Formatting::Format("UPDATE u_vault_setup SET claimed = 0 WHERE object = '{}'", object));
}

bool SetupClaim::AwaitDefinition(ledra::mysql::connection& db, const std::string& read, const std::string& wanted,
                                 std::chrono::milliseconds limit) {
    SyncedReads synced(db);
    const auto until = std::chrono::steady_clock::now() + limit;
    for (;;) {
        bool answered = false;
        if (FirstValue(db, read, answered) == wanted && answered) return true;
        if (!db.is_open() || std::chrono::steady_clock::now() >= until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
}
