#pragma once
// What a database holds of the store, asked as typed questions on a connection the caller
// opened: the configuration check reads it before a load would change anything. A question that
// fails (a table not made yet, a view the account may not read) answers nothing.
#include <cstdint>
#include <optional>
#include <string>

#include "Database/Mysql/Connection.h"

class StoreSurvey {
public:
    explicit StoreSurvey(ledra::mysql::connection& db) : db_(db) {}

    std::optional<std::int64_t> VaultRows();
    std::optional<std::int64_t> MoveLogRecords();
    // The trigger-making claims (u_vault_setup), kept only on a Galera node.
    std::optional<std::int64_t> SetupClaims();
    // This server's journaled moves (crash safety).
    std::optional<std::int64_t> JournaledMoves(const std::string& serverId);

    struct DecayEvent {
        // The minutes its rows decay after, read the way DecaySchedule writes them; nothing for
        // an event of another shape.
        std::optional<int> decayMinutes;
    };
    // The event Vault_Decay, when there is one.
    std::optional<DecayEvent> Decay();
    bool DecayTriggerExists();
    // Why this account could not make the move log's trigger, or nothing. It needs TRIGGER; with
    // the binary log or Galera replication on, also SUPER, unless the server trusts function
    // creators.
    std::optional<std::string> TriggerRefusal();

    struct ClusterNode {
        std::string name;
        std::string size;  // "?" when the status cannot be read
    };
    // The Galera node answering, or nothing on one server.
    std::optional<ClusterNode> Node();

private:
    std::optional<std::string> Scalar(const std::string& sql);
    std::optional<std::int64_t> Count(const std::string& sql);
    bool Holds(const char* privilege);

    ledra::mysql::connection& db_;
};
