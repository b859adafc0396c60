#pragma once
// On a Galera cluster, one server at a time makes the move log's trigger. Two trigger statements
// through different nodes at the same moment leave a node waiting for ever (each holds the
// trigger's lock that the other's replicated statement waits for), and with it the whole cluster
// once its flow control stops. So a server first claims the making in a row of u_vault_setup:
// the cluster's certification lets only one of two claims of the same moment commit. The maker
// releases the claim when done; a claim of the same definition less than a minute old belongs to
// a server making it now, and the others wait for the definition to appear. One MariaDB server
// never needs it.
#include <chrono>
#include <string>

#include "Database/Mysql/Connection.h"

class SetupClaim {
public:
    static constexpr const char* kTable = "u_vault_setup";
    static constexpr int kClaimSeconds = 60;

    static const char* CreateTable();

    // Whether this server may make `object` with the wanted definition now. `escape` makes a text
    // safe between single quotes on this connection. Runs with wsrep_sync_wait, so the claim
    // read sees every claim the cluster committed.
    static bool Take(ledra::mysql::connection& db, const std::string& object, const std::string& escapedDefinition,
                     const std::string& escapedServer);
    // After the making, whether it worked or not: the next server that finds the definition
    // differing may claim at once.
    static void Release(ledra::mysql::connection& db, const std::string& object);
    // Waits up to `limit` for the definition read by `read` to be `wanted` (read with
    // wsrep_sync_wait each time).
    static bool AwaitDefinition(ledra::mysql::connection& db, const std::string& read, const std::string& wanted,
                                std::chrono::milliseconds limit);
};
