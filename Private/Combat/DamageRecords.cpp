#include "Private/Combat/DamageRecords.h"

#include <ctime>

#include "Host/ArkApi.h"

namespace Lockbury {

void DamageRecords::Stamp(uint64 steamId, std::time_t now) {
    if (auto found = index_.find(steamId); found != index_.end()) {
        found->second->lastDamage = now;
        return;
    }
    auto record = std::make_shared<Damaged>(Damaged{steamId, now});
    index_.emplace(steamId, record.get());
    records_.Add(std::move(record));
}

const Damaged* DamageRecords::Find(uint64 steamId) const {
    auto found = index_.find(steamId);
    return found == index_.end() ? nullptr : found->second;
}

DamageRecords& damagedPlayers() {
    static DamageRecords records;
    return records;
}

void RecordDamage(AShooterPlayerController* controller) {
    if (!controller) return;
    const uint64 id = controller->GetUniqueNetIdAsUINT64();
    damagedPlayers().Stamp(id, std::time(nullptr));
}

}  // namespace Lockbury
