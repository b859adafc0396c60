#pragma once
// The vault store on a MySQL / MariaDB server: table u_vault, decay event Vault_Decay, over one
// connection. A save and a load are one transaction each, of a few statements whatever their
// size. With a journal (crash safety) a save and a load write their journal entry in that same
// transaction: two statements more for a save, three for a load.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "Database/IDatabase.h"
#include "Database/Journal.h"
#include "Database/MoveLog.h"
#include "Database/Mysql/Connection.h"
#include "Database/StoreSettings.h"

class MySql : public IDatabase {
public:
    // Connects (waiting up to 30 s) and prepares the table (and the journal's, with one) and the
    // decay event; failures are logged, never thrown.
    MySql(std::string host, std::string user, std::string password, std::string database, std::int32_t port,
          StoreSettings settings = {});
    // A claim still open gives nothing: the server rolls it back as the connection closes.
    ~MySql() override;

    MySql(const MySql&) = delete;
    MySql& operator=(const MySql&) = delete;

    // START TRANSACTION, as few multi-row INSERTs as the server's packet limit allows, COMMIT.
    RowsWritten AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) override;
    bool DeleteVaultRows(const std::vector<std::int32_t>& ids) override;
    // START TRANSACTION and SELECT ... FOR UPDATE; then one DELETE, at most one UPDATE, COMMIT.
    VaultRead<VaultItem> ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) override;
    Settlement SettleClaim(const ClaimOutcome& outcome) override;
    void ReleaseClaim() override;
    VaultRead<VaultList> ReadVaultList(std::uint64_t steamid) override;
    // The move log (Database/MysqlMoveLog.cpp).
    VaultRead<StoredRow> ReadVaultRows(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) override;
    VaultRead<MoveRecord> ReadMoveLog(std::uint64_t steamid, std::int32_t limit) override;
    bool ReadyToTry(const char* operation) override;

    // Crash safety (Database/MysqlWorld.cpp).
    JournalRecovery RecoverJournal(const RestoredWorld& world) override;
    bool WorldSaveStarting(std::int64_t worldNow) override;
    bool WorldSaved(std::int64_t savedAt) override;
    std::optional<std::vector<std::int32_t>> SettleUnwind(std::int64_t journalId,
                                                          const std::vector<std::int32_t>& heldRows) override;
    bool JournalUncovered() const override { return journalHigh_ > coveredHigh_; }

