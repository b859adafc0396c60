#pragma once
// The vault store as the commands see it. Operations never throw: adds and deletes report
// false on failure, reads give an empty array.
#include <cstdint>
#include <memory>
#include <vector>

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
    // Writes all the rows into one vault, or none of them: true only when every row is stored.
    // Each row is stored as the single-row add of its kind would store it.
    virtual bool AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) = 0;
    virtual TArray<std::shared_ptr<VaultItem>> GetVaultItems(std::uint64_t steamid, const FString& vaultname,
                                                             std::int32_t limit) = 0;
    virtual bool DeleteVaultItem(std::int32_t id) = 0;
    virtual TArray<std::shared_ptr<VaultList>> ListVault(std::uint64_t steamid) = 0;
};
