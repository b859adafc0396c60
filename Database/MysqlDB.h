#pragma once
// The vault store on a MySQL / MariaDB server: table u_vault, decay event Vault_Decay, over one
// connection. Single-row operations are one statement each; a save and a load are one
// transaction each, of a few statements whatever their size.
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Database/IDatabase.h"
#include "Database/Mysql/Connection.h"
#include "Database/StoreSettings.h"

class MySql : public IDatabase {
public:
    // Connects (waiting up to 30 s) and prepares the table and the decay event; failures are
    // logged, never thrown.
    MySql(std::string host, std::string user, std::string password, std::string database, std::int32_t port,
          StoreSettings settings = {});
    // A claim still open gives nothing: the server rolls it back as the connection closes.
    ~MySql() override = default;

    MySql(const MySql&) = delete;
    MySql& operator=(const MySql&) = delete;

    bool AddVaultItem(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                      const std::string& itemdata) override;
    bool AddVaultResource(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                          const FString& blueprint, std::int32_t qtd) override;
    TArray<std::shared_ptr<VaultItem>> GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                     std::int32_t limit) override;
    bool DeleteVaultItem(std::int32_t id) override;
    TArray<std::shared_ptr<VaultList>> ListVault(std::uint64_t steamid) override;

    // START TRANSACTION, as few multi-row INSERTs as the server's packet limit allows, COMMIT.
    RowsWritten AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) override;
    bool DeleteVaultRows(const std::vector<std::int32_t>& ids) override;
    // START TRANSACTION and SELECT ... FOR UPDATE; then one DELETE, at most one UPDATE, COMMIT.
    VaultRead<VaultItem> ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) override;
    Settlement SettleClaim(const ClaimOutcome& outcome) override;
    void ReleaseClaim() override;
    VaultRead<VaultList> ReadVaultList(std::uint64_t steamid) override;
    bool ReadyToTry(const char* operation) override;

private:
    // When a statement may be sent again after its connection was lost.
    enum class Resend {
        Never,  // it may have run, and running it twice would matter (or a transaction is open)
        IfNeverSent,  // only when the send itself failed (2006)
        OnAnyLoss,  // running it twice changes nothing: reads, START TRANSACTION, deletes by id
    };

    // True with an open connection. A closed one is opened again with the short time-out,
    // unless an attempt failed less than reconnectInterval ago: then it fails at once.
    bool Connected();
    ledra::mysql::results Run(const std::string& sql, Resend resend);
    // Ends an open transaction without its changes; a connection that cannot is dropped.
    void Rollback();
    // Runs COMMIT. When its answer is lost, asks a fresh connection which side of it the
    // database is on: the old session is ended first, so a COMMIT still on its way cannot land
    // after the answer; then the query, whose rows decide tells Committed from RolledBack.
    // When it cannot be asked, one error line names the rows: "<move> of vault rows <ids> may
    // or may not be <done>".
    struct Move {
        const char* function;  // "MySql::AddVaultRows"
        const char* what;  // "Save"
        const char* done;  // "stored"
        const std::vector<std::int32_t>& ids;
    };
    template <typename Decide>
    Settlement Commit(const Move& move, const std::string& question, Decide&& decide);
    // Ends a session of ours that lost its client, and waits until it is gone.
    bool EndSession(unsigned long session);
    // The server's max_allowed_packet for this connection, read once per connection (0 when
    // it cannot be read).
    std::size_t PacketLimit();
    void CloseConnection();
    // Escaped for the connection, ready to stand between single quotes.
    std::string Text(const std::string& value);
    // One error line: the operation, and what the database said.
    void LogFailure(const char* function);

    ledra::mysql::connection db_;
    StoreSettings settings_;
    std::size_t packetLimit_ = 0;  // of the connection held now; 0 = not read yet
    std::chrono::steady_clock::time_point nextConnect_{};  // no attempt before this
    std::string lastError_;  // why the last statement or connect failed
    std::string connectError_;  // why the last connect failed
    bool claimOpen_ = false;  // a load's transaction waits for SettleClaim or ReleaseClaim
};
