#pragma once
// On a Galera cluster, one server at a time makes the move log's trigger. Two trigger statements
// through different nodes at the same moment leave a node waiting for ever (each holds the
// trigger's lock that the other's replicated statement waits for), and with it the whole cluster
// once its flow control stops. So a server first claims the making in a row of u_vault_setup,
// in a transaction of the store (MySql::ClaimMaking): the cluster's certification lets only one
// of two claims of the same moment commit. The maker releases the claim when done; a claim of
// the same definition less than a minute old belongs to a server making it now, and the others
// wait for the definition to appear. One MariaDB server never needs it.
#include <string>

#include "Database/Mysql/Connection.h"

class SetupClaim {
public:
    static constexpr const char* kTable = "u_vault_setup";
    static constexpr int kClaimSeconds = 60;

    static const char* CreateTable();
    // 1 when a claim of this definition (escaped) less than kClaimSeconds old holds the object;
    // locks the row (FOR UPDATE).
    static std::string Taken(const std::string& object, const std::string& escapedDefinition);
    static std::string Write(const std::string& object, const std::string& escapedDefinition,
                             const std::string& escapedServer);
    // After a lost COMMIT: 1 when the claim is this server's and fresh.
    static std::string Mine(const std::string& object, const std::string& escapedServer);
    // After the making, whether it worked or not: the next server that finds the definition
    // differing may claim at once.
    static std::string Release(const std::string& object);

    // Reads on the connection see every COMMIT the cluster made before them, while it lives.
    class SyncedReads {
    public:
        explicit SyncedReads(ledra::mysql::connection& db);
        ~SyncedReads();
        SyncedReads(const SyncedReads&) = delete;
        SyncedReads& operator=(const SyncedReads&) = delete;

    private:
        ledra::mysql::connection& db_;
        std::string before_;  // the session's own value, put back at the end
    };
};
