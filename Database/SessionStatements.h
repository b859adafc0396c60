#pragma once
// The statements about the store's own session and the server it talks to, rather than a table:
// lock-wait bounds, transactions, the server's identity and limits, ending another session.
#include <string>

class SessionStatements {
public:
    // Every statement of ours waits at most a second for a row or table lock, then fails: a lock
    // held by a decay batch or another server's load never freezes the game thread. The statement
    // fails with 1205 and the caller rolls its transaction back (InnoDB undoes only that statement).
    static const char* LimitLockWaits() {
        return "SET SESSION innodb_lock_wait_timeout = 1, SESSION lock_wait_timeout = 1";
    }
    static const char* Begin() { return "START TRANSACTION"; }
    static const char* Commit() { return "COMMIT"; }
    static const char* Rollback() { return "ROLLBACK"; }
    // For the next transaction: its first read takes one snapshot that later reads share.
    static const char* RepeatableRead() { return "SET TRANSACTION ISOLATION LEVEL REPEATABLE READ"; }
    static const char* PacketLimit() { return "SELECT @@max_allowed_packet"; }
    // SHOW VARIABLES answers on MySQL and MariaDB alike, with or without Galera's variables.
    static const char* Identity() {
        return "SHOW VARIABLES WHERE Variable_name IN ('server_id', 'hostname', 'wsrep_on', 'wsrep_node_name')";
    }
    // On a Galera node: every read first waits until the node applied what the cluster committed.
    static const char* SyncReads() { return "SET SESSION wsrep_sync_wait = @@session.wsrep_sync_wait | 1"; }
    static std::string Kill(unsigned long session);
    static std::string SessionCount(unsigned long session);
};
