#pragma once
// The store as the game thread calls it while a store thread owns it: every call runs on the store
// thread, after the work handed over before it, and the game thread waits for its answer (ticking
// meanwhile, so a load waiting on the game thread goes on). Used where the game must not go on
// before the store answered: crash safety's recovery, world-save records and unwinds.
#include "Database/IDatabase.h"

namespace Lockbury {

class StoreWorker;

class WaitedStore final : public IDatabase {
public:
    explicit WaitedStore(StoreWorker& worker) : worker_(worker) {}

    RowsWritten AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) override;
    bool DeleteVaultRows(const std::vector<std::int32_t>& ids) override;
    VaultRead<VaultItem> ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) override;
    Settlement SettleClaim(const ClaimOutcome& outcome) override;
    void ReleaseClaim() override;
    VaultRead<VaultList> ReadVaultList(std::uint64_t steamid) override;
    VaultRead<StoredRow> ReadVaultRows(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) override;
    VaultRead<MoveRecord> ReadMoveLog(std::uint64_t steamid, std::int32_t limit) override;
    bool ReadyToTry(const char* operation) override;
    JournalRecovery RecoverJournal(const RestoredWorld& world) override;
    bool WorldSaveStarting(std::int64_t worldNow) override;
    bool WorldSaved(std::int64_t savedAt) override;
    std::optional<std::vector<std::int32_t>> SettleUnwind(std::int64_t journalId,
                                                          const std::vector<std::int32_t>& heldRows) override;
    bool JournalUncovered() const override;

private:
    template <typename Call>
    auto Run(Call call) const;

    StoreWorker& worker_;
};

}  // namespace Lockbury
