#pragma once
// The vault store on a MySQL / MariaDB server: table u_vault, decay event Vault_Decay, one
// statement per operation over one connection; a batch of rows in one transaction.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "Database/IDatabase.h"
#include "Database/Mysql/Connection.h"

class MySql : public IDatabase {
public:
    // Connects and prepares the table and the decay event; failures are logged, never thrown.
    MySql(std::string host, std::string user, std::string password, std::string database, std::int32_t port);
    ~MySql() override = default;

    MySql(const MySql&) = delete;
    MySql& operator=(const MySql&) = delete;

    bool AddVaultItem(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                      const std::string& itemdata) override;
    bool AddVaultResource(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                          const FString& blueprint, std::int32_t qtd) override;
    // One transaction: as few multi-row INSERTs as the server's packet limit allows, then COMMIT.
    bool AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) override;
    TArray<std::shared_ptr<VaultItem>> GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                     std::int32_t limit) override;
    bool DeleteVaultItem(std::int32_t id) override;
    TArray<std::shared_ptr<VaultList>> ListVault(std::uint64_t steamid) override;

private:
    // Before an operation's statement: a closed connection (failed open at load, or dropped
    // earlier) gets one attempt to open again.
    void OpenIfClosed();
    // Runs a statement, healing a lost connection: the handle is replaced, and a statement
    // that never reached the server (2006) is sent once more. One that may have run (2013)
    // is never sent twice.
    ledra::mysql::results Run(const std::string& sql);
    // Runs a statement inside a transaction: never sent again, since a fresh connection would
    // not have the transaction. A lost connection is closed (the server rolls back).
    ledra::mysql::results RunInTransaction(const std::string& sql);
    // Ends an open transaction without its changes; a connection that cannot is dropped.
    void Rollback();
    // The server's max_allowed_packet for this connection, read once per connection (0 when
    // it cannot be read).
    std::size_t PacketLimit();
    void CloseConnection();
    // Escaped for the connection, ready to stand between the given quotes.
    std::string Text(const std::string& value, char quote = '\'');

    ledra::mysql::connection db_;
    std::size_t packetLimit_ = 0;  // of the connection held now; 0 = not read yet
};
