#pragma once
// The vault store as the commands see it. Operations never throw. The single-row operations
// report failure as false or an empty array; the operations the commands use tell a failure
// apart from an empty answer, and a move from a move whose outcome is unknown.
#include <cstdint>
#include <memory>
#include <vector>

#include "Database/StoreResults.h"
#include "Database/VaultItem.h"
#include "Database/VaultList.h"
#include "Database/VaultRow.h"
#include "Host/FString.h"

class IDatabase {
public:
    virtual ~IDatabase() = default;
    virtual bool AddVaultItem(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                              const std::string& itemdata) = 0;
    virtual bool AddVaultResource(std::uint64_t steamid, const FString& vaultname, const FString& itemname,
                                  const FString& blueprint, std::int32_t qtd) = 0;
    virtual TArray<std::shared_ptr<VaultItem>> GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                             std::int32_t limit) = 0;
    virtual bool DeleteVaultItem(std::int32_t id) = 0;
    virtual TArray<std::shared_ptr<VaultList>> ListVault(std::uint64_t steamid) = 0;

    // Writes all the rows into one vault in one transaction, or none of them. Each row is stored
    // as the single-row add of its kind would store it. Stored gives the new rows' ids in the
    // order of rows; Unknown means the answer to the COMMIT was lost and could not be settled.
    virtual RowsWritten AddVaultRows(std::uint64_t steamid, const FString& vaultname,
                                     const std::vector<VaultRow>& rows) = 0;
    // Deletes these rows in one statement; true when the statement succeeded.
    virtual bool DeleteVaultRows(const std::vector<std::int32_t>& ids) = 0;

    // A load, in three steps. ClaimVaultItems opens a transaction and locks at most limit rows
    // of the vault, so no other server can give them. When it succeeds with rows, exactly one
    // of SettleClaim or ReleaseClaim must follow; with no rows or on failure nothing is open.
    virtual VaultRead<VaultItem> ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) = 0;
    // Deletes the rows given whole, keeps the remainder of resource rows given in part, and
    // commits. Rows neither given nor changed stay as they were.
    virtual Settlement SettleClaim(const ClaimOutcome& outcome) = 0;
    // Ends the claim without changing any row.
    virtual void ReleaseClaim() = 0;

    // The player's vaults, or a failure.
    virtual VaultRead<VaultList> ReadVaultList(std::uint64_t steamid) = 0;

    // False (and logged as the operation's failure) while the store waits out its pause after a
    // failed connect, when any operation would fail at once: a command asks before it does
    // work of its own for nothing. Sends no statement.
    virtual bool ReadyToTry(const char* operation) = 0;
};
