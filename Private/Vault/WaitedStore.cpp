#include "Private/Vault/WaitedStore.h"

#include "Private/Vault/StoreWorker.h"

#include <stdexcept>
#include <utility>

namespace Lockbury {

template <typename Call>
auto WaitedStore::Run(Call call) const {
    using Answer = decltype(call(std::declval<IDatabase&>()));
    // Waited without limit: the store's own time-outs bound every statement.
    std::optional<Answer> answer = worker_.Call<Answer>(std::function<Answer(IDatabase&)>(std::move(call)));
    if (!answer) throw std::logic_error("a store call waited for without a limit came back without an answer");
    return std::move(*answer);
}

RowsWritten WaitedStore::AddVaultRows(std::uint64_t steamid, const FString& vaultname, const std::vector<VaultRow>& rows) {
    return Run([&](IDatabase& store) { return store.AddVaultRows(steamid, vaultname, rows); });
}
bool WaitedStore::DeleteVaultRows(const std::vector<std::int32_t>& ids) {
    return Run([&](IDatabase& store) { return store.DeleteVaultRows(ids); });
}
VaultRead<VaultItem> WaitedStore::ClaimVaultItems(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) {
    return Run([&](IDatabase& store) { return store.ClaimVaultItems(steamid, vaultname, limit); });
}
Settlement WaitedStore::SettleClaim(const ClaimOutcome& outcome) {
    return Run([&](IDatabase& store) { return store.SettleClaim(outcome); });
}
void WaitedStore::ReleaseClaim() {
    Run([](IDatabase& store) {
        store.ReleaseClaim();
        return true;
    });
}
VaultRead<VaultList> WaitedStore::ReadVaultList(std::uint64_t steamid) {
    return Run([&](IDatabase& store) { return store.ReadVaultList(steamid); });
}
VaultRead<StoredRow> WaitedStore::ReadVaultRows(std::uint64_t steamid, const FString& vaultname, std::int32_t limit) {
    return Run([&](IDatabase& store) { return store.ReadVaultRows(steamid, vaultname, limit); });
}
VaultRead<MoveRecord> WaitedStore::ReadMoveLog(std::uint64_t steamid, std::int32_t limit) {
    return Run([&](IDatabase& store) { return store.ReadMoveLog(steamid, limit); });
}
bool WaitedStore::ReadyToTry(const char* operation) {
    return Run([&](IDatabase& store) { return store.ReadyToTry(operation); });
}
JournalRecovery WaitedStore::RecoverJournal(const RestoredWorld& world) {
    return Run([&](IDatabase& store) { return store.RecoverJournal(world); });
}
bool WaitedStore::WorldSaveStarting(std::int64_t worldNow) {
    return Run([&](IDatabase& store) { return store.WorldSaveStarting(worldNow); });
}
bool WaitedStore::WorldSaved(std::int64_t savedAt) {
    return Run([&](IDatabase& store) { return store.WorldSaved(savedAt); });
}
std::optional<std::vector<std::int32_t>> WaitedStore::SettleUnwind(std::int64_t journalId,
                                                                   const std::vector<std::int32_t>& heldRows) {
    return Run([&](IDatabase& store) { return store.SettleUnwind(journalId, heldRows); });
}
bool WaitedStore::JournalUncovered() const {
    return Run([](IDatabase& store) { return store.JournalUncovered(); });
}

}  // namespace Lockbury