private:
    // When a statement may be sent again after its connection was lost.
    enum class Resend {
        Never,  // it may have run, and running it twice would matter (or a transaction is open)
        OnAnyLoss,  // running it twice changes nothing: reads, START TRANSACTION, deletes by id
    };

    struct Move;
    using Decide = std::function<Settlement(ledra::mysql::results&)>;
    // One transaction on the store's connection (Database/StoreTransaction.cpp), the store's one
    // place that rolls back: its destructor does, unless it was committed. A load's claim keeps
    // its transaction open from ClaimVaultItems to SettleClaim in claim_.
    class Transaction {
    public:
        explicit Transaction(MySql& store) : store_(&store) {}
        Transaction(Transaction&& other) noexcept;
        Transaction& operator=(Transaction&&) = delete;
        Transaction(const Transaction&) = delete;
        Transaction& operator=(const Transaction&) = delete;
        ~Transaction() { Rollback(); }

        // START TRANSACTION; resent after a lost connection as `resend` allows.
        bool Begin(Resend resend);
        // COMMIT. When its answer is lost, asks a fresh connection which side of it the database
        // is on (MySql::SettleLostCommit); when refused, rolls back.
        Settlement Commit(const Move& move, const std::string& question, const Decide& decide);
        // Ends it without its changes, keeping the store's last error; a connection that cannot
        // is dropped, so no later statement lands in the transaction.
        void Rollback() noexcept;
        // Left to the server, which rolls it back as the connection closes (the store's end).
        void Abandon() { open_ = false; }

    private:
        MySql* store_;
        bool open_ = false;
    };

    // True with an open connection. A closed one is opened again with the short time-out,
    // unless an attempt failed less than reconnectInterval ago: then it fails at once.
    bool Connected();
    ledra::mysql::results Run(const std::string& sql, Resend resend);
    // After a COMMIT whose answer was lost: the old session is ended first, so a COMMIT still
    // on its way cannot land after the answer; then the question, whose rows decide tells
    // Committed from RolledBack. When it cannot be asked, one error line names the rows:
    // "<move> of <subject> <ids> may or may not be <done>: ...; <then>".
    struct Move {
        const char* source = nullptr;  // the file whose function it is, for its log lines: "Database/MysqlDB"
        const char* function = nullptr;  // "MySql::AddVaultRows"
        const char* what = nullptr;  // "Save"
        const char* done = nullptr;  // "stored"
        const std::vector<std::int32_t>& ids;  // may be empty: the subject alone names what it is
        const char* subject = "vault rows";
        const char* then = "the items stay in the inventory";
        bool refusalExpected = false;  // a refused COMMIT is an answer (a claim lost to another node), not a failure
        // "vault rows 4,5": the subject and its ids, for a log line.
        std::string Named() const;
    };
    struct ServerIdentity;
    Settlement SettleLostCommit(const Move& move, const std::string& question, const Decide& decide, unsigned long session,
                                const ServerIdentity& sent);
    // Ends a session of ours that lost its client, and waits until it is gone.
    bool EndSession(unsigned long session);
    // The server's max_allowed_packet for this connection, read once per connection (0 when
    // it cannot be read).
    std::size_t PacketLimit();
    // Sends head + values as few INSERTs as room allows, inside the open transaction; each
    // statement must add one row per value. With ids, every statement ends in RETURNING id and
    // the ids the server gave are appended in row order (only where InsertReturning()).
    bool InsertBatched(const std::string& head, const std::vector<std::string>& values, std::size_t room,
                       std::vector<std::int32_t>* ids);
    // Whether the server answers INSERT ... RETURNING (MariaDB 10.5 and later); read from the
    // connection's handshake, once per connection.
    bool InsertReturning();
    // Ids of a player's vault rows as this transaction sees them, ascending; false when the read
    // failed. A save without RETURNING reads them before and after its INSERTs, inside one
    // snapshot: the new ids are exactly the save's own rows, whatever the increment, the offset,
    // the lock mode or other servers' inserts.
    bool VaultRowIds(std::uint64_t steamid, const std::string& vault, std::vector<std::int32_t>& ids);
    // What identifies the database server a connection reached, read once at connect; empty when
    // it could not be read. Only a session on the same server can be ended with KILL.
    struct ServerIdentity {
        std::string serverId, hostname, nodeName;
        bool wsrep = false;  // a Galera node: the session's reads wait for it with wsrep_sync_wait
        bool Known() const { return !hostname.empty(); }
        bool operator==(const ServerIdentity&) const = default;
    };
    void ReadServerIdentity();
    // The save's own rows: those read now that were not before (both ascending), count of them.
    bool NewRowIds(std::uint64_t steamid, const std::string& vault, const std::vector<std::int32_t>& before,
                   std::size_t count, std::vector<std::int32_t>& ids);
    // Settles a move by its own move-log record, written in its transaction
    // (MoveLogStatements::RecordExists is the question).
    static Settlement DecideByRecord(ledra::mysql::results& found);
    // The journal entry of a save (its rows written), or of a load (before its rows change);
    // 0 when a statement failed. Inside the open transaction.
    std::int64_t JournalSave(std::uint64_t steamid, const std::string& vault, const std::vector<VaultRow>& rows,
                             const std::vector<std::int32_t>& ids, std::size_t room);
    std::int64_t JournalLoad(const ClaimOutcome& outcome);
    // Creates the move log's tables, and replaces its trigger and prune event when their
    // definitions differ from this server's; at load, on the connection just opened.
    void PrepareMoveLog();
    // Gives a table's stored kind ENUM the kinds of this version it lacks (Database/MoveKinds.h),
    // in one line; at load.
    void WidenKindColumn(const char* table, bool journaled);
    // On a Galera node, whether this server may make the object with this definition now
    // (Database/SetupClaim.h).
    bool ClaimMaking(const std::string& object, const std::string& definition);
    // Waits a while for another server's making: whether the definition read became `wanted`
    // (reads synced with the cluster).
    bool AwaitDefinition(const std::string& read, const std::string& wanted);
    // Replaces a database object (trigger, event) only when the text read back differs.
    bool DefinitionDiffers(const std::string& read, const std::string& wanted);
    // Set-up statements in order, on the connection as it stands; false at the first that fails.
    bool RunAll(const std::vector<std::string>& statements);
    // Recovery steps (Database/MysqlWorld.cpp): each true when it went through.
    bool UndoMove(std::int64_t journalId, const std::string& kind, std::int64_t watermark);
    // A load's undo: its rows and quantities back, less what undone saves' unwinds claim of them.
    std::optional<std::vector<std::string>> PutBackLoaded(std::int64_t journalId);
    bool ReadUnwinds(JournalRecovery& recovery);
    std::optional<std::vector<std::int32_t>> SettleUnwindOnce(std::int64_t journalId,
                                                              const std::vector<std::int32_t>& heldRows);
    // Runs the statements in one transaction and commits, settled by asking question; true
    // when committed.
    bool InTransaction(const Move& move, const std::vector<std::string>& statements, const std::string& question,
                       const Decide& decide);
    bool InTransactionOnce(const Move& move, const std::vector<std::string>& statements, const std::string& question,
                           const Decide& decide);
    // Runs attempt (a whole transaction, true-ish when it went through) again while it failed as
    // the victim of a deadlock, at most kDeadlockTries times in all: bookkeeping that would
    // otherwise wait for its next occasion (a join, a retry interval) while a vault and a
    // character both show the same items.
    template <typename Attempt>
    auto RetriedAfterDeadlock(Attempt attempt) -> decltype(attempt()) {
        for (int tries = 1;; ++tries) {
            auto outcome = attempt();
            if (outcome || !TryAgainAfterDeadlock(tries)) return outcome;
        }
    }
    // After a failed attempt: whether it was a deadlock's victim with tries left (said in the log).
    bool TryAgainAfterDeadlock(int tries) const;
    static constexpr int kDeadlockTries = 3;
    void CloseConnection();
    // Escaped for the connection, ready to stand between single quotes.
    std::string Text(const std::string& value);
    // One error line: the operation, and what the database said.
    void LogFailure(const char* source, const char* function);

    ledra::mysql::connection db_;
    StoreSettings settings_;
    std::size_t packetLimit_ = 0;  // of the connection held now; 0 = not read yet
    std::optional<bool> insertReturning_;  // of the connection held now; empty = not read yet
    ServerIdentity identity_;  // of the connection held now
    std::chrono::steady_clock::time_point nextConnect_;  // no attempt before this
    std::string lastError_;  // why the last statement or connect failed
    unsigned lastErrorCode_ = 0;  // the server's number for it; 0 when the last statement went through
    std::string connectError_;  // why the last connect failed
    std::optional<Transaction> claim_;  // a load's transaction waits for SettleClaim or ReleaseClaim
    std::uint64_t claimSteamId_ = 0;  // whose vault the open claim holds, for its journal entry
    std::string claimVault_;  // as the player named it (UTF-8), escaped where a statement takes it
    MoveLogStatements::Claimed claimRows_;  // what each row of the open claim holds, for its record
    JournalStatements journal_;
    MoveLogStatements log_;
    // The highest journal entry of this server that the world in memory holds: what a world
    // save now would cover. Raised by every move journaled (committed or not: an entry that
    // never came to be is covered harmlessly) and set by the recovery.
    std::int64_t journalHigh_ = 0;
    std::int64_t startedHigh_ = 0;  // journalHigh_ when the last world save started
    std::int64_t coveredHigh_ = 0;  // what the last world save recorded (or the recovery) covers
};
